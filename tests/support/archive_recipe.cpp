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

// Writes a DEFLATE bit stream: fields from their low bit up, Huffman codes
// from their high bit down.
class BitWriter {
public:
    void field(std::uint32_t value, int bits) {
        for (int i = 0; i < bits; ++i) put((value >> i) & 1U);
    }
    void code(std::uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) put((value >> i) & 1U);
    }
    // Ends the stream at a byte boundary with an empty stored block, as a
    // flush does, so that streams can be glued together.
    std::string flushed() {
        field(0, 3);  // not final, stored
        if (used_ != 0) field(0, 8 - used_);
        bytes_ += std::string("\x00\x00\xff\xff", 4);
        return bytes_;
    }

private:
    void put(std::uint32_t bit) {
        if (used_ == 0) bytes_ += '\0';
        bytes_.back() = static_cast<char>(static_cast<unsigned char>(bytes_.back()) | (bit << used_));
        used_ = (used_ + 1) % 8;
    }
    std::string bytes_;
    int used_ = 0;
};

// A mebibyte of zeros as one block with codes of its own: eight literal
// zeros, then copies of 258 bytes from 8 back, then the zeros left over.
// An encoder copies zeros from 1 back; inflating such copies goes one
// byte at a time, each byte waiting for the one before, four times slower
// than copies from 8 back, while the stream is only half as long again.
std::string deflatedMebibyteOfZeros() {
    constexpr int kDistance = 8;
    constexpr int kLongest = 258;
    BitWriter bits;
    bits.field(0, 1);   // not the final block
    bits.field(2, 2);   // codes of its own
    bits.field(29, 5);  // 286 literal and length codes
    bits.field(5, 5);   // 6 distance codes
    bits.field(14, 4);  // 18 code length codes, in their fixed order:
    // 16 17 18 0 8 7 9 6 10 5 11 4 12 3 13 2 14 1; 1, 2, 17 and 18 are
    // used, each two bits long: 00, 01, 10 and 11 in that order.
    for (const std::uint32_t length : {0, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2}) bits.field(length, 3);
    const auto lengthOne = [&] { bits.code(0b00, 2); };
    const auto lengthTwo = [&] { bits.code(0b01, 2); };
    const auto zeroLengths = [&](std::uint32_t count) {  // 3 to 138 unused codes
        if (count <= 10) {
            bits.code(0b10, 2);
            bits.field(count - 3, 3);
        } else {
            bits.code(0b11, 2);
            bits.field(count - 11, 7);
        }
    };
    // Literal 0 and the end of the block two bits long, length 258 one bit;
    // distance code 5 (7 or 8 back) alone, one bit.
    lengthTwo();
    zeroLengths(138);
    zeroLengths(117);
    lengthTwo();
    zeroLengths(28);
    lengthOne();
    zeroLengths(5);
    lengthOne();
    const auto literalZero = [&] { bits.code(0b10, 2); };
    std::size_t left = kMebibyte;
    for (int i = 0; i < kDistance; ++i, --left) literalZero();
    for (; left >= kLongest; left -= kLongest) {
        bits.code(0b0, 1);  // length 258
        bits.code(0b0, 1);  // distance code 5
        bits.field(kDistance - 7, 1);
    }
    for (; left > 0; --left) literalZero();
    bits.code(0b11, 2);  // end of block
    return bits.flushed();
}

// Glued from one block per mebibyte and a final empty block, so that a
// stream for gigabytes costs one mebibyte's block. `lead` comes before the
// zeros, in a block of its own.
lacgen::ZipEntry::Deflated deflatedZeros(std::uint32_t mebibytes, std::string_view lead) {
    static const std::string block = deflatedMebibyteOfZeros();
    static const uLong blockCrc = lacgen::crc32Of(std::string(kMebibyte, '\0'));
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

// The number at the start of `part` up to its colon, taken off with the colon.
std::uint32_t takeNumber(std::string& part) {
    const std::size_t colon = part.find(':');
    const auto number = static_cast<std::uint32_t>(std::stoul(part.substr(0, colon)));
    part.erase(0, colon + 1);
    return number;
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
        else if (take("size=")) entry.declaredSize = takeNumber(part);
        else if (take("stream=")) entry.declaredStoredSize = takeNumber(part);
        else more = false;
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
