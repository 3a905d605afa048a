#include "reading/zip_archive.h"

#include <libdeflate.h>
#include <zip.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <utility>

#include "reading/end_record_view.h"
#include "values/huge_pages.h"

namespace kerfwright::zip {

namespace {

constexpr std::size_t chunkSize = 16384;
// What a reader of entry text may add at its end (the JSON parser's padding).
constexpr std::uint64_t kReaderPadding = 64;

constexpr std::uint32_t unixTypeMask = 0170000;
constexpr std::uint32_t unixDirectory = 0040000;
constexpr std::uint32_t unixSymlink = 0120000;

std::string errorText(zip_error_t* error) { return zip_error_strerror(error); }

// The error's text; the error is released.
ZipError takeError(zip_error_t* error) {
    ZipError failure{errorText(error)};
    zip_error_fini(error);
    return failure;
}

std::string errorTextForCode(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = errorText(&error);
    zip_error_fini(&error);
    return text;
}

// The mode bits that Unix archivers keep in the high half of the external attributes.
std::uint32_t unixMode(::zip* archive, zip_uint64_t index) {
    zip_uint8_t hostSystem = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, index, 0, &hostSystem, &attributes) != 0) return 0;
    return attributes >> 16;
}

EntryType entryType(std::string_view path, std::uint32_t mode) {
    if (path.ends_with('/') || (mode & unixTypeMask) == unixDirectory) return EntryType::directory;
    if ((mode & unixTypeMask) == unixSymlink) return EntryType::symlink;
    return EntryType::file;
}

std::vector<Entry> listEntries(::zip* archive) {
    std::vector<Entry> entries;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        const char* name = zip_get_name(archive, index, ZIP_FL_ENC_GUESS);
        std::string path = name ? name : "";
        const EntryType type = entryType(path, unixMode(archive, index));
        entries.push_back(Entry{std::move(path), type, index});
    }
    return entries;
}

// Why an entry cannot be opened. An entry whose data the archive places
// outside itself is reported as the damage it is, not as the seek that failed.
ZipError openFailure(::zip* archive) {
    zip_error_t* error = zip_get_error(archive);
    switch (zip_error_code_zip(error)) {
        case ZIP_ER_INVAL:
        case ZIP_ER_SEEK:
        case ZIP_ER_EOF:
            return ZipError{"Damaged archive: an entry lies past the end of the file"};
        default:
            return ZipError{errorText(error)};
    }
}

// One pass over an entry: what it kept, and how many bytes came out in all.
struct Pass {
    Extracted outcome;  // on success, the first `keepBytes` of the content
    std::uint64_t total = 0;
};

// What the archive says of an entry, or nothing if it cannot tell.
std::optional<zip_stat_t> statOf(::zip* archive, zip_uint64_t index) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, index, 0, &stat) != 0) return std::nullopt;
    return stat;
}

// The uncompressed size the archive declares: only a hint for reserving
// memory, never trusted for the limits.
std::uint64_t declaredSize(::zip* archive, zip_uint64_t index) {
    const std::optional<zip_stat_t> stat = statOf(archive, index);
    return stat && (stat->valid & ZIP_STAT_SIZE) != 0 ? stat->size : 0;
}

// Keeps the first `keepBytes` of the entry and counts the rest, stopping as
// soon as more than `maxBytes` have come out. Kept bytes are read straight
// into their buffer, chunk by chunk.
// `expectedSize` is what the entry should hold: what the archive declares,
// or what an earlier pass found.
Pass streamEntry(::zip* archive, zip_uint64_t index, std::uint64_t keepBytes, std::uint64_t maxBytes,
                 std::uint64_t expectedSize) {
    zip_file_t* file = zip_fopen_index(archive, index, 0);
    if (file == nullptr) return Pass{openFailure(archive)};
    const std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> closer(file, zip_fclose);
    std::string kept;
    // Room for the size expected and the padding a JSON parser adds to it,
    // and no more: what an entry holds stays in proportion to its size. A
    // declaration that overstates costs no more than a bounded amount up
    // front; one that understates grows the buffer as strings grow.
    const std::uint64_t declared = std::min(expectedSize, keepBytes);
    kept.reserve(static_cast<std::size_t>(std::min(declared + kReaderPadding, limits::kEntryBytesHeldWhileMeasuring)));
    std::uint64_t total = 0;
    char chunk[chunkSize];
    for (;;) {
        const std::size_t keptBefore = kept.size();
        // Straight into the buffer while the declared size lasts, else through the chunk.
        const bool keeping = keptBefore < declared;
        const std::size_t wanted = keeping ? static_cast<std::size_t>(std::min<std::uint64_t>(chunkSize, declared - keptBefore)) : chunkSize;
        if (keeping) kept.resize(keptBefore + wanted);
        char* target = keeping ? kept.data() + keptBefore : chunk;
        const zip_int64_t read = zip_fread(file, target, wanted);
        if (keeping) kept.resize(keptBefore + static_cast<std::size_t>(std::max<zip_int64_t>(read, 0)));
        if (read < 0) return Pass{ZipError{zip_file_strerror(file), total}, total};
        if (read == 0) return Pass{std::move(kept), total};
        total += static_cast<std::uint64_t>(read);
        if (total > maxBytes) return Pass{TooLarge{total}, total};
        if (!keeping) {
            const std::uint64_t room = keepBytes - kept.size();
            kept.append(chunk, static_cast<std::size_t>(std::min<std::uint64_t>(room, static_cast<std::uint64_t>(read))));
        }
    }
}

