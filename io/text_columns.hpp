// Text in fixed-width columns of bytes: station names are UTF-8, and a name
// cut to its field must not end in part of a character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cones {

// Length in bytes of the character at `pos` of `text` (pos < text.size()):
// the length of a well-formed UTF-8 sequence (2 to 4 bytes, no overlong forms,
// surrogates or values above U+10FFFF), and 1 for an ASCII byte or for any
// byte that does not start one (so text in a single-byte encoding is taken
// byte by byte).
std::size_t character_length(std::string_view text, std::size_t pos);

// `text` cut to whole characters within `width` bytes and padded with blanks
// to exactly `width` bytes.
std::string fit_to_width(std::string_view text, std::size_t width);

// True when `text` holds a control character: a byte below 0x20, DEL (0x7f),
// or one of the C1 controls U+0080..U+009F written in UTF-8.
bool holds_control_character(std::string_view text);

}  // namespace cones
