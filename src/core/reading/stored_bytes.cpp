#include "reading/stored_bytes.h"

#include <libdeflate.h>

#include <memory>
#include <utility>

#include "values/huge_pages.h"

namespace kerfwright {

StoredBytes StoredBytes::plain(std::string content) {
    const std::uint64_t size = content.size();
    std::string head = content.substr(0, kHeadLength);
    return StoredBytes{std::move(content), false, size, std::move(head)};
}

bool inflateInto(std::string_view stream, std::span<char> content) {
    const std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> decompressor(
        libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    if (decompressor == nullptr) return false;
    // With no place for the length it reached, the call succeeds only on
    // exactly the length of the buffer.
    return libdeflate_deflate_decompress(decompressor.get(), stream.data(), stream.size(), content.data(),
                                         content.size(), nullptr) == LIBDEFLATE_SUCCESS;
}

std::optional<std::string> inflated(const StoredBytes& stored) {
    if (!stored.deflated) return stored.bytes;
    std::string content;
    reserveOnHugePages(content, stored.size);
    content.resize(stored.size);
    if (!inflateInto(stored.bytes, content)) return std::nullopt;
    return content;
}

}  // namespace kerfwright
