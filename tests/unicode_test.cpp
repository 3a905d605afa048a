#include "text/unicode.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace kerfwright::text {
namespace {

using namespace std::string_view_literals;

struct DecodeCase {
    std::string_view bytes;
    char32_t value;
    std::size_t length;
};

TEST(UnicodeDecode, WellFormedAndMalformedSequences) {
    const DecodeCase cases[] = {
        {"A"sv, U'A', 1},
        {"\0"sv, 0, 1},
        {"\xC3\xA9"sv, 0xE9, 2},
        {"\xE2\x82\xAC"sv, 0x20AC, 3},
        {"\xF0\x9F\x98\x80"sv, 0x1F600, 4},
        {"\xF4\x8F\xBF\xBF"sv, 0x10FFFF, 4},
        {"\xEF\xBF\xBF"sv, 0xFFFF, 3},
        // Malformed: each gives U+FFFD for its first byte alone.
        {"\x80"sv, kReplacementCharacter, 1},
        {"\xC3"sv, kReplacementCharacter, 1},
        {"\xC3" "A"sv, kReplacementCharacter, 1},
        {"\xC0\xAF"sv, kReplacementCharacter, 1},
        {"\xE0\x80\x80"sv, kReplacementCharacter, 1},
        {"\xED\xA0\x80"sv, kReplacementCharacter, 1},
        {"\xF4\x90\x80\x80"sv, kReplacementCharacter, 1},
        {"\xF0\x9F\x98"sv, kReplacementCharacter, 1},
        {"\xE2\x82" "A"sv, kReplacementCharacter, 1},
        {"\xFF"sv, kReplacementCharacter, 1},
    };
    for (const DecodeCase& c : cases) {
        const DecodedCodePoint decoded = decodeUtf8(c.bytes, 0);
        EXPECT_EQ(decoded.value, c.value) << testing::PrintToString(c.bytes);
        EXPECT_EQ(decoded.length, c.length) << testing::PrintToString(c.bytes);
    }
}

TEST(UnicodeEncode, RoundTripsAtEveryLengthBoundary) {
    for (char32_t codePoint : {U'\0', U'\x7F', U'\x80', U'\x7FF', U'\x800', U'\xFFFD', U'\x10000', U'\x10FFFF'}) {
        std::string bytes = "x";
        appendUtf8(bytes, codePoint);
        const DecodedCodePoint decoded = decodeUtf8(bytes, 1);
        EXPECT_EQ(decoded.value, codePoint);
        EXPECT_EQ(decoded.length, bytes.size() - 1);
    }
}

struct GraphemeCase {
    std::string_view text;
    std::size_t start;
    std::size_t end;
};

TEST(UnicodeGrapheme, ExtendedClusterBoundaries) {
    const GraphemeCase cases[] = {
        {"ab"sv, 0, 1},
        {"ab"sv, 1, 2},
        {"\r\n"sv, 0, 2},
        {"\n\r"sv, 0, 1},
        {"\r\nx"sv, 0, 2},
        {"\r"sv, 0, 1},
        {"e\xCC\x81x"sv, 0, 3},
        {". \xCC\x81"sv, 1, 4},
        {".\xCC\x81\xCC\x82"sv, 0, 5},
        // A control character never takes a following mark.
        {"\t\xCC\x81"sv, 0, 1},
        {"\r\xCC\x81"sv, 0, 1},
        // Two regional indicators form a flag; the third starts a new one.
        {"\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA\xF0\x9F\x87\xAB"sv, 0, 8},
        {"\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA\xF0\x9F\x87\xAB"sv, 8, 12},
        // Family emoji joined by zero-width joiners.
        {"\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7!"sv, 0, 18},
        // Hangul syllable written as three jamo.
        {"\xE1\x84\x80\xE1\x85\xA1\xE1\x86\xA8" "1"sv, 0, 9},
        {"1\xE2\x83\xA3"sv, 0, 4},
        {"\xC3\xA9" "a"sv, 0, 2},
        {"\xFF\xCC\x81"sv, 0, 3},
    };
    for (const GraphemeCase& c : cases) {
        EXPECT_EQ(graphemeEnd(c.text, c.start), c.end) << testing::PrintToString(c.text) << " at " << c.start;
    }
}

TEST(UnicodeGrapheme, CharacterKeepsItsFirstCodePoint) {
    const Grapheme character = graphemeAt("xe\xCC\x81y"sv, 1);
    EXPECT_EQ(character.text, "e\xCC\x81"sv);
    EXPECT_EQ(character.firstCodePoint, U'e');
}

TEST(UnicodeProperties, Letters) {
    for (char32_t codePoint : {U'A', U'Z', U'a', U'z', U'\xAA', U'\xE9', U'\x345', U'\x4E2D', U'\x216B', U'\x10400'}) {
        EXPECT_TRUE(isLetter(codePoint)) << std::hex << unsigned(codePoint);
    }
    for (char32_t codePoint : {U'0', U'_', U'@', U'[', U'`', U'{', U' ', U'.', U'\x301', U'\xBD', U'\x1F600'}) {
        EXPECT_FALSE(isLetter(codePoint)) << std::hex << unsigned(codePoint);
    }
}

TEST(UnicodeProperties, Numbers) {
    for (char32_t codePoint : {U'0', U'9', U'\xB2', U'\xBD', U'\x663', U'\x216B', U'\x2460', U'\xFF15', U'\x1D7CE'}) {
        EXPECT_TRUE(isNumber(codePoint)) << std::hex << unsigned(codePoint);
    }
    for (char32_t codePoint : {U'a', U'/', U':', U'.', U'-', U'e', U'\x301', U'\xFFFD'}) {
        EXPECT_FALSE(isNumber(codePoint)) << std::hex << unsigned(codePoint);
    }
}

TEST(UnicodeProperties, WhiteSpace) {
    for (char32_t codePoint : {U'\t', U'\n', U'\v', U'\f', U'\r', U' ', U'\x85', U'\xA0', U'\x1680', U'\x2000',
                               U'\x200A', U'\x2028', U'\x2029', U'\x202F', U'\x205F', U'\x3000'}) {
        EXPECT_TRUE(isWhitespace(codePoint)) << std::hex << unsigned(codePoint);
    }
    for (char32_t codePoint : {U'\0', U'\x1F', U'a', U'\x180E', U'\x200B', U'\x2060', U'\xFEFF', U'\x1C'}) {
        EXPECT_FALSE(isWhitespace(codePoint)) << std::hex << unsigned(codePoint);
    }
}

}  // namespace
}  // namespace kerfwright::text
