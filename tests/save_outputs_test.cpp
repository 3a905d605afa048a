#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "session/save_outputs.h"
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

TEST(SaveOutputsTest, NamesFilesFromSourceCanvasAndPlate) {
    const struct {
        std::vector<CanvasConversion> conversions;
        std::vector<std::string> names;
    } cases[] = {
        {{conversion(0, "Front")}, {"box.svg"}},
        {{conversion(0, "Front"), conversion(1, "")}, {"box.Front.svg", "box.canvas-1.svg"}},
        {{conversion(0, "Main", 1, 3), conversion(0, "Main", 2, 3), conversion(0, "Main", 3, 3)},
         {"box.plate-1.svg", "box.plate-2.svg", "box.plate-3.svg"}},
        {{conversion(0, "A/B", 1, 2), conversion(0, "A/B", 2, 2), conversion(2, "")},
         {"box.A-B.plate-1.svg", "box.A-B.plate-2.svg", "box.canvas-2.svg"}},
        {{conversion(4, "", 1, 2), conversion(4, "", 2, 2), conversion(5, "a\\b:c")},
         {"box.canvas-4.plate-1.svg", "box.canvas-4.plate-2.svg", "box.a\\b:c.svg"}},
    };
    for (const auto& c : cases) EXPECT_EQ(filenames(loaded("/projects/box.lac", c.conversions)), c.names);
}

TEST(SaveOutputsTest, BaseDropsOnlyTheLastExtension) {
    EXPECT_EQ(filenames(loaded("/p/Coaster set.lac", {conversion(0, "")})), std::vector<std::string>{"Coaster set.svg"});
    EXPECT_EQ(filenames(loaded("/p/box.v2.lac", {conversion(0, "")})), std::vector<std::string>{"box.v2.svg"});
    EXPECT_EQ(filenames(loaded("relative/box", {conversion(0, ""), conversion(-1, "")})),
              (std::vector<std::string>{"box.canvas-0.svg", "box.canvas--1.svg"}));
}

TEST(SaveOutputsTest, SaveAllNumbersRepeatedNames) {
    const LoadedDocument document = loaded(
        "/p/box.lac", {conversion(0, "Front"), conversion(1, "Front"), conversion(2, "Front-2"), conversion(3, "Front"),
                       conversion(4, "A/B"), conversion(5, "A-B")});
    const std::vector<std::string> expected = {"box.Front.svg",     "box.Front-2.svg", "box.Front-2-2.svg",
                                               "box.Front-3.svg",   "box.A-B.svg",     "box.A-B-2.svg"};
    EXPECT_EQ(saveAllFileNames(document), expected);
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

TEST_F(SaveOutputsFolderTest, SaveAllStopsAtTheFirstFailedSvg) {
    const LoadedDocument document =
        withMachine(loaded("/p/box.lac", {conversion(0, "A"), conversion(1, "B"), conversion(2, "C")}));
    fs::create_directories(folder_ / "box.B.svg" / "blocker");

    const SaveOutcome outcome = saveAll(document, folder_);
    EXPECT_EQ(outcome.failureMessage,
              "Failed to save: Could not write \"" + (folder_ / "box.B.svg").string() + "\": Is a directory");
    ASSERT_EQ(outcome.saved.size(), 1u);
    EXPECT_EQ(outcome.saved[0].svgPath, folder_ / "box.A.svg");
    EXPECT_EQ(outcome.saved[0].sidecarPath, folder_ / "box.A.txt");
    EXPECT_EQ(entries(folder_), (std::vector<std::string>{"box.A.svg", "box.A.txt", "box.B.svg"}));
}

}  // namespace
}  // namespace kerfwright
