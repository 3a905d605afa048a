#include <cmath>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "commands.h"
#include "text/json_text.h"
#include "text/number_text.h"
#include "session/conversion_summary.h"
#include "session/save_outputs.h"

namespace kerfwright::cli {
namespace {

void appendJsonOptionalString(std::string& out, const std::optional<std::string>& text) {
    if (text) {
        text::appendJsonString(out, *text);
    } else {
        out += "null";
    }
}

// JSON has no infinities: a bound that is not finite is written as null.
void appendJsonNumber(std::string& out, double value) {
    out += std::isfinite(value) ? text::shortestRoundTrip(value) : "null";
}

void appendConversionJson(std::string& out, const CanvasConversion& conversion, const std::string& outputName) {
    out += "{\"canvasIndex\":" + std::to_string(conversion.canvasIndex);
    out += ",\"canvasName\":";
    text::appendJsonString(out, conversion.canvasName);
    out += ",\"plateIndex\":" + std::to_string(conversion.plateIndex);
    out += ",\"totalPlatesInCanvas\":" + std::to_string(conversion.totalPlatesInCanvas);
    out += ",\"outputName\":";
    text::appendJsonString(out, outputName);
    out += ",\"layerCounts\":{";
    bool first = true;
    for (LayerKind layer : kLayerDrawOrder) {
        const auto found = conversion.layerCounts.find(layer);
        if (found == conversion.layerCounts.end() || found->second <= 0) continue;
        if (!first) out += ',';
        first = false;
        text::appendJsonString(out, rawValue(layer));
        out += ':' + std::to_string(found->second);
    }
    out += "},\"bounds\":{\"minX\":";
    appendJsonNumber(out, conversion.bounds.minX);
    out += ",\"minY\":";
    appendJsonNumber(out, conversion.bounds.minY);
    out += ",\"maxX\":";
    appendJsonNumber(out, conversion.bounds.maxX);
    out += ",\"maxY\":";
    appendJsonNumber(out, conversion.bounds.maxY);
    out += "},\"warnings\":[";
    for (std::size_t i = 0; i < conversion.warnings.size(); ++i) {
        if (i > 0) out += ',';
        text::appendJsonString(out, conversion.warnings[i]);
    }
    out += "]}";
}

std::string documentJson(const LoadedDocument& loaded) {
    const std::vector<std::string> names = saveAllFileNames(loaded);
    std::string out = "{\"file\":";
    text::appendJsonString(out, loaded.sourcePath.filename().string());
    out += ",\"application\":";
    appendJsonOptionalString(out, loaded.document.application);
    out += ",\"fileVersion\":";
    appendJsonOptionalString(out, loaded.document.fileVersion);
    // Reported only when asked for, so that the standard output stays as it was.
    if (!loaded.profile.isStandard()) {
        out += ",\"profile\":{\"name\":";
        text::appendJsonString(out, rawValue(loaded.profile.name));
        out += loaded.profile.hairline ? ",\"hairline\":true}" : ",\"hairline\":false}";
    }
    out += ",\"conversions\":[";
    for (std::size_t i = 0; i < loaded.conversions.size(); ++i) {
        if (i > 0) out += ',';
        appendConversionJson(out, loaded.conversions[i], names[i]);
    }
    out += "]}\n";
    return out;
}

std::string documentSummary(const LoadedDocument& loaded) {
    const std::vector<std::string> names = saveAllFileNames(loaded);
    std::string out = loaded.sourcePath.filename().string() + "\n";
    if (loaded.document.application) out += "Application:  " + *loaded.document.application + "\n";
    if (loaded.document.fileVersion) out += "File version: " + *loaded.document.fileVersion + "\n";
    if (!loaded.profile.isStandard()) out += "Profile:      " + loaded.profile.description() + "\n";
    if (loaded.conversions.empty()) out += "\nNo canvases.\n";
    if (loaded.conversions.size() > 1) {
        out += ConversionSummary::pickerHeading(loaded.conversions) + "\n";
    }
    for (std::size_t i = 0; i < loaded.conversions.size(); ++i) {
        const CanvasConversion& conversion = loaded.conversions[i];
        out += "\n" + ConversionSummary::label(conversion, loaded.conversions) + "  ->  " + names[i] + "\n";
        out += "  Size:   " + ConversionSummary::sizeText(conversion.bounds) + "\n";
        out += "  Layers:";
        const auto rows = ConversionSummary::layerRows(conversion);
        if (rows.empty()) out += " none";
        out += "\n";
        for (const auto& [layer, count] : rows) {
            std::string name(rawValue(layer));
            name.resize(16, ' ');
            out += "    " + name + std::to_string(count) + "\n";
        }
        if (!conversion.warnings.empty()) {
            out += "  Warnings:\n";
            for (const std::string& warning : conversion.warnings) out += "    \u2022 " + warning + "\n";
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
    std::cout << (asJson ? documentJson(loaded) : documentSummary(loaded));
    return kExitSuccess;
}

}  // namespace kerfwright::cli
