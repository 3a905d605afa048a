#pragma once
// Base64 (RFC 4648, standard alphabet, padded), the encoding of embedded images.

#include <cstdint>
#include <string>
#include <string_view>

namespace kerfwright::text {

constexpr std::uint64_t base64Length(std::uint64_t byteCount) { return (byteCount + 2) / 3 * 4; }

void appendBase64(std::string& out, std::string_view bytes);

}  // namespace kerfwright::text