// The entry's data as stored, not inflated, if it is no longer than `maxBytes`.
std::variant<std::string, ZipError, TooLarge> readCompressed(::zip* archive, zip_uint64_t index,
                                                             std::uint64_t declaredCompressedSize,
                                                             std::uint64_t maxBytes) {
    zip_file_t* file = zip_fopen_index(archive, index, ZIP_FL_COMPRESSED);
    if (file == nullptr) return openFailure(archive);
    const std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> closer(file, zip_fclose);
    std::string compressed;
    const std::uint64_t expected = std::min({declaredCompressedSize, maxBytes, limits::kEntryBytesHeldWhileMeasuring});
    reserveOnHugePages(compressed, static_cast<std::size_t>(expected));
    char chunk[chunkSize];
    for (zip_int64_t read; (read = zip_fread(file, chunk, chunkSize)) != 0;) {
        if (read < 0) return ZipError{zip_file_strerror(file)};
        compressed.append(chunk, static_cast<std::size_t>(read));
        if (compressed.size() > maxBytes) return TooLarge{};
    }
    return compressed;
}

// The longest stream kept compressed for content of `size` bytes: the content
// plus what DEFLATE adds to data it cannot shrink (five bytes in 64 KiB), with
// room to spare. A longer stream (an entry may declare any length of data
// after its true end) would cost more than the content, which is kept instead.
std::uint64_t longestKeptStream(std::uint64_t size) { return size + size / 64 + 1024; }

bool isDeflated(const zip_stat_t& stat) {
    return (stat.valid & ZIP_STAT_COMP_METHOD) != 0 && stat.comp_method == ZIP_CM_DEFLATE;
}

// DEFLATE spends at least two bits on a copy, and a copy is at most 258
// bytes long.
constexpr std::uint64_t kMostInflatedPerDeflatedByte = 1032;

// The most an entry can hold, whatever it declares: the archive library
// reads no more than the stream's stored length, which a stored entry holds
// as it is and a deflated one inflates to at most 1032 times over.
std::uint64_t mostHeld(const std::optional<zip_stat_t>& stat) {
    constexpr std::uint64_t kUnknown = std::numeric_limits<std::uint64_t>::max();
    if (!stat || (stat->valid & ZIP_STAT_COMP_SIZE) == 0 || (stat->valid & ZIP_STAT_COMP_METHOD) == 0) return kUnknown;
    if (stat->comp_method == ZIP_CM_STORE) return stat->comp_size;
    if (stat->comp_method != ZIP_CM_DEFLATE || stat->comp_size > kUnknown / kMostInflatedPerDeflatedByte) return kUnknown;
    return stat->comp_size * kMostInflatedPerDeflatedByte;
}

// Projects are stored or deflated. The archive library may read other
// methods or not, depending on how it was built; refusing them here makes
// every build read the same archives alike.
bool isReadableMethod(const std::optional<zip_stat_t>& stat) {
    if (!stat || (stat->valid & ZIP_STAT_COMP_METHOD) == 0) return true;
    return stat->comp_method == ZIP_CM_STORE || stat->comp_method == ZIP_CM_DEFLATE;
}

// An entry inflated in one piece, and the stream it came from.
struct WholeEntry {
    std::string compressed;
    std::string content;
};

