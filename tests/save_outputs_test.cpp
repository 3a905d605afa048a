#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "session/conversion_summary.h"
#include "session/save_outputs.h"
#include "support/case_file.h"
#include "support/conversions.h"

namespace kerfwright {
namespace {

namespace fs = std::filesystem;

using kerfwright::testing::conversion;

LoadedDocument loaded(std::string sourcePath, std::vector<CanvasConversion> conversions) {
    return LoadedDocument{std::move(sourcePath), LACDocument{}, std::move(conversions)};
}

LoadedDocument withMachine(LoadedDocument document) {
    LACProcessConfig config;
    config.machineName = "Bench";
    document.document.processConfig = config;
    return document;
}

std::vector<std::string> filenames(const LoadedDocument& document) {
    std::vector<std::string> names;
    for (const CanvasConversion& c : document.conversions) names.push_back(filename(c, document));
    return names;
}

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class SaveOutputsFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "save-outputs-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path folder_;
};

// "0:Front | 4:@1/2 | 4:@2/2": canvas index, name, and plate of plates when divided.
std::vector<CanvasConversion> conversionsOf(const std::string& spec) {
    std::vector<CanvasConversion> all;
    for (std::size_t start = 0; start < spec.size();) {
        const std::size_t end = std::min(spec.find(" | ", start), spec.size());
        const std::string one = spec.substr(start, end - start);
        const std::size_t colon = one.find(':');
        const std::size_t at = one.rfind('@');
        const std::string name = one.substr(colon + 1, (at == std::string::npos ? one.size() : at) - colon - 1);
        std::int64_t plate = 1;
        std::int64_t plates = 1;
        if (at != std::string::npos) std::sscanf(one.c_str() + at + 1, "%ld/%ld", &plate, &plates);
        all.push_back(conversion(std::stoll(one.substr(0, colon)), name, plate, plates));
        start = end + 3;
    }
    return all;
}

std::string joined(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& name : names) out += (out.empty() ? "" : " | ") + name;
    return out;
}

// The names a drawing goes by: its files, and its label in the window's picker.
TEST(SaveOutputsTest, DrawingNameCases) {
    for (const ::kerfwright::testing::Case& c : ::kerfwright::testing::readCases("drawing-names.tsv", 6)) {
        const LoadedDocument document = loaded(c.fields[0], conversionsOf(c.fields[1]));
        EXPECT_EQ(joined(filenames(document)), c.fields[2]) << c.where;
        EXPECT_EQ(joined(saveAllFileNames(document)), c.fields[3]) << c.where;
        std::vector<std::string> labels;
        for (const CanvasConversion& one : document.conversions) labels.push_back(ConversionSummary::label(one, document.conversions));
        EXPECT_EQ(joined(labels), c.fields[4]) << c.where;
        EXPECT_EQ(ConversionSummary::pickerHeading(document.conversions), c.fields[5]) << c.where;
    }
}

TEST(SaveOutputsTest, SidecarReplacesTheLastExtension) {
    EXPECT_EQ(sidecarPath("/out/box.Front.svg"), fs::path("/out/box.Front.txt"));
    EXPECT_EQ(sidecarPath("/out/box"), fs::path("/out/box.txt"));
}

TEST(SaveOutputsTest, ReadFailureNamesOnlyTheFile) {
    EXPECT_EQ(readFailureMessage("/home/user/box.lac", "Missing required entry in .lac archive: 2D/2dmodel.json"),
              "Failed to read box.lac: Missing required entry in .lac archive: 2D/2dmodel.json");
}

TEST_F(SaveOutputsFolderTest, WritesAtomicallyAndLeavesNoTemporary) {
    const fs::path target = folder_ / "a.svg";
    const std::string text = "caf\u00e9 \u00d7 2\n";
    EXPECT_FALSE(writeTextAtomically(target, text));
    EXPECT_EQ(contents(target), text);
    EXPECT_FALSE(writeTextAtomically(target, "shorter"));
    EXPECT_EQ(contents(target), "shorter");
    EXPECT_EQ(entries(folder_), std::vector<std::string>{"a.svg"});
}

TEST_F(SaveOutputsFolderTest, FailedWriteNamesThePathAndCleansUp) {
    const fs::path missing = folder_ / "gone" / "a.svg";
    const auto missingFolder = writeTextAtomically(missing, "x");
    ASSERT_TRUE(missingFolder);
    EXPECT_EQ(missingFolder->description, "Could not write \"" + missing.string() + "\": No such file or directory");

    std::ofstream(folder_ / "plain") << "file";
    const fs::path underFile = folder_ / "plain" / "a.svg";
    const auto notAFolder = writeTextAtomically(underFile, "x");
    ASSERT_TRUE(notAFolder);
    EXPECT_EQ(notAFolder->description, "Could not write \"" + underFile.string() + "\": Not a directory");

    fs::create_directories(folder_ / "taken.svg" / "inside");
    const auto overFolder = writeTextAtomically(folder_ / "taken.svg", "x");
    ASSERT_TRUE(overFolder);
    EXPECT_EQ(overFolder->description, "Could not write \"" + (folder_ / "taken.svg").string() + "\": Is a directory");
    EXPECT_EQ(entries(folder_), (std::vector<std::string>{"plain", "taken.svg"}));
}

TEST_F(SaveOutputsFolderTest, SaveOneWritesSvgAndSidecar) {
    const LoadedDocument document = withMachine(loaded("/p/box.lac", {conversion(0, "Front"), conversion(1, "")}));
    const SaveOutcome outcome = saveOne(document, 1, folder_ / "box");
    ASSERT_FALSE(outcome.failureMessage);
    ASSERT_EQ(outcome.saved.size(), 1u);
    EXPECT_EQ(outcome.saved[0].conversionIndex, 1u);
    EXPECT_EQ(outcome.saved[0].sidecarPath, folder_ / "box.txt");
    EXPECT_EQ(contents(folder_ / "box"), document.conversions[1].svg);
    const std::string sidecar = contents(folder_ / "box.txt");
    EXPECT_NE(sidecar.find("Source file: box.lac\nMachine:     Bench\nCanvas:      Canvas 1\n"), std::string::npos);
}

TEST_F(SaveOutputsFolderTest, SaveOneReportsAFailedSvgAndWritesNoSidecar) {
    const LoadedDocument document = withMachine(loaded("/p/box.lac", {conversion(0, "")}));
    const fs::path target = folder_ / "missing" / "box.svg";
    const SaveOutcome outcome = saveOne(document, 0, target);
    EXPECT_EQ(outcome.failureMessage,
              "Failed to save: Could not write \"" + target.string() + "\": No such file or directory");
    EXPECT_TRUE(outcome.saved.empty());
    EXPECT_TRUE(entries(folder_).empty());
}

TEST_F(SaveOutputsFolderTest, SaveAllWithoutConfigurationWritesNoSidecars) {
    const LoadedDocument document = loaded("/p/box.lac", {conversion(0, "Front"), conversion(1, "Front")});
    const SaveOutcome outcome = saveAll(document, folder_);
    EXPECT_FALSE(outcome.failureMessage);
    ASSERT_EQ(outcome.saved.size(), 2u);
    EXPECT_FALSE(outcome.saved[0].sidecarPath);
    EXPECT_EQ(entries(folder_), (std::vector<std::string>{"box.Front-2.svg", "box.Front.svg"}));
    EXPECT_EQ(contents(folder_ / "box.Front-2.svg"), document.conversions[1].svg);
}

}  // namespace
}  // namespace kerfwright
