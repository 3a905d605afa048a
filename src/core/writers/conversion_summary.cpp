#include "writers/conversion_summary.h"

#include <charconv>
#include <set>

namespace kerfwright::ConversionSummary {
namespace {

std::size_t distinctCanvasCount(const std::vector<CanvasConversion>& all) {
    std::set<std::int64_t> indices;
    for (const CanvasConversion& conversion : all) indices.insert(conversion.canvasIndex);
    return indices.size();
}

// Fixed notation with one decimal, rounded as printf's "%.1f" rounds.
void appendOneDecimal(std::string& out, double value) {
    char buffer[400];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
    out.append(buffer, end);
}

}  // namespace

std::string label(const CanvasConversion& conversion, const std::vector<CanvasConversion>& all) {
    const std::string name = conversion.canvasName.empty()
                                 ? "Canvas " + std::to_string(conversion.canvasIndex)
                                 : conversion.canvasName;
    if (conversion.totalPlatesInCanvas < 2) return name;
    const std::string plate = "Plate " + std::to_string(conversion.plateIndex);
    return distinctCanvasCount(all) < 2 ? plate : name + " / " + plate;
}

std::string pickerHeading(const std::vector<CanvasConversion>& all) {
    const std::string plates = "Plates (" + std::to_string(all.size()) + ")";
    const std::size_t canvases = distinctCanvasCount(all);
    if (canvases < 2) return plates;
    return "Canvases (" + std::to_string(canvases) + ") / " + plates;
}

std::string sizeText(const BoundingBox& bounds) {
    std::string text;
    appendOneDecimal(text, bounds.maxX - bounds.minX);
    text += " \u00D7 ";
    appendOneDecimal(text, bounds.maxY - bounds.minY);
    text += " mm";
    return text;
}

std::vector<std::pair<LayerKind, std::int64_t>> layerRows(const CanvasConversion& conversion) {
    std::vector<std::pair<LayerKind, std::int64_t>> rows;
    for (auto layer = kAllLayerKinds.rbegin(); layer != kAllLayerKinds.rend(); ++layer) {
        const auto found = conversion.layerCounts.find(*layer);
        if (found != conversion.layerCounts.end() && found->second > 0) rows.emplace_back(*layer, found->second);
    }
    return rows;
}

}  // namespace kerfwright::ConversionSummary
