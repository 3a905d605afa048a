// Writes the archives that one family of scripted cases sets up, so that a
// front end tested outside this program can read the same inputs: each one
// lands in OUT/<case>/ under the name its case gives it after $IN/.
// Usage: write-case-archives FAMILY OUT

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "support/archive_recipe.h"
#include "support/case_file.h"
#include "support/run_command.h"
#include "support/scripted_cases.h"

namespace fs = std::filesystem;
using namespace kerfwright::testing;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "Usage: write-case-archives FAMILY OUT\n";
        return 2;
    }
    const std::string inputPrefix = "archive $IN/";
    for (const auto& entry : fs::directory_iterator(fs::path(KERFWRIGHT_SOURCE_DIR) / "tests/cases" / argv[1])) {
        const std::string where = entry.path().filename().string();
        for (const Section& section : sectionsOf(readFile(entry.path().string()))) {
            if (!section.heading.starts_with(inputPrefix)) continue;
            const fs::path path = fs::path(argv[2]) / entry.path().stem() /
                                  unescaped(section.heading.substr(inputPrefix.size()), where);
            fs::create_directories(path.parent_path());
            std::ofstream(path, std::ios::binary) << archiveOf(recipePartsOf(section, where));
            std::cout << path.string() << '\n';
        }
    }
    return 0;
}
