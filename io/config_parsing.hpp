// Helpers shared by the configuration reader and its validation.
#pragma once

#include <string>
#include <string_view>

namespace cones {

// The text in double quotes, safe to show on a terminal: quotes and
// backslashes are escaped, tab and carriage return are written as \t and \r,
// other control and non-ASCII bytes as \xNN, and text longer than 40 bytes is
// cut and followed by "...".
std::string quoted_text(std::string_view text);

}  // namespace cones
