#pragma once
// A ZIP writer that writes exactly what it is told, lies included: declared
// sizes that do not match the data, payloads made elsewhere (such as a
// deflate stream that inflates to gigabytes), and central-directory records
// that share one local entry. lacgen::ZipBuilder writes honest archives; this
// one exists to write the dishonest ones.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hostile {

struct RawEntry {
    std::string name;
    std::string payload;             // the data as stored
    std::uint16_t method = 0;        // 0 stored, 8 DEFLATE
    std::uint32_t crc = 0;
    std::uint32_t declaredSize = 0;  // the uncompressed size the headers claim
    // Write no data of its own: the central record points at the local entry
    // of this earlier entry, under its own name.
    std::optional<std::size_t> sharesDataOf;
};

// An honest entry: stored when `deflate` is false, its true size and checksum.
RawEntry honestEntry(std::string name, const std::string& data, bool deflate = true);

// A DEFLATE payload of `mebibytes` MiB of zero bytes, built from one
// compressed mebibyte repeated, so that even a stream for gigabytes is made
// in milliseconds; and the checksum of those zeros.
std::string deflatedZeros(std::uint64_t mebibytes);
std::uint32_t crcOfZeros(std::uint64_t mebibytes);

std::string rawArchive(const std::vector<RawEntry>& entries);

}  // namespace hostile
