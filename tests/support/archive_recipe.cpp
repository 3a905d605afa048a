#include "support/archive_recipe.h"

#include <zlib.h>

#include <string_view>

#include "support/case_file.h"
#include "zip_builder.h"
#include "zip_bytes.h"

namespace kerfwright::testing {
namespace {

constexpr std::size_t kMebibyte = std::size_t{1} << 20;
constexpr std::string_view kSceneName = "2D/2dmodel.json";
constexpr std::string_view kSettingsName = "Metadata2D/project_settings.json";

// A PNG file's signature, which makes what follows it a picture to the converter.
constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1a\n";

// Glued from one flushed block per mebibyte and a final empty block, so that
// a stream for gigabytes costs one compression of a mebibyte. `lead` comes
// before the zeros, in a block of its own.
lacgen::ZipEntry::Deflated deflatedZeros(std::uint32_t mebibytes, std::string_view lead) {
    const std::string zeros(kMebibyte, '\0');
    const std::string block = lacgen::deflateRaw(zeros, Z_BEST_COMPRESSION, 9, false);
    const uLong blockCrc = lacgen::crc32Of(zeros);
    lacgen::ZipEntry::Deflated deflated;
    uLong crc = crc32(0L, Z_NULL, 0);
    if (!lead.empty()) {
        deflated.stream = lacgen::deflateRaw(std::string(lead), Z_BEST_COMPRESSION, 9, false);
        crc = lacgen::crc32Of(std::string(lead));
    }
    for (std::uint32_t i = 0; i < mebibytes; ++i) {
        deflated.stream += block;
        crc = crc32_combine(crc, blockCrc, kMebibyte);
    }
    deflated.stream += std::string("\x03\x00", 2);
    deflated.crc = static_cast<std::uint32_t>(crc);
    deflated.size = static_cast<std::uint32_t>(std::uint64_t{mebibytes} * kMebibyte + lead.size());
    return deflated;
}

// CONTENT with every <<N*TEXT>> written out.
std::string expanded(const std::string& content) {
    std::string out;
    std::size_t from = 0;
    for (std::size_t open; (open = content.find("<<", from)) != std::string::npos;) {
        const std::size_t star = content.find('*', open);
        const std::size_t close = content.find(">>", star);
        out += content.substr(from, open - from);
        const long count = std::stol(content.substr(open + 2, star - open - 2));
        const std::string text = content.substr(star + 1, close - star - 1);
        const bool counted = text.find("{i") != std::string::npos;
        for (long i = 1; i <= count; ++i) {
            out += counted ? replacedAll(replacedAll(text, "{i}", std::to_string(i)), "{i+1}", std::to_string(i + 1))
                           : text;
        }
        from = close + 2;
    }
    return out + content.substr(from);
}

void addEntry(lacgen::ZipBuilder& builder, std::string part) {
    lacgen::ZipEntry entry;
    bool zeros = false;
    bool same = false;
    bool png = false;
    const auto take = [&](std::string_view flag) {
        if (!part.starts_with(flag)) return false;
        part.erase(0, flag.size());
        return true;
    };
    for (bool more = true; more;) {
        more = true;
        if (take("stored:")) entry.deflate = false;
        else if (take("bzip2:")) entry.bzip2 = true;
        else if (take("pastend:")) entry.placedPastEnd = true;
        else if (take("png:")) png = true;
        else if (take("badcrc:")) entry.corruptChecksum = true;
        else if (take("dir:")) entry.type = lacgen::ZipEntry::Type::directory;
        else if (take("link:")) entry.type = lacgen::ZipEntry::Type::symlink;
        else if (take("zeros:")) zeros = true;
        else if (take("same:")) same = true;
        else if (take("size=")) {
            const std::size_t colon = part.find(':');
            entry.declaredSize = static_cast<std::uint32_t>(std::stoul(part.substr(0, colon)));
            part.erase(0, colon + 1);
        } else more = false;
    }
    if (part == "scene") part = std::string(kSceneName) + R"(={"canvas_list":[]})";
    if (part == "settings") part = std::string(kSettingsName) + R"(={"canvas_settings":[]})";
    if (part.starts_with("scene=")) part = std::string(kSceneName) + part.substr(5);
    if (part.starts_with("settings=")) part = std::string(kSettingsName) + part.substr(8);
    const std::size_t equals = part.find('=');
    entry.name = part.substr(0, equals);
    if (equals != std::string::npos) entry.data = expanded(part.substr(equals + 1));
    if (same) {
        for (std::size_t i = 0; i < builder.entries().size(); ++i) {
            if (builder.entries()[i].name == entry.data) entry.sharesDataOf = i;
        }
        entry.data.clear();
    } else if (zeros && entry.deflate) {
        entry.deflated = deflatedZeros(static_cast<std::uint32_t>(std::stoul(entry.data)), png ? kPngSignature : "");
        entry.data.clear();
    } else if (zeros) {
        const std::size_t size = std::stoul(entry.data) * kMebibyte;
        entry.data = png ? kPngSignature : "";
        entry.data.resize(entry.data.size() + size, '\0');
    } else if (png) {
        entry.data.insert(0, kPngSignature);
    }
    builder.add(std::move(entry));
}

}  // namespace

std::string archiveOf(const std::vector<std::string>& parts) {
    lacgen::ZipBuilder builder;
    std::size_t dropped = 0;
    for (const std::string& part : parts) {
        if (part.starts_with("truncated ")) {
            dropped = std::stoul(part.substr(10));
        } else if (part.starts_with("end records in comment ")) {
            builder.repeatEndRecordInComment(std::stoi(part.substr(23)));
        } else if (part.starts_with("many ")) {
            const std::size_t colon = part.find(':');
            const long count = std::stol(part.substr(5, colon - 5));
            for (long i = 1; i <= count; ++i) addEntry(builder, replacedAll(part.substr(colon + 1), "{i}", std::to_string(i)));
        } else if (!part.empty()) {
            addEntry(builder, part);
        }
    }
    std::string bytes = builder.bytes();
    bytes.resize(bytes.size() - dropped);
    return bytes;
}

std::vector<std::string> recipeParts(const std::string& line) {
    std::vector<std::string> parts;
    for (std::size_t start = 0; start <= line.size();) {
        const std::size_t end = std::min(line.find(" | ", start), line.size());
        parts.push_back(line.substr(start, end - start));
        start = end + 3;
    }
    return parts;
}

}  // namespace kerfwright::testing
