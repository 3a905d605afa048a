// The command-line tool run as a user runs it, one scripted case per file
// under cases/cli/ (support/scripted_cases.h). Besides the shared set-up:
//
//   == umask MASK        the file mode mask of the runs that follow, in octal
//   == resident N MiB    the most memory the runs that follow may hold
//   == address-space N MiB   the most memory they may map (not under a sanitizer)
//   == terminal          standard error of the runs that follow on a terminal: "stderr" is then
//                        what the terminal shows in the end, and the first and last progress bar
//   == run ARGUMENTS     separated by blanks
//
// Each run is followed by "== exit", "== stdout", "== stderr" and "== files".
// Every run is held to a deadline and to the memory limit.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/case_file.h"
#include "support/run_command.h"
#include "support/scripted_cases.h"

namespace kerfwright::testing {
namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kUnderAddressSanitizer = true;
#else
constexpr bool kUnderAddressSanitizer = false;
#endif

// "A few hundred megabytes"; the sanitizer runtime adds shadow memory and quarantine of its own.
constexpr long kResidentMebibytes = 512;
constexpr long kSanitizerMemoryFactor = 4;
// Node's own runtime, and a WebAssembly memory that grows by doubling and
// never shrinks, held on top of what the tool itself needs.
constexpr long kNodeRuntimeMebibytes = 128;
const bool kRunsAnotherBuild = std::getenv("KERFWRIGHT_CLI_COMMAND") != nullptr;

TEST(ImportProblems, AreFoundInWhatReadersRejectOrDrop) {
    const std::string folder = makeTemporaryFolder();
    const std::string head = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10mm\" height=\"10mm\">";
    for (const std::string element : {"<g>", "<path d=\"L 30 10\"/>", "<path d=\"M 0 nan\"/>", "<path d=\"M inf 0\"/>",
                                      "<path a=\"1\" a=\"2\"/>", "&bogus;", "\x01"}) {
        std::ofstream(folder + "/bad.svg") << head << element << "</svg>\n";
        EXPECT_NE(importProblems(folder + "/bad.svg"), "") << element;
    }
    std::ofstream(folder + "/good.svg") << head << "<path d=\"M 0 0 L 1 1\"/></svg>\n";
    EXPECT_EQ(importProblems(folder + "/good.svg"), "");
    fs::remove_all(folder);
}

// The program the cases run: the native tool, or the command that
// KERFWRIGHT_CLI_COMMAND spells, words separated by blanks, to hold another
// build of it to the same cases.
std::vector<std::string> commandLineTool() {
    const char* const spelled = std::getenv("KERFWRIGHT_CLI_COMMAND");
    if (spelled == nullptr) return {KERFWRIGHT_CLI_PATH};
    std::vector<std::string> command;
    std::istringstream words(spelled);
    for (std::string word; words >> word;) command.push_back(word);
    return command;
}

class CommandLineCase : public ScriptedCase {
public:
    using ScriptedCase::ScriptedCase;

    bool isOutcome(const std::string& heading) const override {
        return heading == "exit" || heading == "stdout" || heading == "stderr" || ScriptedCase::isOutcome(heading);
    }

    // An address-space limit would also hold the sanitizer's shadow memory,
    // or another build's runtime (Node reserves gigabytes it never touches).
    // The progress bar is the native tool's alone.
    bool skipped() const override {
        if (kUnderAddressSanitizer && options_.addressSpaceMebibytes) return true;
        return kRunsAnotherBuild && (options_.addressSpaceMebibytes || options_.standardErrorOnTerminal);
    }

protected:
    std::string step(const Section& section) override {
        const std::string& heading = section.heading;
        if (heading.starts_with("umask ")) {
            options_.fileModeMask = std::stoul(heading.substr(6), nullptr, 8);
        } else if (heading.starts_with("resident ")) {
            residentMebibytes_ = std::stol(heading.substr(9));
        } else if (heading == "terminal") {
            options_.standardErrorOnTerminal = true;
        } else if (heading.starts_with("address-space ")) {
            options_.addressSpaceMebibytes = std::stol(heading.substr(14));
        } else if (heading.starts_with("run")) {
            return outcomeOf(heading.substr(3));
        } else {
            ADD_FAILURE() << where_ << ": no such section: " << heading;
        }
        return "";
    }

private:
    std::string outcomeOf(const std::string& arguments) {
        std::vector<std::string> command = commandLineTool();
        std::istringstream words(arguments);
        for (std::string word; words >> word;) command.push_back(local(word));
        const CommandResult result = runCommand(command, options_);
        const long limit = residentMebibytes_ * (kUnderAddressSanitizer ? kSanitizerMemoryFactor : 1) +
                           (kRunsAnotherBuild ? kNodeRuntimeMebibytes : 0);
        EXPECT_LE(result.peakResidentKiB, limit * 1024) << where_ << ": " << arguments;
        return sectionText("exit", std::to_string(result.exitStatus)) +
               sectionText("stdout", general(result.standardOutput)) +
               sectionText("stderr", general(options_.standardErrorOnTerminal ? shownOnTerminal(result.standardError)
                                                                              : result.standardError)) +
               sectionText("files", filesText());
    }

    // Each line as what follows the last "erase the line" in it, then the
    // first and the last state of the progress bar.
    static std::string shownOnTerminal(const std::string& sent) {
        const std::string erase = "\r\033[K";
        std::string out;
        std::istringstream lines(replacedAll(sent, "\r\n", "\n"));
        for (std::string line; std::getline(lines, line);) {
            const std::size_t erased = line.rfind(erase);
            out += (erased == std::string::npos ? line : line.substr(erased + erase.size())) + "\n";
        }
        const std::size_t first = sent.find("] ");
        const std::size_t last = sent.rfind("] ");
        if (first == std::string::npos) return out;
        const auto barCount = [&](std::size_t at) { return sent.substr(at + 2, sent.find_first_of("\r\n", at) - at - 2); };
        return out + "(bar from " + barCount(first) + " to " + barCount(last) + ")\n";
    }

    RunOptions options_;
    long residentMebibytes_ = kResidentMebibytes;
};

TEST(CommandLineCases, RunAsExpected) {
    runScriptedCases("cli", [](const std::string& where) { return std::make_unique<CommandLineCase>(where); });
}

}  // namespace
}  // namespace kerfwright::testing
