// The shipped example projects are made by the project generator; any change
// to it that would change them shows here.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/run_command.h"

namespace kerfwright::testing {
namespace {

TEST(Examples, GeneratorReproducesTheShippedArchives) {
    const std::string folder = makeTemporaryFolder();
    ASSERT_EQ(runCommand({KERFWRIGHT_GENERATOR_PATH, folder}).exitStatus, 0);
    for (const std::string name : {"box", "coaster", "sheet"}) {
        EXPECT_EQ(readFile(folder + "/" + name + ".lac"),
                  readFile(std::string(KERFWRIGHT_SOURCE_DIR) + "/examples/" + name + ".lac"))
            << name;
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace kerfwright::testing