// A deflated entry read in one piece and inflated in one call, straight into
// a buffer of the length the archive declares: twice as fast as streaming it
// or more. It gives the entry only when it comes out exactly as
// declared, length and checksum alike, and only when the declared length is
// one the limits let be held up front. Anything else gives nothing, and the
// entry is streamed, which tells what is wrong with it.
std::optional<WholeEntry> inflateAsDeclared(::zip* archive, zip_uint64_t index, const zip_stat_t& stat,
                                            std::uint64_t maxBytes) {
    constexpr zip_uint64_t kNeeded = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC | ZIP_STAT_ENCRYPTION_METHOD;
    if (!isDeflated(stat) || (stat.valid & kNeeded) != kNeeded) return std::nullopt;
    if (stat.encryption_method != ZIP_EM_NONE || stat.size > maxBytes || stat.size > mostHeld(stat)) return std::nullopt;
    const std::uint64_t longestStream = longestKeptStream(stat.size);
    const bool plausible = stat.size / limits::kMostDeclaredBytesPerStoredByte <= stat.comp_size;
    const bool heldUpFront = stat.size <= limits::kEntryBytesHeldWhileMeasuring || plausible;
    if (stat.comp_size > longestStream || !heldUpFront) return std::nullopt;
    auto compressed = readCompressed(archive, index, stat.comp_size, longestStream);
    auto* stream = std::get_if<std::string>(&compressed);
    if (stream == nullptr || stream->size() != stat.comp_size) return std::nullopt;
    // A little room past the end, as streaming leaves, so that a reader that
    // pads the content (a JSON parser does) need not copy it.
    const auto size = static_cast<std::size_t>(stat.size);
    std::string content;
    if (plausible) {
        reserveOnHugePages(content, size + chunkSize);
        content.resize(size);
        if (!inflateInto(*stream, content)) return std::nullopt;
    } else {
        // A declaration of many times the stream may well be false: the
        // stream is inflated into memory that is not cleared first, and
        // copied out only once it has come out as declared. A false one then
        // costs what its stream inflates to, not what it declares.
        const std::unique_ptr<char[]> uncleared(new char[size]);
        if (!inflateInto(*stream, std::span<char>(uncleared.get(), size))) return std::nullopt;
        reserveOnHugePages(content, size + chunkSize);
        content.assign(uncleared.get(), size);
    }
    if (libdeflate_crc32(0, content.data(), content.size()) != stat.crc) return std::nullopt;
    return WholeEntry{std::move(*stream), std::move(content)};
}

Outcome<StoredBytes> storedPlain(Extracted extracted) {
    if (auto* bytes = std::get_if<std::string>(&extracted)) return StoredBytes::plain(std::move(*bytes));
    if (auto* failure = std::get_if<ZipError>(&extracted)) return std::move(*failure);
    return std::get<TooLarge>(extracted);
}

bool isEmpty(zip_source_t* source) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    return zip_source_stat(source, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE) != 0 && stat.size == 0;
}

}  // namespace

void Archive::Discard::operator()(::zip* archive) const { zip_discard(archive); }

std::variant<Archive, ZipError> Archive::open(const std::filesystem::path& file) {
    // Only a regular file is an archive; a folder, a pipe or a device would
    // otherwise be "not supported", or a pipe wait for ever.
    std::error_code statusError;
    const std::filesystem::file_status status = std::filesystem::status(file, statusError);
    if (std::filesystem::is_directory(status)) return ZipError{"Is a folder, not a file"};
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        return ZipError{"Not a regular file"};
    }
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_file_create(file.c_str(), 0, -1, &error);  // -1: to the end of the file
    if (source == nullptr) return takeError(&error);
    return fromSource(source, &error);
}

std::variant<Archive, ZipError> Archive::openInMemory(std::string_view bytes) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (source == nullptr) return takeError(&error);
    return fromSource(source, &error);
}

// A file of no bytes at all is refused like any other non-archive: the library
// would otherwise take it for an empty archive.
std::variant<Archive, ZipError> Archive::fromSource(zip_source_t* source, zip_error_t* error) {
    if (isEmpty(source)) {
        zip_source_free(source);
        zip_error_fini(error);
        return ZipError{errorTextForCode(ZIP_ER_NOZIP)};
    }
    source = endRecordView(source);
    if (source == nullptr) {
        zip_error_fini(error);
        return ZipError{errorTextForCode(ZIP_ER_MEMORY)};
    }
    ::zip* handle = zip_open_from_source(source, ZIP_RDONLY, error);
    if (handle == nullptr) {
        zip_source_free(source);
        return takeError(error);
    }
    zip_error_fini(error);
    // Owned before the entries are listed, so that a listing that throws
    // still closes the archive.
    std::unique_ptr<::zip, Discard> owned(handle);
    std::vector<Entry> entries = listEntries(handle);
    return Archive(std::move(owned), std::move(entries));
}

