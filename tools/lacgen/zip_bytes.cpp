#include "zip_bytes.h"

#include <algorithm>
#include <stdexcept>

#include <zlib.h>

namespace lacgen {

void putU16(std::string& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value & 0xff));
    out.push_back(static_cast<char>(value >> 8));
}

void putU32(std::string& out, std::uint32_t value) {
    putU16(out, static_cast<std::uint16_t>(value & 0xffff));
    putU16(out, static_cast<std::uint16_t>(value >> 16));
}

std::string deflateRaw(const std::string& data, int level, int memoryLevel, bool finish) {
    z_stream stream{};
    if (deflateInit2(&stream, level, Z_DEFLATED, -15, memoryLevel, Z_DEFAULT_STRATEGY) != Z_OK) {
        throw std::runtime_error("zlib deflateInit2 failed");
    }
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())) + 64, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, finish ? Z_FINISH : Z_FULL_FLUSH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != (finish ? Z_STREAM_END : Z_OK)) throw std::runtime_error("zlib deflate failed");
    return out;
}

std::uint32_t crc32Of(const std::string& data) {
    const auto* bytes = reinterpret_cast<const Bytef*>(data.data());
    return static_cast<std::uint32_t>(crc32(crc32(0L, Z_NULL, 0), bytes, static_cast<uInt>(data.size())));
}

bool isAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace lacgen
