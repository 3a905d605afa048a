#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <system_error>

#include "commands.h"
#include "reading/read_error.h"
#include "writers/save_outputs.h"

namespace kerfwright::cli {
namespace {

// Converts and writes one input; false when it could not be read or written.
bool convertOne(const std::filesystem::path& input, const std::optional<std::filesystem::path>& outputFolder) {
    LoadedDocument loaded;
    try {
        loaded = loadDocument(input);
    } catch (const LACReadError& error) {
        std::cerr << readFailureMessage(input, error.description()) << '\n';
        return false;
    }

    const std::filesystem::path folder = outputFolder.value_or(input.parent_path());
    const std::vector<std::string> names = saveAllFileNames(loaded);
    for (std::size_t i = 0; i < loaded.conversions.size(); ++i) {
        for (const std::string& warning : loaded.conversions[i].warnings) {
            std::cerr << names[i] << ": " << warning << '\n';
        }
    }

    const SaveOutcome outcome = saveAll(loaded, folder);
    for (const SavedConversion& saved : outcome.saved) {
        std::cout << saved.svgPath.string() << '\n';
        if (saved.sidecarPath) std::cout << saved.sidecarPath->string() << '\n';
    }
    if (outcome.failureMessage) {
        std::cerr << *outcome.failureMessage << '\n';
        return false;
    }
    return true;
}

}  // namespace

int convertFiles(const std::vector<std::filesystem::path>& inputs,
                 const std::optional<std::filesystem::path>& outputFolder) {
    if (outputFolder) {
        // A folder that cannot be made shows up as the first failed write.
        std::error_code ignored;
        std::filesystem::create_directories(*outputFolder, ignored);
    }
    bool allConverted = true;
    for (const std::filesystem::path& input : inputs) {
        allConverted = convertOne(input, outputFolder) && allConverted;
        std::cout.flush();
    }
    return allConverted ? kExitSuccess : kExitFailure;
}

}  // namespace kerfwright::cli
