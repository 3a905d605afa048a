#include "png.h"

#include <stdexcept>
#include <string_view>

#include <zlib.h>

namespace lacgen {
namespace {

void appendBigEndian32(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value >> 24);
    out += static_cast<char>(value >> 16);
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value);
}

void appendChunk(std::string& out, std::string_view type, std::string_view data) {
    appendBigEndian32(out, static_cast<std::uint32_t>(data.size()));
    std::string typed(type);
    typed += data;
    out += typed;
    const auto* bytes = reinterpret_cast<const Bytef*>(typed.data());
    appendBigEndian32(out, static_cast<std::uint32_t>(crc32(0, bytes, static_cast<uInt>(typed.size()))));
}

std::string compress(const std::string& raw) {
    uLongf size = compressBound(raw.size());
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
                  raw.size(), Z_BEST_COMPRESSION) != Z_OK) {
        throw std::runtime_error("zlib compression failed");
    }
    out.resize(size);
    return out;
}

}  // namespace

std::string encodePng(int width, int height, const std::vector<Rgba>& pixels) {
    if (width <= 0 || height <= 0 || pixels.size() != static_cast<std::size_t>(width) * height) {
        throw std::invalid_argument("pixel count does not match the image size");
    }
    std::string header;
    appendBigEndian32(header, static_cast<std::uint32_t>(width));
    appendBigEndian32(header, static_cast<std::uint32_t>(height));
    header += '\x08';  // bit depth
    header += '\x06';  // colour type RGBA
    header += std::string(3, '\0');  // compression, filter, interlace

    std::string raw;
    raw.reserve(pixels.size() * 4 + height);
    for (int y = 0; y < height; ++y) {
        raw += '\0';  // no filter
        for (int x = 0; x < width; ++x) {
            const Rgba& p = pixels[static_cast<std::size_t>(y) * width + x];
            raw += static_cast<char>(p.r);
            raw += static_cast<char>(p.g);
            raw += static_cast<char>(p.b);
            raw += static_cast<char>(p.a);
        }
    }

    std::string png = "\x89PNG\r\n\x1a\n";
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", compress(raw));
    appendChunk(png, "IEND", "");
    return png;
}

}  // namespace lacgen
