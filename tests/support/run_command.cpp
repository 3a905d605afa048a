#include "support/run_command.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace kerfwright::testing {
namespace {

constexpr auto kDeadline = std::chrono::seconds(120);

// In the child between fork and exec: only calls that are safe there.
[[noreturn]] void execute(const std::vector<char*>& argv, const RunOptions& options, const std::string& outPath,
                          const std::string& errPath, const char* terminal) {
    if (options.addressSpaceMebibytes) {
        const rlim_t bytes = static_cast<rlim_t>(*options.addressSpaceMebibytes) << 20;
        const rlimit space{bytes, bytes};
        setrlimit(RLIMIT_AS, &space);
    }
    umask(options.fileModeMask);
    dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
    dup2(open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
    if (terminal) dup2(open(terminal, O_RDWR | O_NOCTTY), STDERR_FILENO);
    else dup2(open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
}

}  // namespace

std::string makeTemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kerfwright-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
    return pattern;
}

// Read into a buffer of the file's size: a stream that grows as it reads
// copies a file of hundreds of megabytes several times over.
std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::string content(static_cast<std::size_t>(in.tellg()), '\0');
    in.seekg(0);
    if (!in.read(content.data(), static_cast<std::streamsize>(content.size()))) {
        throw std::runtime_error("cannot read " + path);
    }
    return content;
}

CommandResult runCommand(const std::vector<std::string>& arguments, const RunOptions& options) {
    const std::string folder = makeTemporaryFolder();
    const std::string outPath = folder + "/stdout";
    const std::string errPath = folder + "/stderr";
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    const int terminal = options.standardErrorOnTerminal ? posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC) : -1;
    if (options.standardErrorOnTerminal && (terminal < 0 || grantpt(terminal) != 0 || unlockpt(terminal) != 0)) {
        throw std::runtime_error("no terminal");
    }
    const char* terminalName = terminal >= 0 ? ptsname(terminal) : nullptr;
    std::string shown;
    // Read as it comes, so that a full terminal never holds the program up.
    const auto readTerminal = [&] {
        char buffer[4096];
        for (ssize_t got; terminal >= 0 && (got = read(terminal, buffer, sizeof buffer)) > 0;) shown.append(buffer, got);
    };

    const pid_t pid = fork();
    if (pid == 0) execute(argv, options, outPath, errPath, terminalName);
    if (pid < 0) throw std::runtime_error("cannot start " + arguments[0]);

    const auto deadline = std::chrono::steady_clock::now() + kDeadline;
    int status = 0;
    rusage usage{};
    for (auto pause = std::chrono::microseconds(100); wait4(pid, &status, WNOHANG, &usage) == 0;) {
        if (std::chrono::steady_clock::now() > deadline) kill(pid, SIGKILL);
        readTerminal();
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(20000));
    }
    CommandResult result;
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.peakResidentKiB = usage.ru_maxrss;
    result.standardOutput = readFile(outPath);
    readTerminal();
    if (terminal >= 0) close(terminal);
    result.standardError = terminal >= 0 ? shown : readFile(errPath);
    std::filesystem::remove_all(folder);
    return result;
}

}  // namespace kerfwright::testing
