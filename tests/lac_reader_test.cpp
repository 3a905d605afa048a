#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "reading/lac_reader.h"
#include "support/archive_recipe.h"
#include "support/case_file.h"
#include "text/number_text.h"

namespace kerfwright {
namespace {

LACDocument readBytes(const std::string& archiveBytes, std::size_t threads = 1) {
    return LACReader::readFromMemory(archiveBytes, "/projects/p.lac", threads);
}

// What was read of the images and configuration files, or the failure.
std::string readingText(const std::string& archive, std::size_t threads) {
    LACDocument document;
    try {
        document = readBytes(archive, threads);
    } catch (const LACReadError& error) {
        return "failed: " + error.description();
    }
    std::string out = "images:";
    for (const auto& [name, stored] : document.imageData) {
        out += " " + name + "=" + inflated(stored).value_or("?") + (stored.deflated ? " (deflated)" : "");
    }
    if (!document.processConfig) return out + "; config: none";
    const LACProcessConfig& config = *document.processConfig;
    out += "; config: material " + (config.material ? config.material->name : "-") + ", machine " +
           testing::quotedOrDash(config.machineName);
    for (const auto& [type, settings] : config.laserSettings) {
        out += ", " + type + " at " + text::shortestRoundTrip(settings.speedMmPerSecond) + " mm/s";
    }
    return out;
}

TEST(LACReaderTest, ArchiveCases) {
    for (const testing::Case& c : testing::readCases("archive-reading.tsv", 2)) {
        const std::string archive = c.fields[0] == "not an archive" ? "hello, this is no archive"
                                    : c.fields[0] == "no bytes"     ? ""
                                                                    : testing::archiveOf(testing::recipeParts(c.fields[0]));
        for (const std::size_t threads : {1, 2}) {
            EXPECT_EQ(readingText(archive, threads), c.fields[1]) << c.where << " on " << threads << " threads";
        }
    }
}

TEST(LACReaderTest, ImagesAreFoundByTheirExactNameElseByTheirNormalForm) {
    // The two stored names hold the same marks in two orders; both have the
    // normal form U+1EA1 U+0307, which the third name is written in.
    const std::string dotBelowFirst = "a\u0323\u0307.png";
    const std::string dotAboveFirst = "a\u0307\u0323.png";
    const LACDocument document = readBytes(testing::archiveOf({"scene", "settings", "2D/Objects/" + dotBelowFirst + "=below first",
                                                               "2D/Objects/" + dotAboveFirst + "=above first",
                                                               "2D/Objects/Cafe\u0301.png=cafe"}));
    const auto contentOf = [&](std::string_view name) -> std::optional<std::string> {
        const StoredBytes* stored = document.image(name);
        if (stored == nullptr) return std::nullopt;
        return inflated(*stored);
    };
    EXPECT_EQ(contentOf(dotBelowFirst), "below first");
    EXPECT_EQ(contentOf(dotAboveFirst), "above first");
    EXPECT_EQ(contentOf("\u1EA1\u0307.png"), "above first");  // the last of the two in the archive
    EXPECT_EQ(contentOf("Caf\u00e9.png"), "cafe");
    EXPECT_EQ(contentOf("cafe.png"), std::nullopt);
    EXPECT_EQ(contentOf("Caf\xC3.png"), std::nullopt);  // not UTF-8: only its exact name could match
}

}  // namespace
}  // namespace kerfwright
