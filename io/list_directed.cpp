// List-directed reading: the tests of number texts and their conversion.

#include "io/list_directed.hpp"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <system_error>

namespace cones {

bool is_blank_text(std::string_view s) { return std::all_of(s.begin(), s.end(), is_blank); }

namespace {

// Length of the run of decimal digits at `pos`.
std::size_t digit_run(std::string_view s, std::size_t pos) {
    std::size_t n = 0;
    while (pos + n < s.size() && is_digit(s[pos + n])) ++n;
    return n;
}

}  // namespace

bool is_integer_text(std::string_view s) {
    std::size_t pos = 0;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) ++pos;
    const std::size_t digits = digit_run(s, pos);
    return digits > 0 && pos + digits == s.size();
}

bool is_real_text(std::string_view s) {
    std::size_t pos = 0;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) ++pos;
    std::size_t mantissa_digits = digit_run(s, pos);
    pos += mantissa_digits;
    if (pos < s.size() && s[pos] == '.') {
        ++pos;
        const std::size_t fraction = digit_run(s, pos);
        pos += fraction;
        mantissa_digits += fraction;
    }
    if (mantissa_digits == 0) return false;
    if (pos == s.size()) return true;
    if (s[pos] != 'E' && s[pos] != 'e' && s[pos] != 'D' && s[pos] != 'd') return false;
    ++pos;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) ++pos;
    const std::size_t exponent_digits = digit_run(s, pos);
    return exponent_digits > 0 && pos + exponent_digits == s.size();
}

bool integer_in_range(std::string_view s, std::int64_t low, std::int64_t high, std::int64_t& value) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    const auto result = std::from_chars(s.data(), s.data() + s.size(), value);
    if (result.ec != std::errc{} || result.ptr != s.data() + s.size()) return false;
    return value >= low && value <= high;
}

double real_value(std::string_view s) {
    std::string text(s);
    for (char& c : text) {
        if (c == 'D' || c == 'd') c = 'e';
    }
    return std::strtod(text.c_str(), nullptr);
}

}  // namespace cones
