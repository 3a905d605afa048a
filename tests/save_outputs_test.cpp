#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "session/conversion_summary.h"
#include "session/save_outputs.h"
#include "session/system_error_text.h"
#include "support/case_file.h"
#include "support/conversions.h"
#include "support/run_command.h"

namespace kerfwright {
namespace {

namespace fs = std::filesystem;

using kerfwright::testing::conversion;

LoadedDocument loaded(std::string sourcePath, std::vector<CanvasConversion> conversions) {
    return LoadedDocument{std::move(sourcePath), LACDocument{}, std::move(conversions), {}};
}

std::vector<std::string> filenames(const LoadedDocument& document) {
    std::vector<std::string> names;
    for (const CanvasConversion& c : document.conversions) names.push_back(filename(c, document));
    return names;
}

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

TEST(SaveOutputsTest, WritesAtomicallyAndLeavesNoTemporary) {
    const fs::path folder = testing::makeTemporaryFolder();
    const fs::path target = folder / "a.svg";
    const std::string text = "caf\u00e9 \u00d7 2\n";
    EXPECT_FALSE(writeTextAtomically(target, text));
    EXPECT_EQ(testing::readFile(target), text);
    EXPECT_FALSE(writeTextAtomically(target, "shorter"));
    EXPECT_EQ(testing::readFile(target), "shorter");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    fs::remove_all(folder);
}

// More files staged at once than the process keeps open, one dropped and one
// that cannot take its name: the others arrive, and nothing else is left.
TEST(SaveOutputsTest, StagedFilesArriveOnlyWhenCommitted) {
    const fs::path folder = testing::makeTemporaryFolder();
    fs::create_directory(folder / "taken.svg");
    std::vector<StagedFile> staged;
    for (int i = 0; i < 300; ++i) {
        auto one = stageText(folder / (std::to_string(i) + ".svg"), std::to_string(i));
        ASSERT_TRUE(std::holds_alternative<StagedFile>(one)) << i;
        if (i != 7) staged.push_back(std::move(std::get<StagedFile>(one)));  // 7 is dropped
    }
    auto blocked = stageText(folder / "taken.svg", "x");
    ASSERT_TRUE(std::holds_alternative<StagedFile>(blocked));
    const auto failure = std::get<StagedFile>(blocked).commit();
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->description, "Could not write \"" + (folder / "taken.svg").string() + "\": Is a directory");
    for (StagedFile& file : staged) file.flush();
    for (StagedFile& file : staged) EXPECT_FALSE(file.commit()) << file.target();
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    EXPECT_EQ(names.size(), 300u);
    EXPECT_FALSE(fs::exists(folder / "7.svg"));
    EXPECT_EQ(testing::readFile(folder / "299.svg"), "299");
    fs::remove_all(folder);
}

// The texts are the C library's own here, where the C library is GNU's; every
// other build then words its failures the same way.
TEST(SystemErrorText, IsWhatTheGnuCLibrarySays) {
    for (int error = 1; error < 134; ++error) {
        // Copied at once: the next call may reuse the C library's buffer.
        const std::string expected = std::strerror(error);
        EXPECT_EQ(systemErrorText(error), expected) << error;
    }
}

}  // namespace
}  // namespace kerfwright
