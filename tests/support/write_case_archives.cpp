// Writes the archives that one family of scripted cases sets up, so that a
// front end tested outside this program can read the same inputs: each one
// lands in OUT/<case>/ under the name its case gives it after $IN/, and its
// path is printed. The drawing cases, which write their project as sections
// rather than as an archive, each give OUT/<case>/<case>.lac. A case run
// under a limit on memory is left out: its inputs are made to exceed the
// limit, and without it they only cost time.
// Usage: write-case-archives FAMILY OUT

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "support/archive_recipe.h"
#include "support/case_file.h"
#include "support/run_command.h"
#include "support/scripted_cases.h"

namespace fs = std::filesystem;
using namespace kerfwright::testing;

namespace {

void write(const fs::path& path, const std::vector<std::string>& parts) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << archiveOf(parts);
    std::cout << path.string() << '\n';
}

// The project of a drawing case: its sections before "== convert".
void writeDrawingCase(const fs::path& caseFile, const fs::path& out) {
    std::map<std::string, std::string> sections;
    for (const Section& section : sectionsOf(readFile(caseFile.string()))) {
        if (section.heading == "convert") break;
        sections[section.heading] = section.body.substr(0, section.body.empty() ? 0 : section.body.size() - 1);
    }
    const std::string name = caseFile.stem().string();
    write(out / name / (name + ".lac"), projectRecipeParts(sections, caseFile.filename().string()));
}

void writeArchiveSections(const fs::path& caseFile, const fs::path& out) {
    const std::string inputPrefix = "archive $IN/";
    const std::string where = caseFile.filename().string();
    for (const Section& section : sectionsOf(readFile(caseFile.string()))) {
        if (section.heading.starts_with("address-space ")) return;
        if (!section.heading.starts_with(inputPrefix)) continue;
        write(out / caseFile.stem() / unescaped(section.heading.substr(inputPrefix.size()), where),
              recipePartsOf(section, where));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "Usage: write-case-archives FAMILY OUT\n";
        return 2;
    }
    const std::string family = argv[1];
    for (const auto& entry : fs::directory_iterator(fs::path(KERFWRIGHT_SOURCE_DIR) / "tests/cases" / family)) {
        if (family == "drawings") writeDrawingCase(entry.path(), argv[2]);
        else writeArchiveSections(entry.path(), argv[2]);
    }
    return 0;
}
