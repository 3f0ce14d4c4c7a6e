// Station names in byte columns: UTF-8 character lengths, cutting on character
// boundaries, and control characters.
#include <gtest/gtest.h>

#include <string>

#include "io/text_columns.hpp"

namespace cones {
namespace {

TEST(TextColumns, CharacterLengths) {
    struct Case {
        const char* what;
        std::string text;  // the character at position 0
        std::size_t length;
    };
    const Case cases[] = {
        {"ASCII letter", "Z", 1},
        {"u with diaeresis, U+00FC", "\xc3\xbc", 2},
        {"CJK ideograph, U+6771", "\xe6\x9d\xb1", 3},
        {"emoji, U+1F600", "\xf0\x9f\x98\x80", 4},
        {"largest code point, U+10FFFF", "\xf4\x8f\xbf\xbf", 4},
        {"Latin-1 byte of u with diaeresis", "\xfcrich", 1},
        {"lone continuation byte", "\x85", 1},
        {"overlong two-byte form of '/'", "\xc0\xaf", 1},
        {"overlong three-byte form", "\xe0\x80\xaf", 1},
        {"surrogate U+D800", "\xed\xa0\x80", 1},
        {"above U+10FFFF", "\xf4\x90\x80\x80", 1},
        {"sequence cut by the end of the text", "\xe6\x9d", 1},
        {"second byte not a continuation", "\xc3" "A", 1},
        {"third byte not a continuation", "\xe6\x9d" "A", 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(character_length(c.text, 0), c.length) << c.what;
    }
    EXPECT_EQ(character_length("Z\xc3\xbcrich", 1), 2u);
}

TEST(TextColumns, FitToWidthCutsWholeCharactersAndPadsWithBlanks) {
    struct Case {
        std::string text;
        std::size_t width;
        std::string expected;
    };
    const Case cases[] = {
        {"Thule", 3, "Thu"},
        {"AB", 3, "AB "},
        {"", 3, "   "},
        {"Z\xc3\xbcrich", 3, "Z\xc3\xbc"},                  // "Zü"
        {"Z\xc3\xbcrich", 2, "Z "},                         // "ü" does not fit in the second byte
        {"\xc3\x91u\xc3\xb1oa", 3, "\xc3\x91u"},            // "Ñuñoa" gives "Ñu"
        {"\xc3\x91u\xc3\xb1oa", 20, "\xc3\x91u\xc3\xb1oa" + std::string(13, ' ')},
        {"\xe6\x9d\xb1\xe4\xba\xac", 3, "\xe6\x9d\xb1"},    // "東京" gives "東"
        {"\xe6\x9d\xb1\xe4\xba\xac", 5, "\xe6\x9d\xb1  "},
        {std::string(19, 'x') + "\xc3\xbc", 20, std::string(19, 'x') + " "},
        {std::string(18, 'x') + "\xc3\xbc" "y", 20, std::string(18, 'x') + "\xc3\xbc"},
        {"Z\xfcrich", 3, "Z\xfcr"},                          // single-byte text is cut by bytes
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", 20, "ABCDEFGHIJKLMNOPQRST"},
    };
    for (const Case& c : cases) {
        const std::string fitted = fit_to_width(c.text, c.width);
        EXPECT_EQ(fitted, c.expected) << c.text << " in " << c.width;
        EXPECT_EQ(fitted.size(), c.width);
    }
}

TEST(TextColumns, ControlCharacters) {
    struct Case {
        std::string text;
        bool control;
    };
    const Case cases[] = {
        {"Jungfraujoch", false},
        {"Z\xc3\xbcrich", false},
        {"Mount Washington", false},
        {"\xc2\xa0nbsp", false},     // U+00A0, no-break space: not a control
        {"Z\xfcrich", false},        // a Latin-1 byte
        {"\x85", false},             // a lone byte 0x85 is not UTF-8 for NEL
        {"Jungfrau\tjoch", true},
        {"\x1b[2J", true},
        {"A\x01", true},
        {std::string("A\0B", 3), true},
        {"A\x7f", true},
        {"line\xc2\x85next", true},  // U+0085, next line (C1)
        {"A\xc2\x9f", true},         // U+009F, last C1 control
    };
    for (const Case& c : cases) {
        EXPECT_EQ(holds_control_character(c.text), c.control) << c.text;
    }
}

}  // namespace
}  // namespace cones
