#include <iostream>
#include <string>
#include <vector>

#include "commands.h"
#include "terminal_text.h"
#include "session/document_description.h"
#include "session/save_outputs.h"
#include "text/number_text.h"
#include "values/work_sharing.h"

namespace kerfwright::cli {
namespace {

// The description, one line per fact, as the terminal shows it.
std::string documentSummary(const LoadedDocument& loaded) {
    const DocumentDescription description = describe(loaded);
    std::vector<std::string> lines = {description.fileName};
    if (loaded.document.application) lines.push_back("Application:  " + *loaded.document.application);
    if (loaded.document.fileVersion) lines.push_back("File version: " + *loaded.document.fileVersion);
    if (!loaded.profile.isStandard()) lines.push_back("Profile:      " + loaded.profile.description());
    if (description.drawings.empty()) lines.insert(lines.end(), {"", "No canvases."});
    if (description.pickerHeading) lines.push_back(*description.pickerHeading);
    for (const DrawingDescription& drawing : description.drawings) {
        lines.insert(lines.end(), {"", drawing.label + "  ->  " + drawing.outputName, "  Size:   " + drawing.size});
        lines.push_back(drawing.layers.empty() ? "  Layers: none" : "  Layers:");
        for (const LayerRowDescription& row : drawing.layers) {
            std::string name(rawValue(row.layer));
            name.resize(16, ' ');
            lines.push_back("    " + name + text::integerText(row.count));
        }
        if (!drawing.warnings.empty()) lines.push_back("  Warnings:");
        for (const std::string& warning : drawing.warnings) lines.push_back("    \u2022 " + warning);
    }
    std::string out;
    for (const std::string& line : lines) out += terminalText(line) + "\n";
    return out;
}

}  // namespace

int describeFile(const std::filesystem::path& input, bool asJson, const OutputProfile& profile) {
    const auto outcome = loadDocumentOrFailureMessage(input, profile, usableThreadCount());
    if (const auto* message = std::get_if<std::string>(&outcome)) {
        std::cerr << terminalText(*message) << '\n';
        return kExitFailure;
    }
    const LoadedDocument& loaded = std::get<LoadedDocument>(outcome);
    std::cout << (asJson ? descriptionJson(loaded) + "\n" : documentSummary(loaded));
    return kExitSuccess;
}

}  // namespace kerfwright::cli
