// Every hostile archive, run through kerfwright-cli as a user would run it but
// under a deadline and a memory limit: the outcome each must have (output
// with warnings, or which message), that every SVG it leaves is well-formed,
// and that nothing is written outside the output folder.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "hostile_archives.h"
#include "project.h"
#include "support/run_command.h"
#include "support/well_formed_xml.h"

namespace fs = std::filesystem;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kUnderAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kUnderAddressSanitizer = true;
#else
constexpr bool kUnderAddressSanitizer = false;
#endif
#else
constexpr bool kUnderAddressSanitizer = false;
#endif

const std::string kCli = KERFWRIGHT_CLI_PATH;
// A hang guard, not a measurement: a hostile input that is not refused or cut
// short runs for hours.
constexpr auto kDeadline = std::chrono::seconds(120);
// "A few hundred megabytes" of resident memory for the converter; the sanitizer
// runtime adds shadow memory and quarantine of its own.
constexpr long kResidentLimitKiB = (kUnderAddressSanitizer ? 4 : 1) * 512L * 1024;
// Address space for a converter without the sanitizer runtime (which reserves
// terabytes): room for what the JSON parser reserves but never touches.
constexpr rlim_t kAddressSpaceLimit = rlim_t{6} << 30;

struct Outcome {
    int exitStatus = -1;  // -1 when killed or crashed
    std::string standardOutput;
    std::string standardError;
    long peakResidentKiB = 0;
    std::vector<std::string> files;  // in the output folder, sorted
    fs::path outputFolder;
};

