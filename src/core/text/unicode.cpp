#include "text/unicode.h"

#include <utf8proc.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <iterator>

namespace kerfwright::text {
namespace {

struct CodePointRange {
    char32_t first;
    char32_t last;
};

#include "unicode_tables.inc"

template <std::size_t N>
bool inRanges(const CodePointRange (&ranges)[N], char32_t codePoint) {
    // The first range whose end is not below the code point is the only one
    // that can hold it.
    const auto found = std::lower_bound(std::begin(ranges), std::end(ranges), codePoint,
                                        [](const CodePointRange& range, char32_t value) { return range.last < value; });
    return found != std::end(ranges) && found->first <= codePoint;
}

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

struct LeadByte {
    std::size_t length;       // 0 for a byte that cannot start a sequence
    unsigned char secondMin;  // the second byte's range excludes overlong
    unsigned char secondMax;  // forms, surrogates and values past U+10FFFF
    char32_t bits;
};

LeadByte classifyLeadByte(unsigned char byte) {
    if (byte >= 0xC2 && byte <= 0xDF) return {2, 0x80, 0xBF, char32_t(byte & 0x1F)};
    if (byte == 0xE0) return {3, 0xA0, 0xBF, char32_t(byte & 0x0F)};
    if (byte == 0xED) return {3, 0x80, 0x9F, char32_t(byte & 0x0F)};
    if (byte >= 0xE1 && byte <= 0xEF) return {3, 0x80, 0xBF, char32_t(byte & 0x0F)};
    if (byte == 0xF0) return {4, 0x90, 0xBF, char32_t(byte & 0x07)};
    if (byte >= 0xF1 && byte <= 0xF3) return {4, 0x80, 0xBF, char32_t(byte & 0x07)};
    if (byte == 0xF4) return {4, 0x80, 0x8F, char32_t(byte & 0x07)};
    return {0, 0, 0, 0};
}

constexpr DecodedCodePoint kMalformed{kReplacementCharacter, 1};

bool startsTwoAsciiCharacters(std::string_view text, std::size_t end) {
    return end >= text.size() || static_cast<unsigned char>(text[end]) < 0x80;
}

}  // namespace

DecodedCodePoint decodeUtf8(std::string_view text, std::size_t position) {
    const auto lead = static_cast<unsigned char>(text[position]);
    if (lead < 0x80) return {lead, 1};
    const LeadByte shape = classifyLeadByte(lead);
    if (shape.length == 0 || position + shape.length > text.size()) return kMalformed;
    const auto second = static_cast<unsigned char>(text[position + 1]);
    if (second < shape.secondMin || second > shape.secondMax) return kMalformed;
    char32_t value = (shape.bits << 6) | (second & 0x3F);
    for (std::size_t index = 2; index < shape.length; ++index) {
        const auto byte = static_cast<unsigned char>(text[position + index]);
        if (!isContinuation(byte)) return kMalformed;
        value = (value << 6) | (byte & 0x3F);
    }
    return {value, shape.length};
}

void appendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

std::size_t graphemeEnd(std::string_view text, std::size_t position) {
    const DecodedCodePoint first = decodeUtf8(text, position);
    std::size_t end = position + first.length;
    // Between two ASCII code points there is always a break except inside
    // "\r\n": no ASCII character extends, prepends or joins.
    if (first.value < 0x80 && startsTwoAsciiCharacters(text, end)) {
        const bool crlf = first.value == '\r' && end < text.size() && text[end] == '\n';
        return crlf ? end + 1 : end;
    }
    utf8proc_int32_t state = 0;
    auto previous = static_cast<utf8proc_int32_t>(first.value);
    while (end < text.size()) {
        const DecodedCodePoint next = decodeUtf8(text, end);
        const auto current = static_cast<utf8proc_int32_t>(next.value);
        if (utf8proc_grapheme_break_stateful(previous, current, &state)) break;
        previous = current;
        end += next.length;
    }
    return end;
}

Grapheme graphemeAt(std::string_view text, std::size_t position) {
    const std::size_t end = graphemeEnd(text, position);
    return {text.substr(position, end - position), decodeUtf8(text, position).value};
}

bool isLetterBeyondAscii(char32_t codePoint) { return inRanges(kAlphabeticRanges, codePoint); }

bool isNumberBeyondAscii(char32_t codePoint) { return inRanges(kNumericRanges, codePoint); }

bool isWhitespaceBeyondAscii(char32_t codePoint) {
    switch (codePoint) {
        case 0x0085: case 0x00A0: case 0x1680:
        case 0x2028: case 0x2029: case 0x202F: case 0x205F: case 0x3000:
            return true;
        default:
            return codePoint >= 0x2000 && codePoint <= 0x200A;
    }
}

std::string nfc(std::string_view text) {
    utf8proc_uint8_t* mapped = nullptr;
    const utf8proc_ssize_t length =
        utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(text.data()), static_cast<utf8proc_ssize_t>(text.size()),
                     &mapped, static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE));
    const std::unique_ptr<utf8proc_uint8_t, decltype(&std::free)> owned(mapped, &std::free);
    if (length < 0) return std::string(text);
    return std::string(reinterpret_cast<const char*>(mapped), static_cast<std::size_t>(length));
}

}  // namespace kerfwright::text
