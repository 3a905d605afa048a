#pragma once
// Content as an archive entry stores it: plain, or still as its raw DEFLATE
// stream. A few megabytes of an archive can inflate to gigabytes; content kept
// compressed costs only its place in the archive until it is used.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kerfwright {

// How much of the content's start is kept beside it: enough for the
// signatures that tell one kind of file from another.
inline constexpr std::size_t kHeadLength = 16;

struct StoredBytes {
    std::string bytes;       // the content, or its raw DEFLATE stream when `deflated`
    bool deflated = false;
    std::uint64_t size = 0;  // the content's length
    std::string head;        // the content's first kHeadLength bytes, or all of it when shorter

    static StoredBytes plain(std::string content);
};

// Inflates a raw DEFLATE stream into `content`, which holds as many bytes as
// the stream must inflate to; false when it inflates to any other length or is
// damaged, the content then being unspecified. Bytes after the stream's end
// are ignored.
bool inflateInto(std::string_view stream, std::span<char> content);

// The content; nothing when a stream does not inflate to exactly `size` bytes.
std::optional<std::string> inflated(const StoredBytes& stored);

}  // namespace kerfwright
