#pragma once
// Read-only access to a ZIP archive: its entries in central-directory order,
// each with its path and type, and checksum-verified extraction into memory
// under a size limit.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "values/input_limits.h"
#include "reading/stored_bytes.h"

struct zip;
struct zip_source;
struct zip_error;

namespace kerfwright::zip {

enum class EntryType { file, directory, symlink };

struct Entry {
    std::string path;  // as stored; names without the UTF-8 flag are decoded by guess
    EntryType type = EntryType::file;
    std::uint64_t index = 0;  // position in the central directory
};

// The archive library's own text for what went wrong.
struct ZipError {
    std::string text;
    std::uint64_t bytesInflated = 0;  // produced before the failure
};

// The entry holds more than the limit allowed; extraction stopped just past it.
struct TooLarge {
    std::uint64_t bytesInflated = 0;
};

template <typename Content>
using Outcome = std::variant<Content, ZipError, TooLarge>;
using Extracted = Outcome<std::string>;

class Archive {
public:
    static std::variant<Archive, ZipError> open(const std::filesystem::path& file);
    // The bytes are not copied and must outlive the archive.
    static std::variant<Archive, ZipError> openInMemory(std::string_view bytes);

    const std::vector<Entry>& entries() const { return entries_; }
    // The first entry with exactly this path, or null.
    const Entry* find(std::string_view path) const;
    // The whole uncompressed content, read in chunks; fails on a checksum
    // mismatch, damaged data or an unsupported method, and stops as soon as
    // more than `maxBytes` come out, whatever size the archive declares.
    Extracted extract(const Entry& entry, std::uint64_t maxBytes = limits::kMaxEntryBytes) const;
    // The content checked as by extract, but kept as the archive stores it: a
    // deflated entry keeps its compressed stream, any other its plain bytes.
    Outcome<StoredBytes> extractStored(const Entry& entry, std::uint64_t maxBytes = limits::kMaxEntryBytes) const;

private:
    struct Discard {
        void operator()(::zip* archive) const;
    };

    // Both ways in meet here; takes ownership of the source.
    static std::variant<Archive, ZipError> fromSource(zip_source* source, zip_error* error);

    Archive(std::unique_ptr<::zip, Discard> handle, std::vector<Entry> entries)
        : handle_(std::move(handle)), entries_(std::move(entries)) {}

    std::unique_ptr<::zip, Discard> handle_;
    std::vector<Entry> entries_;
};

}  // namespace kerfwright::zip
