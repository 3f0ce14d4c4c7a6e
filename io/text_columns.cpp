#include "io/text_columns.hpp"

namespace cones {
namespace {

bool is_continuation(unsigned char c) { return (c & 0xc0) == 0x80; }

}  // namespace

std::size_t character_length(std::string_view text, std::size_t pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 1;
    unsigned char low = 0x80, high = 0xbf;  // allowed range of the second byte
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        if (lead == 0xe0) low = 0xa0;   // no overlong forms
        if (lead == 0xed) high = 0x9f;  // no surrogates
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        if (lead == 0xf0) low = 0x90;   // no overlong forms
        if (lead == 0xf4) high = 0x8f;  // nothing above U+10FFFF
    } else {
        return 1;
    }
    if (pos + length > text.size() || byte(1) < low || byte(1) > high) return 1;
    for (std::size_t i = 2; i < length; ++i) {
        if (!is_continuation(byte(i))) return 1;
    }
    return length;
}

std::string fit_to_width(std::string_view text, std::size_t width) {
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t next = end + character_length(text, end);
        if (next > width) break;
        end = next;
    }
    std::string out(text.substr(0, end));
    out.resize(width, ' ');
    return out;
}

bool holds_control_character(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size(); pos += character_length(text, pos)) {
        const auto c = static_cast<unsigned char>(text[pos]);
        if (c < 0x20 || c == 0x7f) return true;
        if (c == 0xc2 && character_length(text, pos) == 2 && static_cast<unsigned char>(text[pos + 1]) <= 0x9f) {
            return true;
        }
    }
    return false;
}

}  // namespace cones
