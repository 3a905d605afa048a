#pragma once
// A small ZIP writer for making .lac projects, including deliberately damaged
// ones for tests: wrong checksums, duplicate names, directory and symbolic-link
// entries, truncated archives.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lacgen {

struct ZipEntry {
    enum class Type { file, directory, symlink };
    std::string name;
    std::string data;               // uncompressed content
    bool deflate = true;            // DEFLATE, else stored
    Type type = Type::file;         // written as Unix mode bits
    bool corruptChecksum = false;   // store a CRC-32 that does not match the data
};

class ZipBuilder {
public:
    ZipBuilder& add(ZipEntry entry);
    ZipBuilder& addFile(std::string name, std::string data);
    const std::vector<ZipEntry>& entries() const { return entries_; }

    std::string bytes() const;                      // the complete archive
    void writeTo(const std::string& path) const;    // throws std::runtime_error on failure

private:
    std::vector<ZipEntry> entries_;
};

}  // namespace lacgen
