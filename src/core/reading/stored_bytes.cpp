#include "reading/stored_bytes.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <utility>

namespace kerfwright {

StoredBytes StoredBytes::plain(std::string content) {
    const std::uint64_t size = content.size();
    return StoredBytes{std::move(content), false, size};
}

std::optional<std::string> inflated(const StoredBytes& stored) {
    if (!stored.deflated) return stored.bytes;
    // Allocated before the stream exists, so that running out of memory here
    // leaves nothing behind; nothing below throws.
    std::string content(stored.size, '\0');
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return std::nullopt;  // raw: no zlib header
    // zlib counts in 32 bits, so longer buffers are handed over in parts.
    constexpr std::size_t part = std::numeric_limits<uInt>::max();
    std::size_t consumed = 0;
    std::size_t produced = 0;
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stored.bytes.data() + consumed));
        stream.avail_in = static_cast<uInt>(std::min(part, stored.bytes.size() - consumed));
        stream.next_out = reinterpret_cast<Bytef*>(content.data() + produced);
        stream.avail_out = static_cast<uInt>(std::min(part, content.size() - produced));
        const uInt inBefore = stream.avail_in;
        const uInt outBefore = stream.avail_out;
        status = inflate(&stream, Z_NO_FLUSH);
        consumed += inBefore - stream.avail_in;
        produced += outBefore - stream.avail_out;
        if (status == Z_OK && inBefore == stream.avail_in && outBefore == stream.avail_out) break;  // no progress
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END || produced != content.size()) return std::nullopt;
    return content;
}

}  // namespace kerfwright
