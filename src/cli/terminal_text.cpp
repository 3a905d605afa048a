#include "terminal_text.h"

#include "text/unicode.h"

namespace kerfwright::cli {
namespace {

void appendHexEscape(std::string& out, unsigned char byte) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
}

bool isControl(char32_t codePoint) {
    return codePoint < 0x20 || codePoint == 0x7F || (codePoint >= 0x80 && codePoint <= 0x9F);
}

}  // namespace

std::string terminalText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t position = 0; position < text.size();) {
        const text::DecodedCodePoint decoded = text::decodeUtf8(text, position);
        const std::string_view bytes = text.substr(position, decoded.length);
        const bool malformed = decoded.value == text::kReplacementCharacter && bytes != "\xEF\xBF\xBD";
        if (bytes == "\\") {
            out += "\\\\";
        } else if (malformed || isControl(decoded.value)) {
            for (const char byte : bytes) appendHexEscape(out, static_cast<unsigned char>(byte));
        } else {
            out += bytes;
        }
        position += decoded.length;
    }
    return out;
}

}  // namespace kerfwright::cli
