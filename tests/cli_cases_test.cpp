// The command-line tool run as a user runs it, one file per case under
// cases/cli/: a series of "== run" lines (the arguments, separated by blanks),
// each followed by its expected "== exit" status, "== stdout" and "== stderr".
// In the arguments and the expected output, $OUT stands for a fresh folder
// and $EXAMPLES for the shipped examples. With KERFWRIGHT_UPDATE_CASES=1 the
// expected parts are written from what the tool gives, to be reviewed.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_command.h"

namespace kerfwright::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(KERFWRIGHT_SOURCE_DIR) / "tests/cases/cli";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

struct Invocation {
    std::string arguments;
    std::string expected;  // its "== exit", "== stdout" and "== stderr" sections as written
};

// The notes before the first run, and the runs.
std::vector<Invocation> runsOf(const std::string& text, std::string& notes) {
    std::vector<Invocation> runs;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line == "== run" || line.starts_with("== run ")) {
            runs.push_back({line.size() > 7 ? line.substr(7) : "", ""});
        } else if (runs.empty()) {
            notes += line + "\n";
        } else {
            runs.back().expected += line + "\n";
        }
    }
    return runs;
}

std::string outcomeOf(const Invocation& run, const std::string& folder) {
    const std::string examples = std::string(KERFWRIGHT_SOURCE_DIR) + "/examples";
    std::vector<std::string> arguments = {KERFWRIGHT_CLI_PATH};
    std::istringstream words(replaced(replaced(run.arguments, "$OUT", folder), "$EXAMPLES", examples));
    for (std::string word; words >> word;) arguments.push_back(word);
    const CommandResult result = runCommand(arguments);
    const auto section = [&](const std::string& name, const std::string& text) {
        const std::string general = replaced(replaced(text, folder, "$OUT"), examples, "$EXAMPLES");
        return "== " + name + "\n" + general + (general.empty() || general.back() == '\n' ? "" : "\n");
    };
    return section("exit", std::to_string(result.exitStatus)) + section("stdout", result.standardOutput) +
           section("stderr", result.standardError);
}

TEST(CommandLineCases, RunAsExpected) {
    std::size_t checked = 0;
    for (const auto& entry : fs::directory_iterator(kCases)) {
        std::string notes;
        const std::vector<Invocation> runs = runsOf(readFile(entry.path().string()), notes);
        const std::string folder = makeTemporaryFolder();
        std::string rewritten = notes;
        for (const Invocation& run : runs) {
            const std::string outcome = outcomeOf(run, folder);
            EXPECT_EQ(outcome, run.expected) << entry.path() << ": " << run.arguments;
            rewritten += (run.arguments.empty() ? "== run" : "== run " + run.arguments) + "\n" + outcome;
            ++checked;
        }
        fs::remove_all(folder);
        if (std::getenv("KERFWRIGHT_UPDATE_CASES") != nullptr) std::ofstream(entry.path(), std::ios::binary) << rewritten;
    }
    EXPECT_GT(checked, 0u);
}

}  // namespace
}  // namespace kerfwright::testing