const Entry* Archive::find(std::string_view path) const {
    for (const Entry& entry : entries_) {
        if (entry.path == path) return &entry;
    }
    return nullptr;
}

Extracted Archive::extract(const Entry& entry, std::uint64_t maxBytes) const {
    const std::optional<zip_stat_t> stat = statOf(handle_.get(), entry.index);
    if (!isReadableMethod(stat)) return ZipError{errorTextForCode(ZIP_ER_COMPNOTSUPP)};
    if (stat) {
        auto whole = inflateAsDeclared(handle_.get(), entry.index, *stat, maxBytes);
        if (whole) return std::move(whole->content);
    }
    // An entry is held while it streams up to what the archive declares for it
    // (at least a fixed amount, never past the limit): an honest entry is read
    // once, and a declaration that understates only costs a second pass. One
    // that declares more than the limit is measured holding nothing: if it is
    // as large as it says, it is refused without ever having been held.
    const std::uint64_t declared = declaredSize(handle_.get(), entry.index);
    const std::uint64_t held = declared > maxBytes ? 0 : std::max(limits::kEntryBytesHeldWhileMeasuring, declared);
    // Room is made for no more than the stream can inflate to: a few bytes
    // that declare many megabytes do not cost them up front.
    Pass first = streamEntry(handle_.get(), entry.index, held, maxBytes, std::min(declared, mostHeld(stat)));
    const auto* kept = std::get_if<std::string>(&first.outcome);
    if (kept == nullptr || kept->size() == first.total) return std::move(first.outcome);
    // Longer than what is held while measuring, yet within the limit: read it
    // again, into a buffer of exactly its size.
    Pass second = streamEntry(handle_.get(), entry.index, first.total, first.total, first.total);
    const auto* whole = std::get_if<std::string>(&second.outcome);
    const bool changed = std::holds_alternative<TooLarge>(second.outcome) || (whole && whole->size() != first.total);
    if (changed) return ZipError{errorTextForCode(ZIP_ER_INCONS), first.total + second.total};
    return std::move(second.outcome);
}

Outcome<StoredBytes> Archive::extractStored(const Entry& entry, std::uint64_t maxBytes) const {
    const std::optional<zip_stat_t> stat = statOf(handle_.get(), entry.index);
    if (!stat || !isDeflated(*stat)) return storedPlain(extract(entry, maxBytes));
    // Kept compressed so as not to hold the content: it is held while it is
    // checked only if it is no longer than an entry held while measuring.
    const std::uint64_t heldAtMost = std::min(maxBytes, limits::kEntryBytesHeldWhileMeasuring);
    if (auto whole = inflateAsDeclared(handle_.get(), entry.index, *stat, heldAtMost)) {
        return StoredBytes{std::move(whole->compressed), true, whole->content.size(), whole->content.substr(0, kHeadLength)};
    }
    // Inflated once, keeping nothing but its head, to check it against its
    // checksum and the limit; then its compressed stream is kept.
    Pass check = streamEntry(handle_.get(), entry.index, kHeadLength, maxBytes, 0);
    if (auto* failure = std::get_if<ZipError>(&check.outcome)) return std::move(*failure);
    if (auto* tooLarge = std::get_if<TooLarge>(&check.outcome)) return *tooLarge;
    const std::uint64_t longestStream = longestKeptStream(check.total);
    const std::uint64_t declaredStream = (stat->valid & ZIP_STAT_COMP_SIZE) != 0 ? stat->comp_size : 0;
    auto compressed = readCompressed(handle_.get(), entry.index, declaredStream, longestStream);
    if (auto* stream = std::get_if<std::string>(&compressed)) {
        return StoredBytes{std::move(*stream), true, check.total, std::move(std::get<std::string>(check.outcome))};
    }
    if (auto* failure = std::get_if<ZipError>(&compressed)) {
        failure->bytesInflated = check.total;
        return std::move(*failure);
    }
    return storedPlain(extract(entry, maxBytes));
}

}  // namespace kerfwright::zip
