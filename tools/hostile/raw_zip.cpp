#include "raw_zip.h"

#include <zlib.h>

#include <stdexcept>

#include "zip_bytes.h"

namespace hostile {
namespace {

using lacgen::crc32Of;
using lacgen::deflateRaw;
using lacgen::isAscii;
using lacgen::putU16;
using lacgen::putU32;

constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint16_t kVersion = 20;
constexpr std::uint16_t kMadeByUnix = (3 << 8) | 20;
constexpr std::uint16_t kUtf8Names = 1 << 11;
constexpr std::uint16_t kDosDate = (1 << 5) | 1;  // 1980-01-01, for reproducible archives
constexpr std::uint32_t kRegularFileAttributes = 0100644u << 16;
constexpr std::uint16_t kMethodDeflate = 8;
constexpr std::size_t kMebibyte = std::size_t{1} << 20;
// A final, empty block with fixed codes: ends a stream of flushed blocks.
constexpr char kFinalEmptyBlock[] = {0x03, 0x00};

void putSharedFields(std::string& out, const RawEntry& entry) {
    putU16(out, kVersion);
    putU16(out, isAscii(entry.name) ? 0 : kUtf8Names);
    putU16(out, entry.method);
    putU16(out, 0);
    putU16(out, kDosDate);
    putU32(out, entry.crc);
    putU32(out, static_cast<std::uint32_t>(entry.payload.size()));
    putU32(out, entry.declaredSize);
    putU16(out, static_cast<std::uint16_t>(entry.name.size()));
    putU16(out, 0);
}

}  // namespace

RawEntry honestEntry(std::string name, const std::string& data, bool deflate) {
    RawEntry entry;
    entry.name = std::move(name);
    entry.payload = deflate ? deflateRaw(data, Z_BEST_COMPRESSION, 9) : data;
    entry.method = deflate ? kMethodDeflate : 0;
    entry.crc = crc32Of(data);
    entry.declaredSize = static_cast<std::uint32_t>(data.size());
    return entry;
}

std::string deflatedZeros(std::uint64_t mebibytes) {
    const std::string block = deflateRaw(std::string(kMebibyte, '\0'), Z_BEST_COMPRESSION, 9, false);
    std::string stream;
    stream.reserve(block.size() * mebibytes + sizeof kFinalEmptyBlock);
    for (std::uint64_t i = 0; i < mebibytes; ++i) stream += block;
    stream.append(kFinalEmptyBlock, sizeof kFinalEmptyBlock);
    return stream;
}

std::uint32_t crcOfZeros(std::uint64_t mebibytes) {
    const uLong mebibyteCrc = crc32Of(std::string(kMebibyte, '\0'));
    uLong crc = crc32(0L, Z_NULL, 0);
    for (std::uint64_t i = 0; i < mebibytes; ++i) crc = crc32_combine(crc, mebibyteCrc, kMebibyte);
    return static_cast<std::uint32_t>(crc);
}

std::string rawArchive(const std::vector<RawEntry>& entries) {
    std::string archive;
    std::vector<std::uint32_t> offsets;
    for (const RawEntry& entry : entries) {
        if (entry.sharesDataOf) {
            offsets.push_back(offsets.at(*entry.sharesDataOf));
            continue;
        }
        offsets.push_back(static_cast<std::uint32_t>(archive.size()));
        putU32(archive, kLocalSignature);
        putSharedFields(archive, entry);
        archive += entry.name;
        archive += entry.payload;
    }
    const std::size_t directoryOffset = archive.size();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const RawEntry& entry = entries[i];
        // A record that shares data describes that data, not its own.
        RawEntry described = entry.sharesDataOf ? entries[*entry.sharesDataOf] : entry;
        described.name = entry.name;
        putU32(archive, kCentralSignature);
        putU16(archive, kMadeByUnix);
        putSharedFields(archive, described);
        putU16(archive, 0);  // comment
        putU16(archive, 0);  // disk
        putU16(archive, 0);  // internal attributes
        putU32(archive, kRegularFileAttributes);
        putU32(archive, offsets[i]);
        archive += entry.name;
    }
    const std::size_t directorySize = archive.size() - directoryOffset;
    putU32(archive, kEndSignature);
    putU16(archive, 0);
    putU16(archive, 0);
    putU16(archive, static_cast<std::uint16_t>(entries.size()));
    putU16(archive, static_cast<std::uint16_t>(entries.size()));
    putU32(archive, static_cast<std::uint32_t>(directorySize));
    putU32(archive, static_cast<std::uint32_t>(directoryOffset));
    putU16(archive, 0);
    return archive;
}

}  // namespace hostile
