// Helpers shared by the configuration reader and its validation.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>

namespace cones {

// Generous limits of the text of "Cones.ini": beyond them the file is not a
// configuration (a link to a device, a binary file) and is not read on.
inline constexpr std::size_t kMaxConfigurationBytes = std::size_t{256} << 20;  // 256 MiB
inline constexpr std::size_t kMaxLineBytes = std::size_t{1} << 20;            // 1 MiB, without the line end

// Reads the whole text from `in` in binary chunks.
// Given: the stream, the largest number of bytes of the text and of one line
// (without its line feed).
// Returned: the text; the caller checks the stream for a failed read.
// Notes: throws ConfigError naming the line on which the reading stopped when
// the text or a line is longer than allowed, so that an endless input is
// refused after at most `max_bytes` bytes.
std::string read_limited_text(std::istream& in, std::size_t max_bytes, std::size_t max_line_bytes);

// The text in double quotes, safe to show on a terminal: quotes and
// backslashes are escaped, tab and carriage return are written as \t and \r,
// other control and non-ASCII bytes as \xNN, and text longer than 40 bytes is
// cut and followed by "...".
std::string quoted_text(std::string_view text);

// Throws the ConfigError of an item that is not what the line should hold:
// "Cones.ini, line N: expected <expected>, found <found>".
[[noreturn]] void fail_expected(int line, std::string_view expected, std::string_view found);

}  // namespace cones
