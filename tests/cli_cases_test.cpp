// The command-line tool run as a user runs it, one file per case under
// cases/cli/. A case sets up its inputs, then runs the tool once or more:
//
//   == archive PATH      one recipe part per line (support/archive_recipe.h), or a note after "#"
//   == text PATH         the lines of a text file
//   == folder PATH       an empty folder
//   == umask MASK        the file mode mask of the runs that follow, in octal
//   == resident N MiB    the most memory the runs that follow may hold
//   == address-space N MiB   the most memory they may map (not under a sanitizer)
//   == run ARGUMENTS     separated by blanks
//
// Each run is followed by what it must give: "== exit", "== stdout", "== stderr",
// "== files" (every file and folder of the case afterwards, with its mode) and,
// where asked for, "== content PATH". $IN and $OUT stand for two fresh folders,
// $EXAMPLES for the shipped examples. Bytes no line can hold are written as in
// case files (support/case_file.h). Every run is held to a deadline and to
// the memory limit, and every SVG it leaves must import cleanly. With
// KERFWRIGHT_UPDATE_CASES=1 the expected parts are written from what the tool
// gives, to be reviewed.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/archive_recipe.h"
#include "support/case_file.h"
#include "support/run_command.h"
#include "support/well_formed_xml.h"

namespace kerfwright::testing {
namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kUnderAddressSanitizer = true;
#else
constexpr bool kUnderAddressSanitizer = false;
#endif

const fs::path kCases = fs::path(KERFWRIGHT_SOURCE_DIR) / "tests/cases/cli";
const std::string kExamples = std::string(KERFWRIGHT_SOURCE_DIR) + "/examples";
// "A few hundred megabytes"; the sanitizer runtime adds shadow memory and quarantine of its own.
constexpr long kResidentMebibytes = 512;
constexpr long kSanitizerMemoryFactor = 4;
// librsvg renders every element; past this size a document would only cost time.
constexpr std::uintmax_t kLargestRendered = 4 << 20;

bool separatesNumbers(char c) { return c == ' ' || c == '"' || c == '(' || c == ')' || c == ','; }

// "nan", "inf" or "-inf" standing as a number of an attribute value (or before "mm" in a size).
bool holdsNonFiniteNumber(std::string_view svg) {
    for (const std::string_view word : {"nan", "inf"}) {
        for (std::size_t at = svg.find(word); at != std::string_view::npos; at = svg.find(word, at + 1)) {
            const std::size_t start = at > 0 && svg[at - 1] == '-' ? at - 1 : at;
            const char before = start > 0 ? svg[start - 1] : ' ';
            const char after = at + word.size() < svg.size() ? svg[at + word.size()] : ' ';
            if (separatesNumbers(before) && (separatesNumbers(after) || after == 'm')) return true;
        }
    }
    return false;
}

// What is wrong with an SVG file for a program that imports it; empty when
// nothing: well-formed by two XML parsers, rendered by librsvg without a
// complaint, every path starting with a move, no number written as nan or inf.
std::string importProblems(const fs::path& file) {
    const std::string svg = readFile(file.string());
    std::string problems = xmlWellFormednessError(svg);
    const CommandResult lint = runCommand({"/usr/bin/xmllint", "--noout", "--huge", file.string()});
    if (lint.exitStatus != 0) problems += "xmllint: " + lint.standardError;
    if (fs::file_size(file) <= kLargestRendered) {
        const CommandResult render = runCommand({"/usr/bin/rsvg-convert", "-f", "png", file.string()});
        if (render.exitStatus != 0 || !render.standardError.empty()) problems += "rsvg-convert: " + render.standardError;
    }
    constexpr std::string_view pathStart = "<path d=\"";
    for (std::size_t at = svg.find(pathStart); at != std::string::npos; at = svg.find(pathStart, at + 1)) {
        if (std::string_view(svg).substr(at + pathStart.size(), 2) != "M ") {
            problems += "path data without a first move at byte " + std::to_string(at) + "\n";
        }
    }
    if (holdsNonFiniteNumber(svg)) problems += "a number written as nan or inf\n";
    return problems;
}

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

struct Section {
    std::string heading;  // after "== "
    std::string body;     // its lines, each ending in a line end
};

std::vector<Section> sectionsOf(const std::string& text) {
    std::vector<Section> sections(1);  // the notes before the first heading
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("== ")) sections.push_back({line.substr(3), ""});
        else sections.back().body += line + "\n";
    }
    return sections;
}

bool isOutcome(const std::string& heading) {
    return heading == "exit" || heading == "stdout" || heading == "stderr" || heading == "files" ||
           heading.starts_with("content ");
}

class CaseRun {
public:
    explicit CaseRun(std::string where) : where_(std::move(where)), work_(makeTemporaryFolder()) {
        fs::create_directory(work_ + "/in");
        fs::create_directory(work_ + "/out");
    }
    ~CaseRun() { fs::remove_all(work_); }

