// List-directed reading of values from text records, as free-format input
// reads them: integers, reals (with E or D exponents), names (a word or a text
// in quotes), separated by blanks or one comma, going on to the next record
// when one runs out; and the records of a text taken line by line. Every
// malformed or missing value is a ConfigError naming its line.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "io/config_parsing.hpp"

namespace cones {

// Blank characters of a record: the space and the tab.
inline bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_blank_text(std::string_view s);
inline bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Given: a text. Returned: whether it is an integer: an optional sign, then
// one or more digits, nothing else.
bool is_integer_text(std::string_view s);

// Given: a text. Returned: whether it is a real number: an optional sign;
// digits with an optional decimal point (at least one digit before or after
// it); an optional exponent of E, e, D or d, an optional sign and one or more
// digits. Nothing else.
bool is_real_text(std::string_view s);

// Given: an integer text (already checked) and the range [low, high].
// Returned: false when it lies outside the range; otherwise true with the value.
bool integer_in_range(std::string_view s, std::int64_t low, std::int64_t high, std::int64_t& value);

// Given: a real text (already checked). Returned: its value, read in the C
// locale; a D exponent is read as E.
double real_value(std::string_view s);

// The file's lines in order, split as they are taken. A line loses its line
// feed and one trailing carriage return; a text ending in a line feed has no
// empty line after it.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : text_(text) {}

    bool at_end() const { return pos_ >= text_.size(); }
    // 1-based number of the next unread line.
    int next_line_number() const { return next_line_; }

    // The next line, or a ConfigError for the end of the file.
    std::string_view take(std::string_view expected) {
        if (at_end()) fail_expected(next_line_number(), expected, "the end of the file");
        return take_line();
    }

    // The next line; the caller has checked at_end().
    std::string_view take_line() {
        std::size_t end = text_.find('\n', pos_);
        const std::size_t next = end == std::string_view::npos ? text_.size() : end + 1;
        if (end == std::string_view::npos) end = text_.size();
        std::string_view line = text_.substr(pos_, end - pos_);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos_ = next;
        ++next_line_;
        return line;
    }

    // True when every line not yet read is empty or blank.
    bool only_blank_lines_left() const {
        LineCursor rest = *this;
        while (!rest.at_end()) {
            if (!is_blank_text(rest.take_line())) return false;
        }
        return true;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;  // start of the next line
    int next_line_ = 1;
};

// A free-format read over consecutive records. Values are separated by blanks
// (tabs count as blanks) or by one comma with optional blanks around it; the
// read goes on to the next record when one runs out. Every malformed or
// missing value throws ConfigError with the line it was found on.
class FreeFormatRead {
public:
    // A read of the one record `record` on line `line`. When it runs out, the
    // error names the value's own description and says `end_found`.
    FreeFormatRead(std::string_view record, int line, std::string end_found)
        : record_(record), line_(line), has_record_(true), end_found_(std::move(end_found)) {}

    // A read of the lines `lines` still holds, which it takes as it goes on.
    // When they run out, the error names `end_expected` and says "the end of
    // the file", on the line after the last.
    FreeFormatRead(LineCursor& lines, std::string_view end_expected)
        : lines_(&lines), end_expected_(end_expected), end_found_("the end of the file") {}

    double real(std::string_view expected) {
        const std::string_view text = next_token(expected);
        if (!is_real_text(text)) fail_expected(line(), expected, quoted_text(text));
        const double value = real_value(text);
        if (!std::isfinite(value)) fail_expected(line(), expected, quoted_text(text) + ", which is not a finite number");
        return value;
    }

    std::int64_t integer(std::string_view expected, std::int64_t low, std::int64_t high) {
        const std::string_view text = next_token(expected);
        if (!is_integer_text(text)) fail_expected(line(), expected, quoted_text(text));
        std::int64_t value = 0;
        if (!integer_in_range(text, low, high, value)) fail_expected(line(), expected, quoted_text(text) + ", which is out of range");
        return value;
    }

