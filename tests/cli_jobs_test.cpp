// Converting several files at once with `convert -j N`: what is printed and
// what is written must not depend on N, and the progress bar on a terminal
// must leave every printed line whole.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench_projects.h"
#include "support/run_command.h"

namespace fs = std::filesystem;
using kerfwright::testing::CommandResult;
using kerfwright::testing::makeTemporaryFolder;
using kerfwright::testing::readFile;
using kerfwright::testing::runCommand;

extern char** environ;

namespace {

const std::string kCli = KERFWRIGHT_CLI_PATH;

// Small projects, one that is no archive, and two in different folders with
// one output name, the earlier with paths that draw warnings: the later of
// those must win.
std::vector<std::string> writeInputs(const std::string& folder) {
    fs::create_directories(folder + "/a");
    fs::create_directories(folder + "/b");
    std::vector<std::string> inputs;
    for (int n = 0; n < 6; ++n) {
        const std::string path = folder + "/small-" + std::to_string(n) + ".lac";
        lacgen::smallProject(n).archive().writeTo(path);
        inputs.push_back(path);
    }
    std::ofstream(folder + "/broken.lac") << "not an archive";
    inputs.insert(inputs.begin() + 2, folder + "/broken.lac");

    // The earlier twin takes far longer, so that with several jobs the later
    // one is written first.
    lacgen::ProjectSpec slow = lacgen::largeProject({.pathObjects = 1500, .images = 1, .imageBytes = 1 << 16});
    slow.canvases.resize(1);
    slow.canvases[0].objects.push_back(lacgen::pathObject(90000, "Odd", "M 0 0 Q 1 2 L 3", false));
    slow.canvases[0].components.push_back(lacgen::component(90000, "1 0 0 1 0 0"));
    slow.archive().writeTo(folder + "/a/twin.lac");
    lacgen::smallProject(8).archive().writeTo(folder + "/b/twin.lac");
    inputs.insert(inputs.begin() + 1, folder + "/a/twin.lac");
    inputs.push_back(folder + "/b/twin.lac");
    return inputs;
}

std::map<std::string, std::string> folderContents(const std::string& folder) {
    std::map<std::string, std::string> contents;
    for (const auto& entry : fs::directory_iterator(folder)) {
        contents.emplace(entry.path().filename().string(), readFile(entry.path().string()));
    }
    return contents;
}

// The names of the files that are not the same in both, byte for byte.
std::vector<std::string> differingFiles(const std::map<std::string, std::string>& expected,
                                        const std::map<std::string, std::string>& actual) {
    std::vector<std::string> names;
    for (const auto& [name, bytes] : expected) {
        const auto found = actual.find(name);
        if (found == actual.end() || found->second != bytes) names.push_back(name);
    }
    for (const auto& [name, bytes] : actual) {
        if (!expected.contains(name)) names.push_back(name);
    }
    return names;
}

CommandResult convert(const std::vector<std::string>& inputs, const std::string& output,
                      std::vector<std::string> options) {
    std::vector<std::string> arguments = {kCli, "convert", "-o", output};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.insert(arguments.end(), inputs.begin(), inputs.end());
    return runCommand(arguments);
}

// Runs the tool with its standard error on a new terminal and returns all it
// showed there, as the terminal passed it on.
std::string standardErrorOnTerminal(const std::vector<std::string>& arguments) {
    const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
    if (terminal < 0 || grantpt(terminal) != 0 || unlockpt(terminal) != 0) return "no terminal";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, ptsname(terminal), O_RDWR | O_NOCTTY, 0);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    std::string shown;
    char buffer[4096];
    // Reading fails once the tool has exited and its side of the terminal is closed.
    for (ssize_t got; spawned == 0 && (got = read(terminal, buffer, sizeof buffer)) > 0;) shown.append(buffer, got);
    close(terminal);
    int status = 0;
    if (spawned == 0) waitpid(pid, &status, 0);
    return shown;
}

// The lines a terminal ends up showing: each line is what follows the last
// "erase the line" before its end.
std::vector<std::string> visibleLines(const std::string& shown) {
    const std::string erase = "\r\033[K";
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = shown.find("\r\n", start)) != std::string::npos; start = end + 2) {
        std::string line = shown.substr(start, end - start);
        const std::size_t erased = line.rfind(erase);
        lines.push_back(erased == std::string::npos ? line : line.substr(erased + erase.size()));
    }
    return lines;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

class ConvertJobs : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = makeTemporaryFolder();
        inputs_ = writeInputs(folder_ + "/in");
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string folder_;
    std::vector<std::string> inputs_;
};

TEST_F(ConvertJobs, PrintAndWriteTheSameWhateverTheNumberOfJobs) {
    const std::string output = folder_ + "/out";
    const CommandResult one = convert(inputs_, output, {"-j", "1"});
    const auto written = folderContents(output);
    EXPECT_EQ(one.exitStatus, 1);
    EXPECT_NE(one.standardError.find("Failed to read broken.lac"), std::string::npos);
    EXPECT_NE(one.standardError.find("twin.svg: Unknown path command 'Q'"), std::string::npos);
    // More jobs than cores and several rounds, to give the threads room to race.
    for (const std::string jobs : {"2", "5", "16"}) {
        fs::remove_all(output);
        const CommandResult many = convert(inputs_, output, {"-j", jobs});
        EXPECT_EQ(many.exitStatus, one.exitStatus) << jobs;
        EXPECT_EQ(many.standardOutput, one.standardOutput) << jobs;
        EXPECT_EQ(many.standardError, one.standardError) << jobs;
        EXPECT_EQ(differingFiles(written, folderContents(output)), std::vector<std::string>{}) << jobs;
    }
}

TEST_F(ConvertJobs, TheLaterOfTwoInputsWithOneOutputNameWins) {
    const std::string alone = folder_ + "/alone";
    ASSERT_EQ(convert({inputs_.back()}, alone, {}).exitStatus, 0);
    const std::string output = folder_ + "/out";
    convert(inputs_, output, {"-j", "8"});
    EXPECT_TRUE(readFile(output + "/twin.svg") == readFile(alone + "/twin.svg"));
}

TEST_F(ConvertJobs, TheProgressBarOnATerminalLeavesEveryLineWhole) {
    const std::string expected = convert(inputs_, folder_ + "/plain", {"-j", "1"}).standardError;
    std::vector<std::string> arguments = {kCli, "convert", "-j", "3", "-o", folder_ + "/out"};
    arguments.insert(arguments.end(), inputs_.begin(), inputs_.end());
    const std::string shown = standardErrorOnTerminal(arguments);
    const std::string total = "/" + std::to_string(inputs_.size());
    EXPECT_NE(shown.find("] 0" + total), std::string::npos) << shown;
    EXPECT_NE(shown.find("] " + std::to_string(inputs_.size()) + total), std::string::npos) << shown;
    EXPECT_EQ(visibleLines(shown), linesOf(expected)) << shown;
    // The bar is erased at the end, leaving the cursor on an empty line.
    EXPECT_TRUE(shown.ends_with("\r\033[K")) << shown;
}

}  // namespace
