#pragma once
// Runs a program the way a user's shell would, capturing what it prints.

#include <optional>
#include <string>
#include <vector>

namespace kerfwright::testing {

struct RunOptions {
    unsigned fileModeMask = 022;
    std::optional<long> addressSpaceMebibytes;  // the most memory the program may map
    // Standard error on a terminal of its own; the result then holds all the
    // terminal was sent, with its line ends as "\r\n".
    bool standardErrorOnTerminal = false;
};

struct CommandResult {
    int exitStatus = -1;  // -1 when the program did not exit normally or passed the deadline
    std::string standardOutput;
    std::string standardError;
    long peakResidentKiB = 0;
};

// Waits two minutes at most: a hang guard, not a measurement.
CommandResult runCommand(const std::vector<std::string>& arguments, const RunOptions& options = {});

// A fresh, empty folder under the system's temporary folder.
std::string makeTemporaryFolder();

std::string readFile(const std::string& path);

}  // namespace kerfwright::testing
