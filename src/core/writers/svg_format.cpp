#include "writers/svg_format.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "text/number_text.h"
#include "text/unicode.h"

namespace kerfwright::SVGFormat {
namespace {

// Whole values from -2^63 up to, not including, 2^63 fit a signed 64-bit
// integer; both bounds are exact doubles.
constexpr double kInt64Lower = -9223372036854775808.0;
constexpr double kInt64UpperExclusive = 9223372036854775808.0;

bool fitsInt64(double wholeValue) {
    return wholeValue >= kInt64Lower && wholeValue < kInt64UpperExclusive;
}

// XML 1.0 allows tab, line feed and carriage return among the C0 controls and
// nothing else of them.
bool isForbiddenAsciiControl(unsigned char byte) {
    return byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r';
}

const char* entityFor(char c) {
    switch (c) {
        case '&': return "&amp;";
        case '<': return "&lt;";
        case '>': return "&gt;";
        case '"': return "&quot;";
        case '\'': return "&apos;";
        default: return nullptr;
    }
}

// A byte below 0x80 is one code point on its own.
void appendEscapedAscii(std::string& out, char c) {
    if (const char* entity = entityFor(c)) {
        out += entity;
    } else if (isForbiddenAsciiControl(static_cast<unsigned char>(c))) {
        text::appendUtf8(out, text::kReplacementCharacter);
    } else {
        out.push_back(c);
    }
}

}  // namespace

std::string num(double value, int precision) {
    std::string out;
    appendNum(out, value, precision);
    return out;
}

void appendNum(std::string& out, double value, int precision) {
    if (std::isnan(value)) {
        out += "nan";
        return;
    }
    const double scale = std::pow(10.0, precision);
    const double rounded = std::round(value * scale) / scale;
    if (precision < 6 && rounded == std::round(rounded) && fitsInt64(rounded)) {
        // The integer conversion also turns a negative zero into 0.
        text::appendInteger(out, static_cast<std::int64_t>(rounded));
        return;
    }
    text::appendPrintfG(out, rounded);
}

std::string escapeXML(std::string_view text) {
    std::string out;
    appendEscapedXML(out, text);
    return out;
}

void appendEscapedXML(std::string& out, std::string_view text) {
    out.reserve(out.size() + text.size());
    std::size_t position = 0;
    while (position < text.size()) {
        const char byte = text[position];
        if (static_cast<unsigned char>(byte) < 0x80) {
            appendEscapedAscii(out, byte);
            ++position;
            continue;
        }
        const text::DecodedCodePoint decoded = text::decodeUtf8(text, position);
        // Malformed bytes decode as U+FFFD already; U+FFFE and U+FFFF are the
        // non-ASCII code points that XML forbids.
        if (decoded.value == text::kReplacementCharacter || decoded.value == 0xFFFE || decoded.value == 0xFFFF) {
            text::appendUtf8(out, text::kReplacementCharacter);
        } else {
            out.append(text.substr(position, decoded.length));
        }
        position += decoded.length;
    }
}

void appendObjectAttributes(std::string& out, std::int64_t objectId, std::string_view name) {
    out += " data-obj-id=\"";
    text::appendInteger(out, objectId);
    out += '"';
    if (!name.empty()) {
        out += " data-name=\"";
        appendEscapedXML(out, name);
        out += '"';
    }
}

}  // namespace kerfwright::SVGFormat
