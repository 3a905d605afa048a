// The command-line tool run as a user runs it, on the shipped examples and on
// archives built here: the files it writes, what it prints and how it exits.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/run_command.h"

namespace fs = std::filesystem;
using kerfwright::testing::CommandResult;
using kerfwright::testing::makeTemporaryFolder;
using kerfwright::testing::readFile;
using kerfwright::testing::runCommand;

namespace {

const std::string kSourceDir = KERFWRIGHT_SOURCE_DIR;
const std::string kCli = KERFWRIGHT_CLI_PATH;
const std::vector<std::string> kExamples = {"box", "coaster", "sheet"};

std::string examplePath(const std::string& name) { return kSourceDir + "/examples/" + name + ".lac"; }

std::vector<std::string> sortedFileNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

CommandResult convert(const std::vector<std::string>& inputs, const std::string& outputFolder) {
    std::vector<std::string> arguments = {kCli, "convert", "-o", outputFolder};
    arguments.insert(arguments.end(), inputs.begin(), inputs.end());
    return runCommand(arguments);
}

}  // namespace

TEST(Examples, GeneratorReproducesTheShippedArchives) {
    const std::string folder = makeTemporaryFolder();
    ASSERT_EQ(runCommand({KERFWRIGHT_GENERATOR_PATH, folder}).exitStatus, 0);
    for (const std::string& name : kExamples) {
        EXPECT_EQ(readFile(folder + "/" + name + ".lac"), readFile(examplePath(name))) << name;
    }
    fs::remove_all(folder);
}

// The expected files are regenerated only on purpose, by running the tests
// with KERFWRIGHT_UPDATE_EXPECTED=1 and reviewing the difference.
TEST(Examples, ConvertToTheExpectedFiles) {
    const bool update = std::getenv("KERFWRIGHT_UPDATE_EXPECTED") != nullptr;
    for (const std::string& name : kExamples) {
        const std::string folder = makeTemporaryFolder();
        const CommandResult result = convert({examplePath(name)}, folder);
        ASSERT_EQ(result.exitStatus, 0) << result.standardError;

        const std::string expectedFolder = kSourceDir + "/examples/expected/" + name;
        if (update) {
            fs::remove_all(expectedFolder);
            fs::create_directories(expectedFolder);
            for (const std::string& file : sortedFileNames(folder)) {
                fs::copy_file(folder + "/" + file, expectedFolder + "/" + file);
            }
        }
        ASSERT_EQ(sortedFileNames(folder), sortedFileNames(expectedFolder)) << name;
        for (const std::string& file : sortedFileNames(folder)) {
            EXPECT_EQ(readFile(folder + "/" + file), readFile(expectedFolder + "/" + file)) << file;
        }
        fs::remove_all(folder);
    }
}
