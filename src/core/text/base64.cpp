#include "text/base64.h"

namespace kerfwright::text {
namespace {

constexpr char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

void appendBase64(std::string& out, std::string_view bytes) {
    auto byteAt = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])); };
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t group = (byteAt(i) << 16) | (byteAt(i + 1) << 8) | byteAt(i + 2);
        out += kBase64Alphabet[(group >> 18) & 0x3F];
        out += kBase64Alphabet[(group >> 12) & 0x3F];
        out += kBase64Alphabet[(group >> 6) & 0x3F];
        out += kBase64Alphabet[group & 0x3F];
    }
    const std::size_t remaining = bytes.size() - i;
    if (remaining == 0) return;
    const std::uint32_t group = (byteAt(i) << 16) | (remaining == 2 ? byteAt(i + 1) << 8 : 0);
    out += kBase64Alphabet[(group >> 18) & 0x3F];
    out += kBase64Alphabet[(group >> 12) & 0x3F];
    out += remaining == 2 ? kBase64Alphabet[(group >> 6) & 0x3F] : '=';
    out += '=';
}

}  // namespace kerfwright::text
