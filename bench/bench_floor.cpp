#include "bench_floor.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <libdeflate.h>
#include <unistd.h>
#include <zip.h>

#include <stdexcept>
#include <string_view>

#include "bench_setup.h"
#include "reading/stored_bytes.h"

namespace kerfwright::bench {
namespace {

// Hands each used entry of the archive to `inflate`, which says whether it
// inflated to its recorded size; returns the bytes inflated.
template <typename Inflate>
std::uint64_t inflateEachUsedEntry(const fs::path& archivePath, Inflate inflate) {
    int error = 0;
    ::zip* archive = zip_open(archivePath.c_str(), ZIP_RDONLY, &error);
    if (archive == nullptr) throw std::runtime_error("cannot open " + archivePath.string());
    std::uint64_t total = 0;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        zip_stat_t stat;
        if (zip_stat_index(archive, index, 0, &stat) != 0 || !isUsedEntry(stat.name)) continue;
        if (!inflate(archive, index, stat)) throw std::runtime_error("cannot inflate " + std::string(stat.name));
        total += stat.size;
    }
    zip_discard(archive);
    return total;
}

// Reads `bytes.size()` bytes of the entry, inflated or, with ZIP_FL_COMPRESSED,
// as stored; false when there are fewer.
bool readEntry(::zip* archive, zip_uint64_t index, zip_flags_t flags, std::string& bytes) {
    zip_file_t* file = zip_fopen_index(archive, index, flags);
    const zip_int64_t read = zip_fread(file, bytes.data(), bytes.size());
    zip_fclose(file);
    return read == static_cast<zip_int64_t>(bytes.size());
}

}  // namespace

std::uint64_t inflateUsedEntries(const fs::path& archivePath) {
    std::string buffer;
    return inflateEachUsedEntry(archivePath, [&](::zip* archive, zip_uint64_t index, const zip_stat_t& stat) {
        buffer.resize(stat.size);
        const bool whole = readEntry(archive, index, 0, buffer);
        benchmark::DoNotOptimize(buffer.data());
        return whole;
    });
}

std::uint64_t inflateUsedEntriesInOneCall(const fs::path& archivePath) {
    std::string stored;
    std::string buffer;
    return inflateEachUsedEntry(archivePath, [&](::zip* archive, zip_uint64_t index, const zip_stat_t& stat) {
        const bool deflated = stat.comp_method == ZIP_CM_DEFLATE;
        stored.resize(deflated ? stat.comp_size : stat.size);
        buffer.resize(stat.size);
        if (!readEntry(archive, index, deflated ? ZIP_FL_COMPRESSED : 0, stored)) return false;
        if (deflated && !inflateInto(stored, buffer)) return false;
        const std::string& content = deflated ? buffer : stored;
        benchmark::DoNotOptimize(content.data());
        return libdeflate_crc32(0, content.data(), content.size()) == stat.crc;
    });
}

void writeFiles(const fs::path& folder, const std::vector<std::size_t>& sizes, const std::string& filler) {
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const fs::path path = folder / ("file-" + std::to_string(i));
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::string_view rest(filler.data(), sizes[i]);
        while (!rest.empty()) {
            const ssize_t written = ::write(fd, rest.data(), rest.size());
            if (written <= 0) throw std::runtime_error("cannot write " + path.string());
            rest.remove_prefix(static_cast<std::size_t>(written));
        }
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace kerfwright::bench
