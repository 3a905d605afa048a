#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "reading/stored_bytes.h"
#include "reading/zip_archive.h"
#include "zip_builder.h"
#include "zip_bytes.h"

namespace kerfwright {
namespace {

TEST(StoredBytesTest, InflatesOnlyAStreamThatGivesExactlyItsLength) {
    const std::string content = "a line of text, a line of text, a line of text";
    const std::string stream = lacgen::deflateRaw(content, 9, 8);
    struct Case {
        const char* label;
        StoredBytes stored;
        std::optional<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"plain", StoredBytes::plain(content), content},
        {"deflated", StoredBytes{stream, true, content.size(), {}}, content},
        {"empty", StoredBytes{lacgen::deflateRaw("", 9, 8), true, 0, {}}, std::string()},
        {"longer than recorded", StoredBytes{stream, true, content.size() - 1, {}}, std::nullopt},
        {"shorter than recorded", StoredBytes{stream, true, content.size() + 1, {}}, std::nullopt},
        {"cut off", StoredBytes{stream.substr(0, stream.size() / 2), true, content.size(), {}}, std::nullopt},
        {"not a stream", StoredBytes{"\xff\xff\xff\xff", true, 4, {}}, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(inflated(c.stored), c.expected) << c.label;
}

TEST(StoredBytesTest, StreamRunningOnPastItsEndIsNotKept) {
    // The entry's data runs on for a hundred kilobytes after the stream ends:
    // kept compressed, each name for it would cost that much.
    lacgen::ZipEntry entry{"padded", ""};
    entry.deflated = {lacgen::deflateRaw("tiny", 9, 8) + std::string(100000, 'j'), lacgen::crc32Of("tiny"), 4};
    const std::string archiveBytes = lacgen::ZipBuilder().add(entry).bytes();
    const auto opened = zip::Archive::openInMemory(archiveBytes);
    const auto& archive = std::get<zip::Archive>(opened);
    const auto stored = archive.extractStored(*archive.find("padded"));
    ASSERT_TRUE(std::holds_alternative<StoredBytes>(stored));
    EXPECT_FALSE(std::get<StoredBytes>(stored).deflated);
    EXPECT_EQ(std::get<StoredBytes>(stored).bytes, "tiny");
}

}  // namespace
}  // namespace kerfwright
