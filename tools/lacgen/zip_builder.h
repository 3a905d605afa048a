#pragma once
// A small ZIP writer for making .lac projects, including deliberately damaged
// ones for tests: wrong checksums, duplicate names, directory and symbolic-link
// entries, declared sizes that do not match the data, DEFLATE streams made
// elsewhere (such as one that inflates to gigabytes), and central records that
// share one entry's data.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lacgen {

struct ZipEntry {
    enum class Type { file, directory, symlink };
    std::string name;
    std::string data;               // uncompressed content
    bool deflate = true;            // DEFLATE, else stored
    bool bzip2 = false;             // bzip2, a method some ZIP readers add
    Type type = Type::file;         // written as Unix mode bits
    bool corruptChecksum = false;   // store a CRC-32 that does not match the data
    // The uncompressed size the headers claim, when not the true one.
    std::optional<std::uint32_t> declaredSize{};
    // The length of the stored data the headers claim, when not the true one.
    std::optional<std::uint32_t> declaredStoredSize{};
    // Written as the entry's DEFLATE data instead of `data`, with its CRC-32
    // and uncompressed size given.
    struct Deflated {
        std::string stream;
        std::uint32_t crc = 0;
        std::uint32_t size = 0;
    };
    std::optional<Deflated> deflated{};
    // No data of its own: the central record points at the data of this
    // earlier entry, under its own name.
    std::optional<std::size_t> sharesDataOf{};
    // The central record places the entry's data far past the archive's end.
    bool placedPastEnd = false;
};

class ZipBuilder {
public:
    ZipBuilder& add(ZipEntry entry);
    ZipBuilder& addFile(std::string name, std::string data);
    const std::vector<ZipEntry>& entries() const { return entries_; }
    // The archive comment: this many copies of a 22-byte end record, as an
    // archive forged to slow down readers that weigh every end record holds.
    ZipBuilder& repeatEndRecordInComment(int copies);

    std::string bytes() const;                      // the complete archive
    void writeTo(const std::string& path) const;    // throws std::runtime_error on failure

private:
    std::vector<ZipEntry> entries_;
    int endRecordCopies_ = 0;
};

}  // namespace lacgen
