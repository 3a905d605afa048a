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
// Every run is held to a deadline, to the memory limit, and to the bound on
// memory the README gives for any input (see expectWithinTheBound).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include "support/case_file.h"
#include "support/run_command.h"
#include "support/scripted_cases.h"

namespace kerfwright::testing {
namespace {

namespace fs = std::filesystem;

// GCC says so with a macro, clang with a feature test.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kUnderAddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool kUnderAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kUnderAddressSanitizer = false;
#endif

// "A few hundred megabytes"; the sanitizer runtime adds shadow memory and quarantine of its own.
constexpr long kResidentMebibytes = 512;
constexpr long kSanitizerMemoryFactor = 4;
// The bound the README gives for any input: this much, and six times what
// the archives' entries inflate to and what the run writes.
constexpr long kBaseMebibytes = 128;
constexpr long kInflatedFactor = 6;
constexpr long kOutputFactor = 6;
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

std::uint64_t littleEndian(std::string_view bytes, std::size_t at, int width) {
    std::uint64_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

// What DEFLATE data inflates to, or `most` if more.
std::uint64_t inflatedLength(std::string_view deflated, std::uint64_t most) {
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return 0;
    std::vector<unsigned char> scratch(1 << 20);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
    stream.avail_in = static_cast<uInt>(deflated.size());
    std::uint64_t length = 0;
    for (int status = Z_OK; status == Z_OK && length < most;) {
        stream.next_out = scratch.data();
        stream.avail_out = static_cast<uInt>(scratch.size());
        status = inflate(&stream, Z_NO_FLUSH);
        length += scratch.size() - stream.avail_out;
        if (status == Z_BUF_ERROR && stream.avail_out != 0) break;  // the data ends early
    }
    inflateEnd(&stream);
    return std::min(length, most);
}

// A file's bytes mapped into memory rather than read: only the pages looked
// at are loaded, which for an archive of stored images is little more than
// its headers. A file that cannot be mapped has no bytes.
class MappedFile {
public:
    explicit MappedFile(const fs::path& path) {
        const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (descriptor < 0) return;
        struct stat status {};
        if (fstat(descriptor, &status) == 0 && status.st_size > 0) {
            void* mapped = mmap(nullptr, static_cast<std::size_t>(status.st_size), PROT_READ, MAP_PRIVATE, descriptor, 0);
            if (mapped != MAP_FAILED) {
                data_ = static_cast<const char*>(mapped);
                size_ = static_cast<std::size_t>(status.st_size);
            }
        }
        close(descriptor);
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile() {
        if (data_ != nullptr) munmap(const_cast<char*>(data_), size_);
    }

    std::string_view bytes() const { return {data_, size_}; }

private:
    const char* data_ = nullptr;
    std::size_t size_ = 0;
};

// What the entries of a ZIP archive inflate to, each up to the tool's limit
// for one entry, whatever their headers declare; the file's own size for a
// file that is no archive. The end record is the one that ends the file,
// whatever copies come before it.
std::uint64_t inflatedSize(const fs::path& file) {
    const MappedFile mapped(file);
    const std::string_view bytes = mapped.bytes();
    constexpr std::size_t kEndRecord = 22;
    constexpr std::size_t kHeader = 46;
    constexpr std::size_t kLocalHeader = 30;
    constexpr std::uint64_t kMostForOneEntry = (std::uint64_t{1} << 30) + 1;
    std::uint64_t total = 0;
    for (std::size_t end = bytes.size() >= kEndRecord ? bytes.size() - kEndRecord + 1 : 0; end-- > 0;) {
        if (bytes.compare(end, 4, "PK\x05\x06") != 0 || end + kEndRecord + littleEndian(bytes, end + 20, 2) != bytes.size()) continue;
        std::size_t at = littleEndian(bytes, end + 16, 4);
        for (std::uint64_t entry = littleEndian(bytes, end + 10, 2); entry > 0 && at + kHeader <= bytes.size(); --entry) {
            if (bytes.compare(at, 4, "PK\x01\x02") != 0) break;
            const std::size_t local = littleEndian(bytes, at + 42, 4);
            if (local + kLocalHeader <= bytes.size()) {
                const std::size_t data = local + kLocalHeader + littleEndian(bytes, local + 26, 2) + littleEndian(bytes, local + 28, 2);
                const std::string_view rest = data <= bytes.size() ? bytes.substr(data) : std::string_view();
                total += littleEndian(bytes, at + 10, 2) == 8
                             ? inflatedLength(rest, kMostForOneEntry)
                             : std::min<std::uint64_t>(rest.size(), littleEndian(bytes, at + 20, 4));
            }
            at += kHeader + littleEndian(bytes, at + 28, 2) + littleEndian(bytes, at + 30, 2) + littleEndian(bytes, at + 32, 2);
        }
        return std::max<std::uint64_t>(total, bytes.size());
    }
    return bytes.size();
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
        const auto started = fs::file_time_type::clock::now();
        const CommandResult result = runCommand(command, options_);
        const long limit = residentMebibytes_ * (kUnderAddressSanitizer ? kSanitizerMemoryFactor : 1) +
                           (kRunsAnotherBuild ? kNodeRuntimeMebibytes : 0);
        EXPECT_LE(result.peakResidentKiB, limit * 1024) << where_ << ": " << arguments;
        expectWithinTheBound(result, command, started, arguments);
        return sectionText("exit", std::to_string(result.exitStatus)) +
               sectionText("stdout", general(result.standardOutput)) +
               sectionText("stderr", general(options_.standardErrorOnTerminal ? shownOnTerminal(result.standardError)
                                                                              : result.standardError)) +
               sectionText("files", filesText());
    }

    // The README's bound on memory, from what the inputs hold and what the run wrote.
    void expectWithinTheBound(const CommandResult& result, const std::vector<std::string>& command,
                              fs::file_time_type started, const std::string& arguments) const {
        if (kUnderAddressSanitizer || kRunsAnotherBuild) return;
        std::error_code error;
        std::uint64_t written = 0;
        for (const fs::directory_entry& file : fs::recursive_directory_iterator(local("$OUT"), error)) {
            if (file.is_regular_file(error) && file.last_write_time(error) >= started) written += file.file_size(error);
        }
        const std::uint64_t peak = static_cast<std::uint64_t>(result.peakResidentKiB) * 1024;
        const std::uint64_t withoutInputs = (kBaseMebibytes << 20) + kOutputFactor * written;
        // The bound only grows with the inputs, and measuring them means
        // inflating every entry: a bomb's gigabytes are only measured when
        // the run needed more than the rest of the bound.
        if (peak <= withoutInputs) return;
        std::uint64_t inflated = 0;
        for (const std::string& word : command) {
            if (fs::is_regular_file(word, error)) inflated += inflatedSize(word);
            if (!fs::is_directory(word, error)) continue;
            for (const fs::directory_entry& file : fs::directory_iterator(word, error)) {
                if (file.is_regular_file(error)) inflated += inflatedSize(file.path());
            }
        }
        EXPECT_LE(peak, withoutInputs + kInflatedFactor * inflated)
            << where_ << ": " << arguments << " (entries inflate to " << inflated << " bytes, " << written << " written)";
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

class CommandLineCases : public ::testing::TestWithParam<std::string> {};

TEST_P(CommandLineCases, RunAsExpected) {
    runScriptedCase("cli", GetParam(), [](const std::string& where) { return std::make_unique<CommandLineCase>(where); });
}

INSTANTIATE_TEST_SUITE_P(File, CommandLineCases, ::testing::ValuesIn(caseFileNames("cli")),
                         [](const auto& file) { return caseTestName(file.param); });

}  // namespace
}  // namespace kerfwright::testing
