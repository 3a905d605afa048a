#include "session/document_description.h"

#include <string_view>
#include <utility>

#include "text/json_text.h"
#include "writers/sidecar_writer.h"

namespace kerfwright {
namespace {

// Lines as a label shows them: the last line end would add an empty line.
std::string withoutLastLineEnd(std::string lines) {
    if (!lines.empty() && lines.back() == '\n') lines.pop_back();
    return lines;
}

std::string hexColour(const ConversionSummary::RgbColor& colour) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "#";
    for (const std::uint8_t part : {colour.red, colour.green, colour.blue}) {
        out += kHex[part >> 4];
        out += kHex[part & 0xF];
    }
    return out;
}

DrawingDescription describeDrawing(const LoadedDocument& loaded, const CanvasConversion& conversion,
                                   std::string outputName) {
    const std::optional<LACProcessConfig>& config = loaded.document.processConfig;
    DrawingDescription drawing{ConversionSummary::label(conversion, loaded.conversions), std::move(outputName),
                               ConversionSummary::sizeText(conversion.bounds), {}, conversion.warnings};
    for (const auto& [layer, count] : ConversionSummary::layerRows(conversion)) {
        LayerRowDescription row{layer, count, hexColour(ConversionSummary::layerColor(layer, loaded.profile)), {}};
        if (config) row.settings = withoutLastLineEnd(SidecarWriter::layerSettings(layer, *config));
        drawing.layers.push_back(std::move(row));
    }
    return drawing;
}

std::string layerJson(const LayerRowDescription& row) {
    return text::JsonObject()
        .text("name", rawValue(row.layer))
        .integer("count", row.count)
        .text("colour", row.colour)
        .optionalText("settings", row.settings)
        .done();
}

std::string layerCountsJson(const CanvasConversion& conversion) {
    text::JsonObject counts;
    for (const LayerKind layer : kLayerDrawOrder) {
        const auto found = conversion.layerCounts.find(layer);
        if (found != conversion.layerCounts.end() && found->second > 0) counts.integer(rawValue(layer), found->second);
    }
    return counts.done();
}

std::string boundsJson(const BoundingBox& bounds) {
    return text::JsonObject()
        .number("minX", bounds.minX)
        .number("minY", bounds.minY)
        .number("maxX", bounds.maxX)
        .number("maxY", bounds.maxY)
        .done();
}

std::string drawingJson(const CanvasConversion& conversion, const DrawingDescription& drawing) {
    return text::JsonObject()
        .integer("canvasIndex", conversion.canvasIndex)
        .text("canvasName", conversion.canvasName)
        .integer("plateIndex", conversion.plateIndex)
        .integer("totalPlatesInCanvas", conversion.totalPlatesInCanvas)
        .text("outputName", drawing.outputName)
        .text("label", drawing.label)
        .text("size", drawing.size)
        .raw("layerCounts", layerCountsJson(conversion))
        .raw("layers", text::jsonArray(drawing.layers, layerJson))
        .raw("bounds", boundsJson(conversion.bounds))
        .raw("warnings", text::jsonArray(drawing.warnings, text::jsonString))
        .done();
}

std::string profileJson(const OutputProfile& profile) {
    return text::JsonObject().text("name", rawValue(profile.name)).boolean("hairline", profile.hairline).done();
}

}  // namespace

std::string_view pickerStyleName(ConversionSummary::PickerStyle style) {
    switch (style) {
        case ConversionSummary::PickerStyle::hidden: return "hidden";
        case ConversionSummary::PickerStyle::segmented: return "segmented";
        case ConversionSummary::PickerStyle::popUpMenu: return "popUpMenu";
    }
    return "hidden";
}

DocumentDescription describe(const LoadedDocument& loaded) {
    const std::vector<CanvasConversion>& all = loaded.conversions;
    DocumentDescription description;
    description.fileName = loaded.sourcePath.filename().string();
    description.pickerStyle = ConversionSummary::pickerStyle(all.size());
    if (description.pickerStyle != ConversionSummary::PickerStyle::hidden) {
        description.pickerHeading = ConversionSummary::pickerHeading(all);
        description.saveAllTitle = ConversionSummary::saveAllButtonTitle(all.size());
    }
    description.settingsRecorded = loaded.document.processConfig.has_value();
    if (loaded.document.processConfig) {
        std::string lines = withoutLastLineEnd(SidecarWriter::materialAndMachine(*loaded.document.processConfig));
        if (!lines.empty()) description.materialAndMachine = std::move(lines);
    }
    std::vector<std::string> names = saveAllFileNames(loaded);
    description.drawings.reserve(all.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
        description.drawings.push_back(describeDrawing(loaded, all[i], std::move(names[i])));
    }
    return description;
}

std::string descriptionJson(const LoadedDocument& loaded) {
    const DocumentDescription description = describe(loaded);
    text::JsonObject json;
    json.text("file", description.fileName)
        .optionalText("application", loaded.document.application)
        .optionalText("fileVersion", loaded.document.fileVersion);
    // Named only when asked for, so that the standard description stays as it was.
    if (!loaded.profile.isStandard()) json.raw("profile", profileJson(loaded.profile));
    std::string drawings = "[";
    for (std::size_t i = 0; i < description.drawings.size(); ++i) {
        if (i > 0) drawings += ',';
        drawings += drawingJson(loaded.conversions[i], description.drawings[i]);
    }
    drawings += ']';
    return json
        .text("pickerStyle", pickerStyleName(description.pickerStyle))
        .optionalText("pickerHeading", description.pickerHeading)
        .optionalText("saveAllTitle", description.saveAllTitle)
        .optionalText("materialAndMachine", description.materialAndMachine)
        .boolean("settingsRecorded", description.settingsRecorded)
        .raw("conversions", drawings)
        .done();
}

}  // namespace kerfwright
