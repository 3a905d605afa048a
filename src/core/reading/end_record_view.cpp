#include "reading/end_record_view.h"

#include <zip.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace kerfwright::zip {
namespace {

constexpr std::uint8_t kEndRecordSignature[] = {'P', 'K', 5, 6};
constexpr std::uint64_t kEndRecordLength = 22;
// Where the comment's length stands in the end record: its last two bytes.
constexpr std::uint64_t kCommentLengthOffset = 20;
constexpr std::uint64_t kLongestComment = 65535;
// The library searches the last end record, the longest comment and a ZIP64
// locator's 20 bytes for end records; the view's padding fills that search
// with zeros but for the one true record.
constexpr std::uint64_t kPadding = kLongestComment;

std::uint16_t littleEndian16(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

// The archive's last bytes, up to the longest an end record and its comment
// can take.
std::optional<std::vector<std::uint8_t>> tailOf(zip_source_t* source, std::uint64_t size) {
    const std::uint64_t length = std::min(size, kEndRecordLength + kLongestComment);
    std::vector<std::uint8_t> tail(length);
    if (zip_source_open(source) < 0) return std::nullopt;
    const bool read = zip_source_seek(source, -static_cast<zip_int64_t>(length), SEEK_END) == 0 &&
                      zip_source_read(source, tail.data(), length) == static_cast<zip_int64_t>(length);
    zip_source_close(source);
    if (!read) return std::nullopt;
    return tail;
}

// The offset of the first end record whose comment ends exactly where the
// archive does. A record inside that comment comes after it.
std::optional<std::uint64_t> trueEndRecord(zip_source_t* source) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_source_stat(source, &stat) != 0 || (stat.valid & ZIP_STAT_SIZE) == 0) return std::nullopt;
    const auto tail = tailOf(source, stat.size);
    if (!tail) return std::nullopt;
    const std::uint64_t tailStart = stat.size - tail->size();
    for (std::uint64_t at = 0; at + kEndRecordLength <= tail->size(); ++at) {
        if (std::memcmp(tail->data() + at, kEndRecordSignature, sizeof kEndRecordSignature) != 0) continue;
        const std::uint64_t commentLength = littleEndian16(tail->data() + at + kCommentLengthOffset);
        if (at + kEndRecordLength + commentLength == tail->size()) return tailStart + at;
    }
    return std::nullopt;
}

// The archive up to the end record's comment length, which reads as 0, then
// zeros; reads below `kept` come from the archive itself.
struct View {
    zip_source_t* archive;
    std::uint64_t kept;  // bytes served from the archive
    std::uint64_t size;
    std::uint64_t position = 0;
    zip_error_t error;
};

zip_int64_t failWith(View& view, zip_source_t* failed) {
    const zip_error_t* cause = zip_source_error(failed);
    zip_error_set(&view.error, zip_error_code_zip(cause), zip_error_code_system(cause));
    return -1;
}

zip_int64_t read(View& view, void* data, zip_uint64_t length) {
    if (view.position >= view.size) return 0;
    auto* out = static_cast<std::uint8_t*>(data);
    if (view.position < view.kept) {
        const std::uint64_t wanted = std::min(length, view.kept - view.position);
        if (zip_source_seek(view.archive, static_cast<zip_int64_t>(view.position), SEEK_SET) < 0) {
            return failWith(view, view.archive);
        }
        const zip_int64_t got = zip_source_read(view.archive, out, wanted);
        if (got < 0) return failWith(view, view.archive);
        view.position += static_cast<std::uint64_t>(got);
        return got;
    }
    const std::uint64_t zeros = std::min(length, view.size - view.position);
    std::memset(out, 0, zeros);
    view.position += zeros;
    return static_cast<zip_int64_t>(zeros);
}

zip_int64_t serve(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    View& view = *static_cast<View*>(state);
    switch (command) {
        case ZIP_SOURCE_OPEN:
            view.position = 0;
            return zip_source_open(view.archive) < 0 ? failWith(view, view.archive) : 0;
        case ZIP_SOURCE_READ:
            return read(view, data, length);
        case ZIP_SOURCE_CLOSE:
            zip_source_close(view.archive);
            return 0;
        case ZIP_SOURCE_STAT: {
            auto* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &view.error);
            if (stat == nullptr) return -1;
            if (zip_source_stat(view.archive, stat) != 0) return failWith(view, view.archive);
            stat->size = view.size;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_SEEK: {
            const zip_int64_t position = zip_source_seek_compute_offset(view.position, view.size, data, length,
                                                                        &view.error);
            if (position < 0) return -1;
            view.position = static_cast<std::uint64_t>(position);
            return 0;
        }
        case ZIP_SOURCE_TELL:
            return static_cast<zip_int64_t>(view.position);
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&view.error, data, length);
        case ZIP_SOURCE_FREE:
            zip_source_free(view.archive);
            zip_error_fini(&view.error);
            delete &view;
            return 0;
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL,
                                                  ZIP_SOURCE_SUPPORTS, -1);
        default:
            zip_error_set(&view.error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
    }
}

}  // namespace

zip_source* endRecordView(zip_source* source) {
    const std::optional<std::uint64_t> end = trueEndRecord(source);
    if (!end) return source;
    auto* view = new View{source, *end + kCommentLengthOffset, *end + kEndRecordLength + kPadding, 0, {}};
    zip_error_init(&view->error);
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* made = zip_source_function_create(serve, view, &error);
    zip_error_fini(&error);
    if (made == nullptr) {
        zip_source_free(source);
        zip_error_fini(&view->error);
        delete view;
    }
    return made;
}

}  // namespace kerfwright::zip