    // Sets up what the section says, or runs the tool and gives what it did.
    std::string apply(const Section& section, const std::vector<std::string>& requested) {
        const std::string& heading = section.heading;
        const auto argument = [&](std::string_view command) { return local(heading.substr(command.size())); };
        if (heading.starts_with("archive ")) {
            std::vector<std::string> parts;
            std::istringstream lines(section.body);
            for (std::string line; std::getline(lines, line);) {
                if (!line.starts_with("#")) parts.push_back(unescaped(line, where_));
            }
            std::ofstream(argument("archive "), std::ios::binary) << archiveOf(parts);
        } else if (heading.starts_with("text ")) {
            std::ofstream(argument("text "), std::ios::binary) << unescaped(section.body, where_);
        } else if (heading.starts_with("folder ")) {
            fs::create_directories(argument("folder "));
        } else if (heading.starts_with("umask ")) {
            options_.fileModeMask = std::stoul(heading.substr(6), nullptr, 8);
        } else if (heading.starts_with("resident ")) {
            residentMebibytes_ = std::stol(heading.substr(9));
        } else if (heading.starts_with("address-space ")) {
            options_.addressSpaceMebibytes = std::stol(heading.substr(14));
        } else if (heading.starts_with("run")) {
            return outcomeOf(heading.substr(3), requested);
        }
        return "";
    }

    bool skipped() const { return kUnderAddressSanitizer && options_.addressSpaceMebibytes; }

private:
    std::string local(const std::string& text) const {
        return replacedAll(replacedAll(replacedAll(unescaped(text, where_), "$IN", work_ + "/in"), "$OUT", work_ + "/out"),
                        "$EXAMPLES", kExamples);
    }

    std::string general(const std::string& text) const {
        return escaped(replacedAll(replacedAll(replacedAll(text, work_ + "/in", "$IN"), work_ + "/out", "$OUT"), kExamples, "$EXAMPLES"));
    }

    static std::string section(const std::string& heading, const std::string& text) {
        return "== " + heading + "\n" + text + (text.empty() || text.back() == '\n' ? "" : "\n");
    }

    std::string outcomeOf(const std::string& arguments, const std::vector<std::string>& requested) {
        std::vector<std::string> command = {KERFWRIGHT_CLI_PATH};
        std::istringstream words(arguments);
        for (std::string word; words >> word;) command.push_back(local(word));
        const CommandResult result = runCommand(command, options_);
        const long limit = residentMebibytes_ * (kUnderAddressSanitizer ? kSanitizerMemoryFactor : 1);
        EXPECT_LE(result.peakResidentKiB, limit * 1024) << where_ << ": " << arguments;
        std::string out = section("exit", std::to_string(result.exitStatus)) +
                          section("stdout", general(result.standardOutput)) +
                          section("stderr", general(result.standardError)) + section("files", filesText());
        for (const std::string& path : requested) out += section("content " + path, general(readFile(local(path))));
        return out;
    }

    // Every file and folder under $IN and $OUT, sorted, with its mode; each SVG checked on the way.
    std::string filesText() const {
        std::vector<std::string> lines;
        for (const auto& entry : fs::recursive_directory_iterator(work_)) {
            struct stat status {};
            lstat(entry.path().c_str(), &status);
            if (entry.path() == work_ + "/in" || entry.path() == work_ + "/out") continue;
            std::ostringstream line;
            const std::string name = replacedAll(replacedAll(general(entry.path().string()), "\n", "\\n"), "\t", "\\t");
            line << name << (entry.is_directory() ? "/ " : " ") << std::oct
                 << (status.st_mode & 07777);
            lines.push_back(line.str());
            if (entry.path().extension() == ".svg" && entry.is_regular_file()) {
                EXPECT_EQ(importProblems(entry.path()), "") << where_ << ": " << entry.path();
            }
        }
        std::sort(lines.begin(), lines.end());
        std::string out;
        for (const std::string& line : lines) out += line + "\n";
        return out;
    }

    std::string where_;
    std::string work_;
    RunOptions options_;
    long residentMebibytes_ = kResidentMebibytes;
};

TEST(CommandLineCases, RunAsExpected) {
    std::size_t checked = 0;
    for (const auto& entry : fs::directory_iterator(kCases)) {
        const std::vector<Section> sections = sectionsOf(readFile(entry.path().string()));
        CaseRun run(entry.path().filename().string());
        std::string rewritten = sections[0].body;
        for (std::size_t i = 1, next; i < sections.size() && !run.skipped(); i = next) {
            const Section& step = sections[i];
            std::string expected;
            std::vector<std::string> requested;
            for (next = i + 1; next < sections.size() && isOutcome(sections[next].heading); ++next) {
                expected += "== " + sections[next].heading + "\n" + sections[next].body;
                if (sections[next].heading.starts_with("content ")) requested.push_back(sections[next].heading.substr(8));
            }
            const std::string outcome = run.apply(step, requested);
            EXPECT_EQ(outcome, expected) << entry.path().filename() << ": " << step.heading;
            rewritten += "== " + step.heading + "\n" + step.body + outcome;
            checked += step.heading.starts_with("run");
        }
        if (std::getenv("KERFWRIGHT_UPDATE_CASES") != nullptr && !run.skipped()) {
            std::ofstream(entry.path(), std::ios::binary) << rewritten;
        }
    }
    EXPECT_GT(checked, 0u);
}

}  // namespace
}  // namespace kerfwright::testing
