// Every SVG the converter writes for the shipped examples, and every expected
// file the suite compares against, is well-formed XML by a parser of its own.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/run_command.h"
#include "support/well_formed_xml.h"

namespace fs = std::filesystem;

namespace {

const std::string kSourceDir = KERFWRIGHT_SOURCE_DIR;

std::size_t checkSvgsUnder(const fs::path& folder) {
    std::size_t checked = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.path().extension() != ".svg") continue;
        const std::string svg = kerfwright::testing::readFile(entry.path().string());
        EXPECT_EQ(kerfwright::testing::xmlWellFormednessError(svg), "") << entry.path();
        ++checked;
    }
    return checked;
}

TEST(WellFormedOutputTest, ConvertedExamplesAndTheirExpectedFilesAreWellFormed) {
    const std::string output = kerfwright::testing::makeTemporaryFolder();
    std::vector<std::string> arguments = {KERFWRIGHT_CLI_PATH, "convert", "-o", output};
    for (const char* example : {"box", "coaster", "sheet"}) arguments.push_back(kSourceDir + "/examples/" + example + ".lac");
    ASSERT_EQ(kerfwright::testing::runCommand(arguments).exitStatus, 0);
    EXPECT_EQ(checkSvgsUnder(output), 7u);
    EXPECT_EQ(checkSvgsUnder(kSourceDir + "/examples/expected"), 7u);
    fs::remove_all(output);
}

TEST(WellFormedOutputTest, CheckerRejectsWhatIsNotWellFormed) {
    EXPECT_EQ(kerfwright::testing::xmlWellFormednessError("<svg><g></svg>").empty(), false);
    EXPECT_EQ(kerfwright::testing::xmlWellFormednessError("<svg a=\"1\" a=\"2\"/>").empty(), false);
    EXPECT_EQ(kerfwright::testing::xmlWellFormednessError("<svg>&bogus;</svg>").empty(), false);
    EXPECT_EQ(kerfwright::testing::xmlWellFormednessError("<svg>\x01</svg>").empty(), false);
    EXPECT_EQ(kerfwright::testing::xmlWellFormednessError("<?xml version=\"1.0\"?>\n<svg d=\"&amp;\"/>\n"), "");
}

}  // namespace
