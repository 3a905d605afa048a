#include <iostream>
#include <string>

#include "commands.h"
#include "session/document_description.h"
#include "session/save_outputs.h"
#include "text/number_text.h"

namespace kerfwright::cli {
namespace {

std::string documentSummary(const LoadedDocument& loaded) {
    const DocumentDescription description = describe(loaded);
    std::string out = description.fileName + "\n";
    if (loaded.document.application) out += "Application:  " + *loaded.document.application + "\n";
    if (loaded.document.fileVersion) out += "File version: " + *loaded.document.fileVersion + "\n";
    if (!loaded.profile.isStandard()) out += "Profile:      " + loaded.profile.description() + "\n";
    if (description.drawings.empty()) out += "\nNo canvases.\n";
    if (description.pickerHeading) out += *description.pickerHeading + "\n";
    for (const DrawingDescription& drawing : description.drawings) {
        out += "\n" + drawing.label + "  ->  " + drawing.outputName + "\n";
        out += "  Size:   " + drawing.size + "\n";
        out += "  Layers:";
        if (drawing.layers.empty()) out += " none";
        out += "\n";
        for (const LayerRowDescription& row : drawing.layers) {
            std::string name(rawValue(row.layer));
            name.resize(16, ' ');
            out += "    " + name + text::integerText(row.count) + "\n";
        }
        if (!drawing.warnings.empty()) {
            out += "  Warnings:\n";
            for (const std::string& warning : drawing.warnings) out += "    \u2022 " + warning + "\n";
        }
    }
    return out;
}

}  // namespace

int describeFile(const std::filesystem::path& input, bool asJson, const OutputProfile& profile) {
    const auto outcome = loadDocumentOrFailureMessage(input, profile, defaultJobCount());
    if (const auto* message = std::get_if<std::string>(&outcome)) {
        std::cerr << *message << '\n';
        return kExitFailure;
    }
    const LoadedDocument& loaded = std::get<LoadedDocument>(outcome);
    std::cout << (asJson ? descriptionJson(loaded) + "\n" : documentSummary(loaded));
    return kExitSuccess;
}

}  // namespace kerfwright::cli
