#include "zip_builder.h"

#include <bzlib.h>
#include <zlib.h>

#include "zip_bytes.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <utility>

namespace lacgen {

namespace {

constexpr std::uint32_t localHeaderSignature = 0x04034b50;
constexpr std::uint32_t centralHeaderSignature = 0x02014b50;
constexpr std::uint32_t endRecordSignature = 0x06054b50;

constexpr std::uint16_t versionNeeded = 20;                // 2.0: DEFLATE and directories
constexpr std::uint16_t versionMadeBy = (3 << 8) | 20;     // host system 3 = Unix
constexpr std::uint16_t utf8NameFlag = 1 << 11;
constexpr std::uint16_t methodStored = 0;
constexpr std::uint16_t methodDeflate = 8;
constexpr std::uint16_t methodBzip2 = 12;
constexpr std::uint32_t kFarPastTheEnd = 0x7fffff00;
// The fixed parts of the records, before their names.
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kCentralHeaderSize = 46;
constexpr std::size_t kEndRecordSize = 22;
// A fixed timestamp (1980-01-01 00:00) keeps the archives reproducible.
constexpr std::uint16_t dosTime = 0;
constexpr std::uint16_t dosDate = (1 << 5) | 1;

constexpr std::uint32_t unixRegularFile = 0100644;
constexpr std::uint32_t unixDirectory = 0040755;
constexpr std::uint32_t unixSymlink = 0120777;
constexpr std::uint32_t dosDirectoryAttribute = 0x10;

std::string storedName(const ZipEntry& entry) {
    if (entry.type == ZipEntry::Type::directory && (entry.name.empty() || entry.name.back() != '/')) {
        return entry.name + "/";
    }
    return entry.name;
}

std::uint32_t externalAttributes(ZipEntry::Type type) {
    switch (type) {
        case ZipEntry::Type::directory: return (unixDirectory << 16) | dosDirectoryAttribute;
        case ZipEntry::Type::symlink: return unixSymlink << 16;
        case ZipEntry::Type::file: break;
    }
    return unixRegularFile << 16;
}

std::string bzip2Compressed(const std::string& data) {
    // bzip2 never grows data by more than 1 % and 600 bytes.
    unsigned int length = static_cast<unsigned int>(data.size() + data.size() / 100 + 600);
    std::string out(length, '\0');
    std::string input = data;  // the library takes a writable buffer
    if (BZ2_bzBuffToBuffCompress(out.data(), &length, input.data(), static_cast<unsigned int>(input.size()), 9, 0,
                                 0) != BZ_OK) {
        throw std::runtime_error("bzip2 compression failed");
    }
    out.resize(length);
    return out;
}

// Everything both headers of one entry share.
struct EncodedEntry {
    std::string name;
    std::uint16_t flags = 0;
    std::uint16_t method = methodStored;
    std::uint32_t crc = 0;
    // The data as stored: compressed here, or held by the entry (its own data
    // stored as it is, or a stream made elsewhere), so that an archive of
    // hundreds of megabytes holds them once.
    std::string compressed;
    const std::string* held = nullptr;
    std::string_view payload() const { return held ? std::string_view(*held) : std::string_view(compressed); }
    std::uint32_t uncompressedSize = 0;
    std::optional<std::uint32_t> declaredStoredSize;
    std::uint32_t externalAttributes = 0;
};

EncodedEntry encode(const ZipEntry& entry) {
    EncodedEntry encoded;
    encoded.name = storedName(entry);
    encoded.flags = isAscii(encoded.name) ? 0 : utf8NameFlag;
    encoded.method = entry.deflate || entry.deflated ? methodDeflate : methodStored;
    if (entry.bzip2) {
        encoded.method = methodBzip2;
        encoded.crc = crc32Of(entry.data);
        encoded.compressed = bzip2Compressed(entry.data);
        encoded.uncompressedSize = static_cast<std::uint32_t>(entry.data.size());
    } else if (entry.deflated) {
        encoded.crc = entry.deflated->crc;
        encoded.held = &entry.deflated->stream;
        encoded.uncompressedSize = entry.deflated->size;
    } else {
        encoded.crc = crc32Of(entry.data);
        if (entry.deflate) encoded.compressed = deflateRaw(entry.data, Z_DEFAULT_COMPRESSION, 8);
        else encoded.held = &entry.data;
        encoded.uncompressedSize = static_cast<std::uint32_t>(entry.data.size());
    }
    if (entry.corruptChecksum) encoded.crc ^= 0xffffffffu;
    encoded.uncompressedSize = entry.declaredSize.value_or(encoded.uncompressedSize);
    encoded.declaredStoredSize = entry.declaredStoredSize;
    encoded.externalAttributes = externalAttributes(entry.type);
    return encoded;
}

// The fields from "version needed" through the name and extra-field lengths,
// identical in the local and the central header.
void putCommonFields(std::string& out, const EncodedEntry& entry) {
    putU16(out, versionNeeded);
    putU16(out, entry.flags);
    putU16(out, entry.method);
    putU16(out, dosTime);
    putU16(out, dosDate);
    putU32(out, entry.crc);
    putU32(out, entry.declaredStoredSize.value_or(static_cast<std::uint32_t>(entry.payload().size())));
    putU32(out, entry.uncompressedSize);
    putU16(out, static_cast<std::uint16_t>(entry.name.size()));
    putU16(out, 0);  // no extra field
}

void putLocalEntry(std::string& out, const EncodedEntry& entry) {
    putU32(out, localHeaderSignature);
    putCommonFields(out, entry);
    out += entry.name;
    out += entry.payload();
}

void putCentralHeader(std::string& out, const EncodedEntry& entry, std::uint32_t localOffset) {
    putU32(out, centralHeaderSignature);
    putU16(out, versionMadeBy);
    putCommonFields(out, entry);
    putU16(out, 0);  // comment length
    putU16(out, 0);  // disk number
    putU16(out, 0);  // internal attributes
    putU32(out, entry.externalAttributes);
    putU32(out, localOffset);
    out += entry.name;
}

void putEndRecord(std::string& out, std::size_t entryCount, std::size_t directorySize, std::size_t directoryOffset,
                  std::size_t commentLength = 0) {
    putU32(out, endRecordSignature);
    putU16(out, 0);  // this disk
    putU16(out, 0);  // disk with the central directory
    putU16(out, static_cast<std::uint16_t>(entryCount));
    putU16(out, static_cast<std::uint16_t>(entryCount));
    putU32(out, static_cast<std::uint32_t>(directorySize));
    putU32(out, static_cast<std::uint32_t>(directoryOffset));
    putU16(out, static_cast<std::uint16_t>(commentLength));
}

}  // namespace

ZipBuilder& ZipBuilder::add(ZipEntry entry) {
    entries_.push_back(std::move(entry));
    return *this;
}

ZipBuilder& ZipBuilder::repeatEndRecordInComment(int copies) {
    endRecordCopies_ = copies;
    return *this;
}

ZipBuilder& ZipBuilder::addFile(std::string name, std::string data) {
    return add(ZipEntry{std::move(name), std::move(data)});
}

std::string ZipBuilder::bytes() const {
    // Every entry is encoded first, so that the archive is allocated once at
    // its whole size: an archive of hundreds of megabytes is then copied once.
    std::vector<EncodedEntry> encoded;
    encoded.reserve(entries_.size());
    std::size_t size = kEndRecordSize * (1 + static_cast<std::size_t>(endRecordCopies_));
    for (const ZipEntry& entry : entries_) {
        if (entry.sharesDataOf) {
            // A record that shares data describes that data, not its own.
            encoded.push_back(encoded.at(*entry.sharesDataOf));
            encoded.back().name = storedName(entry);
        } else {
            encoded.push_back(encode(entry));
            size += kLocalHeaderSize + encoded.back().name.size() + encoded.back().payload().size();
        }
        size += kCentralHeaderSize + encoded.back().name.size();
    }
    std::string archive;
    archive.reserve(size);
    std::string centralDirectory;
    std::vector<std::uint32_t> offsets;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const ZipEntry& entry = entries_[i];
        if (entry.sharesDataOf) {
            offsets.push_back(offsets.at(*entry.sharesDataOf));
            putCentralHeader(centralDirectory, encoded[i], offsets.back());
            continue;
        }
        offsets.push_back(static_cast<std::uint32_t>(archive.size()));
        putCentralHeader(centralDirectory, encoded[i], entry.placedPastEnd ? kFarPastTheEnd : offsets.back());
        putLocalEntry(archive, encoded[i]);
    }
    const std::size_t directoryOffset = archive.size();
    archive += centralDirectory;
    std::string endRecord;
    putEndRecord(endRecord, entries_.size(), centralDirectory.size(), directoryOffset);
    putEndRecord(archive, entries_.size(), centralDirectory.size(), directoryOffset,
                 endRecord.size() * static_cast<std::size_t>(endRecordCopies_));
    for (int i = 0; i < endRecordCopies_; ++i) archive += endRecord;
    return archive;
}

void ZipBuilder::writeTo(const std::string& path) const {
    const std::string archive = bytes();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(archive.data(), static_cast<std::streamsize>(archive.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write archive to " + path);
}

}  // namespace lacgen