std::vector<std::string> sortedNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Runs the converter with stdout and stderr in files, under the limits.
Outcome runLimited(const std::vector<std::string>& arguments, const fs::path& logFolder,
                   rlim_t addressSpaceLimit = kAddressSpaceLimit) {
    const std::string outPath = (logFolder / "stdout").string();
    const std::string errPath = (logFolder / "stderr").string();
    const pid_t pid = fork();
    if (pid == 0) {
        if (!kUnderAddressSanitizer) {
            const rlimit space{addressSpaceLimit, addressSpaceLimit};
            setrlimit(RLIMIT_AS, &space);
        }
        dup2(open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
        dup2(open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
        std::vector<char*> argv;
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    Outcome outcome;
    const auto deadline = std::chrono::steady_clock::now() + kDeadline;
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, WNOHANG, &usage) == 0) {
        if (std::chrono::steady_clock::now() > deadline) kill(pid, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    outcome.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.peakResidentKiB = usage.ru_maxrss;
    outcome.standardOutput = kerfwright::testing::readFile(outPath);
    outcome.standardError = kerfwright::testing::readFile(errPath);
    return outcome;
}

class HostileCorpusTest : public ::testing::Test {
protected:
    void SetUp() override { work_ = kerfwright::testing::makeTemporaryFolder(); }
    void TearDown() override { fs::remove_all(work_); }

    // Writes the archive, converts it into a folder of its own, and checks
    // what holds for every hostile input.
    Outcome convert(const std::string& fileName, const std::string& archive, long residentLimitKiB = kResidentLimitKiB) {
        const fs::path input = work_ / fileName;
        std::ofstream(input, std::ios::binary) << archive;
        const fs::path output = work_ / "out";
        fs::remove_all(output);
        fs::create_directory(output);
        std::vector<std::string> expectedAround = sortedNames(work_);
        for (const char* log : {"stderr", "stdout"}) expectedAround.push_back(log);
        std::sort(expectedAround.begin(), expectedAround.end());
        expectedAround.erase(std::unique(expectedAround.begin(), expectedAround.end()), expectedAround.end());
        Outcome outcome = runLimited({kCli, "convert", "-o", output.string(), input.string()}, work_);
        outcome.outputFolder = output;
        outcome.files = sortedNames(output);

        EXPECT_NE(outcome.exitStatus, -1) << fileName << " crashed or passed the deadline";
        EXPECT_LE(outcome.peakResidentKiB, residentLimitKiB) << fileName;
        EXPECT_EQ(sortedNames(work_), expectedAround) << "written outside the output folder";
        for (const std::string& name : outcome.files) {
            EXPECT_FALSE(name.starts_with(".kerfwright-")) << "a temporary file stayed: " << name;
            if (!name.ends_with(".svg")) continue;
            const std::string svg = kerfwright::testing::readFile((output / name).string());
            EXPECT_EQ(kerfwright::testing::xmlWellFormednessError(svg), "") << name;
        }
        return outcome;
    }

    std::string svgOf(const Outcome& outcome, const std::string& name) const {
        return kerfwright::testing::readFile((outcome.outputFolder / name).string());
    }

    fs::path work_;
};

std::size_t countOf(const std::string& text, const std::string& needle) {
    std::size_t count = 0;
    for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size())) ++count;
    return count;
}

// "group-chain.lac" names its test case group_chain.
std::string caseName(const std::string& fileName) {
    std::string name = fileName.substr(0, fileName.find('.'));
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

// Inputs refused with one message and nothing written.
struct Refusal {
    std::string fileName;
    std::string (*archive)();
    std::string messageAfterFileName;  // after "Failed to read <file>: "
};

class RefusedInputTest : public HostileCorpusTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusedInputTest, IsRefusedWithItsMessage) {
    const Refusal& refusal = GetParam();
    const Outcome outcome = convert(refusal.fileName, refusal.archive());
    EXPECT_EQ(outcome.exitStatus, 1);
    EXPECT_EQ(outcome.standardError, "Failed to read " + refusal.fileName + ": " + refusal.messageAfterFileName + "\n");
    EXPECT_EQ(outcome.standardOutput, "");
    EXPECT_TRUE(outcome.files.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, RefusedInputTest,
    ::testing::Values(
        Refusal{"inflation-bomb.lac", hostile::inflationBomb,
                "Failed to extract 2D/2dmodel.json from archive: Entry inflates past the limit of 1 GiB for one entry"},
        Refusal{"archive-bomb.lac", hostile::archiveBomb,
                "Failed to extract 2D/Objects/logo.png from archive: Entries inflate past the limit of 4 GiB for one "
                "archive"},
        Refusal{"deep-json.lac", [] { return hostile::deepJson(100'000); },
                "Failed to decode 2D/2dmodel.json: malformed JSON: The JSON document was too deep (too many nested "
                "objects and arrays)"},
        Refusal{"invalid-utf8.lac", hostile::invalidUtf8,
                "Failed to decode 2D/2dmodel.json: malformed JSON: The input is not valid UTF-8"},
        Refusal{"lone-surrogate.lac", hostile::loneSurrogate,
                "Failed to decode 2D/2dmodel.json: malformed JSON: Problem while parsing a string"}),
    [](const auto& info) { return caseName(info.param.fileName); });

TEST_F(HostileCorpusTest, TruncatedArchiveCannotBeOpened) {
    const Outcome outcome = convert("truncated.lac", hostile::truncatedArchive());
    EXPECT_EQ(outcome.exitStatus, 1);
    EXPECT_EQ(outcome.standardError, "Failed to read truncated.lac: Could not open .lac archive at " +
                                         (work_ / "truncated.lac").string() + ": Not a zip archive\n");
    EXPECT_TRUE(outcome.files.empty());
}

// The chain's scene is a hundred megabytes of JSON for a million objects; the
// parsed JSON and the object table are held together while it is decoded,
// which peaks near 490 MiB.
constexpr long kGroupChainResidentLimitKiB = (kUnderAddressSanitizer ? 4 : 1) * 576L * 1024;

// Inputs converted into one drawing, cut short or with a part left out.
struct Conversion {
    std::string fileName;
    std::string (*archive)();
    std::string standardError;
    std::string element;  // counted in the drawing
    std::size_t elementCount = 0;
    long residentLimitKiB = kResidentLimitKiB;
};

class ConvertedInputTest : public HostileCorpusTest, public ::testing::WithParamInterface<Conversion> {};

TEST_P(ConvertedInputTest, GivesOneDrawingWithItsWarnings) {
    const Conversion& expected = GetParam();
    const Outcome outcome = convert(expected.fileName, expected.archive(), expected.residentLimitKiB);
    const std::string svgName = expected.fileName.substr(0, expected.fileName.rfind('.')) + ".svg";
    EXPECT_EQ(outcome.exitStatus, 0);
    EXPECT_EQ(outcome.standardError, expected.standardError);
    ASSERT_EQ(outcome.files, (std::vector<std::string>{svgName}));
    EXPECT_EQ(countOf(svgOf(outcome, svgName), expected.element), expected.elementCount);
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, ConvertedInputTest,
    ::testing::Values(
        // Its Base64 text would pass the limit of embedded image data by
        // itself; kept compressed, it costs no memory.
        Conversion{"image-bomb.lac", hostile::imageBomb,
                   "image-bomb.svg: Image data limit of 1 GiB reached at obj_id=1 \u2014 skipped\n", "<image ", 0},
        Conversion{"group-chain.lac", [] { return hostile::groupChain(1'000'000); }, "",
                   "<path d=\"M 0 0 L 10 10\" data-obj-id=\"1000001\"", 1, kGroupChainResidentLimitKiB},
        Conversion{"group-tree.lac", [] { return hostile::groupTree(40, true); },
                   "group-tree.svg: Scene cut short after 1000000 placements \u2014 the rest is skipped\n", "<path ",
                   1'000'000},
        Conversion{"empty-group-tree.lac", [] { return hostile::groupTree(40, false); },
                   "empty-group-tree.svg: Scene cut short after 0 placements \u2014 the rest is skipped\n", "<path ", 0},
        Conversion{"long-path.lac", [] { return hostile::longPath(100'000'000); },
                   "long-path.svg: Path data of obj_id=1 is longer than 16 MiB \u2014 skipped\n", "<path ", 0},
        // Only the placement that scales everything to zero can be written;
        // every other one would hold a number written as nan or inf.
        Conversion{"extreme-numbers.lac", hostile::extremeNumbers,
                   "extreme-numbers.svg: Non-finite number in obj_id=1 \u2014 skipped\n"
                   "extreme-numbers.svg: Non-finite number in obj_id=2 \u2014 skipped\n"
                   "extreme-numbers.svg: Non-finite number in obj_id=3 \u2014 skipped\n"
                   "extreme-numbers.svg: Non-finite number in obj_id=4 \u2014 skipped\n"
                   "extreme-numbers.svg: Non-finite number in obj_id=1 \u2014 skipped\n",
                   "<path d=\"M 0 0 L 0 0 C 0 0 0 0 0 0 ", 1}),
    [](const auto& info) { return caseName(info.param.fileName); });

TEST_F(HostileCorpusTest, LyingAndSharedEntriesConvertFromWhatTheyHold) {
    // Declared sizes are not trusted either way; with a name twice the first
    // entry counts; two names for one stored entry give the same bytes.
    const Outcome wrongSizes = convert("wrong-sizes.lac", hostile::wrongDeclaredSizes());
    EXPECT_EQ(wrongSizes.exitStatus, 0);
    EXPECT_EQ(wrongSizes.standardError, "");
    EXPECT_EQ(countOf(svgOf(wrongSizes, "wrong-sizes.svg"), "data-name=\"Line\""), 1u);

    const Outcome duplicates = convert("duplicate-entries.lac", hostile::duplicateEntries());
    EXPECT_EQ(duplicates.exitStatus, 0);
    EXPECT_EQ(countOf(svgOf(duplicates, "duplicate-entries.svg"), "data-name=\"Line\""), 1u);

    const Outcome shared = convert("overlapping-entries.lac", hostile::overlappingEntries());
    EXPECT_EQ(shared.exitStatus, 0);
    EXPECT_EQ(countOf(svgOf(shared, "overlapping-entries.svg"), "base64,c2hhcmVkIGltYWdlIGJ5dGVz\""), 2u);
}

// A machine short of memory: the project is reported as unreadable and the
// next one is still converted, rather than the tool being torn down.
TEST_F(HostileCorpusTest, RunningOutOfMemoryIsReportedLikeAnUnreadableFile) {
    if (kUnderAddressSanitizer) GTEST_SKIP() << "the sanitizer runtime reserves far more address space";
    lacgen::ProjectSpec project;
    project.canvases.push_back(lacgen::CanvasSpec{});
    const fs::path huge = work_ / "huge.lac";
    // Stored, as an image the archiver could not compress is: it is held whole.
    project.archive().add({"2D/Objects/huge.png", std::string(std::size_t{600} << 20, 'x'), false}).writeTo(huge.string());
    const fs::path output = work_ / "out";
    fs::create_directory(output);

    const Outcome outcome = runLimited(
        {kCli, "convert", "-j", "1", "-o", output.string(), huge.string(), KERFWRIGHT_SOURCE_DIR "/examples/coaster.lac"},
        work_, rlim_t{384} << 20);
    EXPECT_EQ(outcome.exitStatus, 1);
    EXPECT_EQ(outcome.standardError, "Failed to read huge.lac: Not enough memory to read and convert it\n");
    EXPECT_EQ(sortedNames(output), (std::vector<std::string>{"coaster.svg", "coaster.txt"}));
}

}  // namespace
