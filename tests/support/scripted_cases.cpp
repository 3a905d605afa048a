#include "support/scripted_cases.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <utility>

#include "support/archive_recipe.h"
#include "support/case_file.h"
#include "support/run_command.h"
#include "support/well_formed_xml.h"

namespace kerfwright::testing {
namespace {

namespace fs = std::filesystem;

const std::string kExamples = std::string(KERFWRIGHT_SOURCE_DIR) + "/examples";
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

bool isRequested(const std::string& heading) {
    return heading.starts_with("content ") || heading.starts_with("differences ");
}

// The files under `folder`, by their names within it; none when it is missing.
std::map<std::string, std::string> filesUnder(const fs::path& folder) {
    std::map<std::string, std::string> files;
    if (!fs::is_directory(folder)) return files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) files[entry.path().lexically_relative(folder).string()] = readFile(entry.path());
    }
    return files;
}

std::string differencesText(const fs::path& one, const fs::path& other) {
    const auto first = filesUnder(one);
    const auto second = filesUnder(other);
    std::string out;
    for (const auto& [name, bytes] : first) {
        if (!second.contains(name) || second.at(name) != bytes) out += name + "\n";
    }
    for (const auto& [name, bytes] : second) {
        if (!first.contains(name)) out += name + "\n";
    }
    return out;
}


}  // namespace

std::vector<std::string> recipePartsOf(const Section& archiveSection, const std::string& where) {
    std::vector<std::string> parts;
    std::istringstream lines(archiveSection.body);
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("#")) parts.push_back(unescaped(line, where));
    }
    return parts;
}

std::vector<Section> sectionsOf(const std::string& text) {
    std::vector<Section> sections(1);  // the notes before the first heading
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("== ")) sections.push_back({line.substr(3), ""});
        else sections.back().body += line + "\n";
    }
    return sections;
}

std::vector<std::string> projectRecipeParts(const std::map<std::string, std::string>& sections,
                                            const std::string& where) {
    const auto settings = sections.find("settings");
    std::vector<std::string> parts = {"scene=" + sections.at("scene"),
                                      settings != sections.end() ? "settings=" + settings->second : "settings"};
    for (const auto& [name, content] : sections) {
        if (name.starts_with("image ")) parts.push_back("2D/Objects/" + name.substr(6) + "=" + unescaped(content, where));
        if (name.starts_with("file ")) parts.push_back(name.substr(5) + "=" + content);
    }
    return parts;
}

std::string sectionText(const std::string& heading, const std::string& text) {
    return "== " + heading + "\n" + text + (text.empty() || text.back() == '\n' ? "" : "\n");
}

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

ScriptedCase::ScriptedCase(std::string where) : where_(std::move(where)), work_(makeTemporaryFolder()) {
    fs::create_directory(work_ + "/in");
    fs::create_directory(work_ + "/out");
}

ScriptedCase::~ScriptedCase() { fs::remove_all(work_); }

bool ScriptedCase::isOutcome(const std::string& heading) const {
    return heading == "files" || isRequested(heading);
}

std::string ScriptedCase::apply(const Section& section, const std::vector<std::string>& requested) {
    const std::string& heading = section.heading;
    const auto argument = [&](std::string_view command) { return local(heading.substr(command.size())); };
    // Inputs may sit in folders of their own.
    const auto file = [&](std::string_view command) {
        const fs::path path = argument(command);
        fs::create_directories(path.parent_path());
        return std::ofstream(path, std::ios::binary);
    };
    if (heading.starts_with("archive ")) {
        file("archive ") << archiveOf(recipePartsOf(section, where_));
        return "";
    }
    if (heading.starts_with("text ")) {
        file("text ") << unescaped(section.body, where_);
        return "";
    }
    if (heading.starts_with("folder ")) {
        fs::create_directories(argument("folder "));
        return "";
    }
    std::string out = step(section);
    for (const std::string& outcome : requested) {
        if (outcome.starts_with("content ")) {
            out += sectionText(outcome, general(readFile(local(outcome.substr(8)))));
        } else {
            std::istringstream folders(outcome.substr(12));
            std::string one, other;
            folders >> one >> other;
            out += sectionText(outcome, general(differencesText(local(one), local(other))));
        }
    }
    return out;
}

