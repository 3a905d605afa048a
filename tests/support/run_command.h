#pragma once
// Runs a program the way a user's shell would, capturing what it prints.

#include <string>
#include <vector>

namespace kerfwright::testing {

struct CommandResult {
    int exitStatus = -1;  // -1 when the program did not exit normally
    std::string standardOutput;
    std::string standardError;
};

// `environment` entries ("NAME=value") are added to the current environment.
CommandResult runCommand(const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment = {});

// A fresh, empty folder under the system's temporary folder.
std::string makeTemporaryFolder();

std::string readFile(const std::string& path);

}  // namespace kerfwright::testing
