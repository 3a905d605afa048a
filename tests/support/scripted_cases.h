#pragma once
// Scripted cases: one file per case under tests/cases/FAMILY, a sequence of
// sections headed "== HEADING". Set-up sections make the inputs; a step does
// something and is followed by the outcome sections it must give. Every front
// end shares the set-up and the outcomes about files:
//
//   == archive PATH      one recipe part per line (support/archive_recipe.h), or a note after "#"
//   == text PATH         the lines of a text file
//   == folder PATH       an empty folder
//   == files             (outcome) every file and folder of the case afterwards, with its mode
//   == content PATH      (outcome) a file's bytes
//   == differences FOLDER FOLDER   (outcome) the files not the same, byte for byte, in both
//
// $IN and $OUT stand for two fresh folders, $EXAMPLES for the shipped
// examples. Bytes no line can hold are written as in case files
// (support/case_file.h). Every SVG a step leaves must import cleanly. With
// KERFWRIGHT_UPDATE_CASES=1 the outcome sections are written from what the
// steps gave, to be reviewed.

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kerfwright::testing {

struct Section {
    std::string heading;  // after "== "
    std::string body;     // its lines, each ending in a line end
};

// The sections of a case file, after the notes before its first heading
// (the first section, with no heading).
std::vector<Section> sectionsOf(const std::string& text);

// The recipe parts of an "archive" section, its notes left out.
std::vector<std::string> recipePartsOf(const Section& archiveSection, const std::string& where);

// The recipe parts of a project written as sections, each body as in an
// archive recipe and without its last line end: "scene", "settings" (the
// smallest valid entry when missing), "image NAME" (under 2D/Objects/, its
// bytes written as in case files) and "file PATH"; other sections are left out.
std::vector<std::string> projectRecipeParts(const std::map<std::string, std::string>& sections,
                                            const std::string& where);

// "== HEADING" and the text, ending in a line end unless empty.
std::string sectionText(const std::string& heading, const std::string& text);

// What is wrong with an SVG file for a program that imports it; empty when
// nothing: well-formed by two XML parsers, rendered by librsvg without a
// complaint, every path starting with a move, no number written as nan or inf.
std::string importProblems(const std::filesystem::path& file);

class ScriptedCase {
public:
    explicit ScriptedCase(std::string where);
    virtual ~ScriptedCase();

    // Sets up what a set-up section says, or takes the step and gives its
    // outcome sections; `requested` are the headings of the "content" and
    // "differences" sections the file has after it.
    std::string apply(const Section& section, const std::vector<std::string>& requested);
    virtual bool isOutcome(const std::string& heading) const;
    // A case that cannot run here is not run, nor rewritten.
    virtual bool skipped() const { return false; }

protected:
    // The outcome sections of a step, other than "content".
    virtual std::string step(const Section& section) = 0;

    // A text of the case file as it stands here, and back.
    std::string local(const std::string& text) const;
    std::string general(const std::string& text) const;
    // The body of a "files" section, checking each SVG on the way.
    std::string filesText() const;

    const std::string where_;
    const std::string work_;

private:
    // Whether a file was checked as it is now, by its size and time of writing.
    bool checkedBefore(const std::filesystem::directory_entry& file) const;
    mutable std::map<std::string, std::pair<std::uintmax_t, std::filesystem::file_time_type>> checked_;
};

// The case files under tests/cases/`family`, by name, in order; each is a
// test of its own, so that a failure names its file.
std::vector<std::string> caseFileNames(const std::string& family);

// A case file's name as a test's: its stem, with every character but ASCII
// letters and digits as "_" (the same as CMake's MAKE_C_IDENTIFIER).
std::string caseTestName(const std::string& fileName);

// Runs one case file with a fresh ScriptedCase from `start`.
void runScriptedCase(const std::string& family, const std::string& fileName,
                     const std::function<std::unique_ptr<ScriptedCase>(const std::string& where)>& start);

}  // namespace kerfwright::testing