std::string ScriptedCase::local(const std::string& text) const {
    return replacedAll(replacedAll(replacedAll(unescaped(text, where_), "$IN", work_ + "/in"), "$OUT", work_ + "/out"),
                       "$EXAMPLES", kExamples);
}

std::string ScriptedCase::general(const std::string& text) const {
    return escaped(
        replacedAll(replacedAll(replacedAll(text, work_ + "/in", "$IN"), work_ + "/out", "$OUT"), kExamples, "$EXAMPLES"));
}

bool ScriptedCase::checkedBefore(const fs::directory_entry& file) const {
    const auto seen = std::pair(file.file_size(), file.last_write_time());
    return std::exchange(checked_[file.path().string()], seen) == seen;
}

std::string ScriptedCase::filesText() const {
    std::vector<std::string> lines;
    for (const auto& entry : fs::recursive_directory_iterator(work_)) {
        if (entry.path() == work_ + "/in" || entry.path() == work_ + "/out") continue;
        struct stat status {};
        lstat(entry.path().c_str(), &status);
        std::ostringstream line;
        const std::string name = replacedAll(replacedAll(general(entry.path().string()), "\n", "\\n"), "\t", "\\t");
        line << name << (entry.is_directory() ? "/ " : " ") << std::oct << (status.st_mode & 07777);
        lines.push_back(line.str());
        if (entry.path().extension() == ".svg" && entry.is_regular_file() && !checkedBefore(entry)) {
            EXPECT_EQ(importProblems(entry.path()), "") << where_ << ": " << entry.path();
        }
    }
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string& line : lines) out += line + "\n";
    return out;
}

std::vector<std::string> caseFileNames(const std::string& family) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(fs::path(KERFWRIGHT_SOURCE_DIR) / "tests/cases" / family)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string caseTestName(const std::string& fileName) {
    std::string name = fs::path(fileName).stem().string();
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    if (!name.empty() && std::isdigit(static_cast<unsigned char>(name[0]))) name.insert(name.begin(), '_');
    return name;
}

void runScriptedCase(const std::string& family, const std::string& fileName,
                     const std::function<std::unique_ptr<ScriptedCase>(const std::string& where)>& start) {
    const fs::path file = fs::path(KERFWRIGHT_SOURCE_DIR) / "tests/cases" / family / fileName;
    const std::vector<Section> sections = sectionsOf(readFile(file.string()));
    const std::unique_ptr<ScriptedCase> run = start(fileName);
    std::string rewritten = sections[0].body;
    std::size_t steps = 0;
    for (std::size_t i = 1, next; i < sections.size() && !run->skipped(); i = next) {
        const Section& section = sections[i];
        std::string expected;
        std::vector<std::string> requested;
        for (next = i + 1; next < sections.size() && run->isOutcome(sections[next].heading); ++next) {
            expected += sectionText(sections[next].heading, sections[next].body);
            if (isRequested(sections[next].heading)) requested.push_back(sections[next].heading);
        }
        const std::string outcome = run->apply(section, requested);
        EXPECT_EQ(outcome, expected) << fileName << ": " << section.heading;
        rewritten += sectionText(section.heading, section.body) + outcome;
        steps += !outcome.empty();
    }
    if (run->skipped()) GTEST_SKIP() << fileName << " cannot run here";
    EXPECT_GT(steps, 0u) << fileName << " has no step with an outcome";
    if (std::getenv("KERFWRIGHT_UPDATE_CASES") != nullptr) std::ofstream(file, std::ios::binary) << rewritten;
}

}  // namespace kerfwright::testing
