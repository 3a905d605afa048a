#pragma once
// Unicode helpers for text that comes from project files: stepping through
// UTF-8 by code point and by user-perceived character (extended grapheme
// cluster), and the character properties the parsers test.

#include <cstddef>
#include <string>
#include <string_view>

namespace kerfwright::text {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

struct DecodedCodePoint {
    char32_t value;      // kReplacementCharacter for a malformed sequence
    std::size_t length;  // bytes consumed, at least 1
};

// Decodes the code point that starts at byte `position` (which must be inside
// `text`). A malformed or truncated sequence yields U+FFFD and consumes one byte.
DecodedCodePoint decodeUtf8(std::string_view text, std::size_t position);

void appendUtf8(std::string& out, char32_t codePoint);

// Byte offset just past the user-perceived character that starts at `position`.
std::size_t graphemeEnd(std::string_view text, std::size_t position);

// One user-perceived character: its bytes and the code point it starts with,
// the one its properties are judged by.
struct Grapheme {
    std::string_view text;
    char32_t firstCodePoint;
};

// The user-perceived character that starts at byte `position` (inside `text`).
Grapheme graphemeAt(std::string_view text, std::size_t position);

// The text in Unicode Normalization Form C, in which a name saved with
// composed letters and the same name saved decomposed are equal. Text that
// is not valid UTF-8 comes back unchanged.
std::string nfc(std::string_view text);

// Properties of a character, judged by its first code point (the way a
// combining mark after a letter still makes a letter).
// The ASCII answers are inline: parsers ask for nearly every byte of their
// input, and that is nearly all ASCII.
bool isLetterBeyondAscii(char32_t codePoint);
bool isNumberBeyondAscii(char32_t codePoint);
bool isWhitespaceBeyondAscii(char32_t codePoint);

// Unicode Alphabetic
inline bool isLetter(char32_t codePoint) {
    if (codePoint < 0x80) return (codePoint | 0x20) >= 'a' && (codePoint | 0x20) <= 'z';
    return isLetterBeyondAscii(codePoint);
}

// Has a Unicode numeric value.
inline bool isNumber(char32_t codePoint) {
    if (codePoint < 0x80) return codePoint >= '0' && codePoint <= '9';
    return isNumberBeyondAscii(codePoint);
}

// Unicode White_Space: in ASCII the blank and tab to carriage return.
inline bool isWhitespace(char32_t codePoint) {
    if (codePoint < 0x80) return codePoint == ' ' || (codePoint >= '\t' && codePoint <= '\r');
    return isWhitespaceBeyondAscii(codePoint);
}

}  // namespace kerfwright::text