    // A word without blanks, commas or slashes, or a text in apostrophes or
    // quotation marks in which a doubled quote stands for one.
    std::string name(std::string_view expected) {
        start_value(expected);
        const std::string_view record = record_;
        const char quote = record[pos_];
        if (quote == '\'' || quote == '"') return quoted_name(expected, quote);
        const std::string_view word = token_at(record, pos_);
        pos_ += word.size();
        if (word.find('/') != std::string_view::npos)
            fail_expected(line(), expected, quoted_text(word) + ", which holds a slash (write the name in quotes)");
        return std::string(word);
    }

    // Line of the record the last value came from.
    int line() const { return line_; }

    // What follows the last value on its record.
    std::string_view rest() const { return record_.substr(pos_); }

private:
    // The run of characters from `pos` up to the next blank, comma or the end.
    static std::string_view token_at(std::string_view record, std::size_t pos) {
        std::size_t end = pos;
        while (end < record.size() && !is_blank(record[end]) && record[end] != ',') ++end;
        return record.substr(pos, end - pos);
    }

    // Moves to the first character of the next value, over blanks, at most one
    // comma, and empty or blank records.
    void start_value(std::string_view expected) {
        bool comma_seen = false;
        while (true) {
            if (!has_record_) next_record(expected);
            while (pos_ < record_.size() && is_blank(record_[pos_])) ++pos_;
            if (pos_ == record_.size()) {
                has_record_ = false;
                continue;
            }
            if (record_[pos_] != ',') break;
            // After a value the first comma separates it from the next one; any
            // other comma stands for an empty value.
            if (comma_seen || !after_value_) {
                fail_expected(line(), expected, values_read_ == 0 ? "a comma with no value before it" : "two commas in a row");
            }
            comma_seen = true;
            after_value_ = false;
            ++pos_;
        }
        after_value_ = true;
        ++values_read_;
    }

    // Moves to the next record, or throws ConfigError for the end of the records.
    void next_record(std::string_view expected) {
        if (lines_ == nullptr || lines_->at_end()) {
            const int line = lines_ == nullptr ? line_ : lines_->next_line_number();
            fail_expected(line, end_expected_.empty() ? expected : end_expected_, end_found_);
        }
        line_ = lines_->next_line_number();
        record_ = lines_->take_line();
        pos_ = 0;
        has_record_ = true;
    }

    std::string_view next_token(std::string_view expected) {
        start_value(expected);
        const std::string_view token = token_at(record_, pos_);
        pos_ += token.size();
        return token;
    }

    std::string quoted_name(std::string_view expected, char quote) {
        const std::string_view record = record_;
        const std::size_t open = pos_;
        std::string text;
        std::size_t pos = open + 1;
        while (true) {
            const std::size_t close = record.find(quote, pos);
            if (close == std::string_view::npos)
                fail_expected(line(), expected, quoted_text(record.substr(open)) + " with no closing quote");
            text.append(record.substr(pos, close - pos));
            if (close + 1 < record.size() && record[close + 1] == quote) {
                text += quote;
                pos = close + 2;
                continue;
            }
            pos = close + 1;
            break;
        }
        if (pos < record.size() && !is_blank(record[pos]) && record[pos] != ',')
            fail_expected(line(), expected,
                 quoted_text(record.substr(open, pos + token_at(record, pos).size() - open)) +
                     ", which has text after its closing quote");
        pos_ = pos;
        return text;
    }

    LineCursor* lines_ = nullptr;  // where further records come from; none for a one-record read
    std::string_view record_;      // the current record
    int line_ = 0;                 // its line
    bool has_record_ = false;      // false before the first record and after one is used up
    std::string_view end_expected_;
    std::string end_found_;
    std::size_t pos_ = 0;
    bool after_value_ = false;  // the last thing passed was a value, not a comma
    int values_read_ = 0;
};

// A free-format read starting at the next line of `lines`; `read` gets the
// values and the rest of the last line touched is discarded. At the end of the
// file the error names `expected`.
template <typename Read>
void free_format(LineCursor& lines, std::string_view expected, Read read) {
    FreeFormatRead values(lines, expected);
    read(values);
}

}  // namespace cones
