#pragma once
// The byte-level pieces every ZIP writer here needs: little-endian fields,
// raw DEFLATE streams and CRC-32.

#include <cstdint>
#include <string>

namespace lacgen {

void putU16(std::string& out, std::uint16_t value);
void putU32(std::string& out, std::uint32_t value);

// A raw DEFLATE stream (no zlib header) of the data at the given compression
// level. `finish` false ends with a full flush instead of a final block, for
// streams that are glued together.
std::string deflateRaw(const std::string& data, int level, int memoryLevel, bool finish = true);

std::uint32_t crc32Of(const std::string& data);

bool isAscii(const std::string& text);

}  // namespace lacgen
