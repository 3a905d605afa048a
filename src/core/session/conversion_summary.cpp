#include "session/conversion_summary.h"

#include <limits>

#include "text/float_conversions.h"
#include "text/number_text.h"

namespace kerfwright::ConversionSummary {
namespace {

// Fixed notation with one decimal, rounded as printf's "%.1f" rounds.
void appendOneDecimal(std::string& out, double value) { text::appendFixed(out, value, 1); }

std::optional<unsigned> hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
    return std::nullopt;
}

// The leading hexadecimal digits as one number; too many digits give the
// largest value rather than wrapping around.
std::uint64_t leadingHexNumber(std::string_view text) {
    constexpr std::uint64_t kLargest = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t value = 0;
    for (char c : text) {
        const std::optional<unsigned> digit = hexDigitValue(c);
        if (!digit) break;
        value = value > (kLargest >> 4) ? kLargest : (value << 4) | *digit;
    }
    return value;
}

// The largest number of conversions still offered side by side.
constexpr std::size_t kMostSegments = 4;

}  // namespace

std::string label(const CanvasConversion& conversion, const std::vector<CanvasConversion>& all) {
    const std::string name = canvasDisplayName(conversion.canvasIndex, conversion.canvasName);
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
    for (const LayerKind layer : kLayerListingOrder) {
        const auto found = conversion.layerCounts.find(layer);
        if (found != conversion.layerCounts.end() && found->second > 0) rows.emplace_back(layer, found->second);
    }
    return rows;
}

PickerStyle pickerStyle(std::size_t conversionCount) {
    if (conversionCount < 2) return PickerStyle::hidden;
    return conversionCount <= kMostSegments ? PickerStyle::segmented : PickerStyle::popUpMenu;
}

RgbColor colorFromHex(std::string_view text) {
    if (text.starts_with('#')) text.remove_prefix(1);
    const std::uint64_t value = leadingHexNumber(text);
    return RgbColor{static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
                    static_cast<std::uint8_t>(value)};
}

RgbColor layerColor(LayerKind layer, const OutputProfile& profile) {
    return colorFromHex(profile.colour(layer).value_or("#808080"));
}

std::string previewSvg(std::string_view svg, const std::set<LayerKind>& hidden) {
    std::string out(svg);
    for (const LayerKind layer : hidden) {
        const std::string tag = "<g id=\"" + std::string(rawValue(layer)) + "\"";
        const std::size_t at = out.find(tag);
        if (at != std::string::npos) out.insert(at + tag.size(), " display=\"none\"");
    }
    return out;
}

std::string loadingText(const std::filesystem::path& location) {
    return "Reading " + location.filename().string() + "\u2026";
}

std::string saveAllButtonTitle(std::size_t conversionCount) {
    return "Save All " + text::integerText(static_cast<std::int64_t>(conversionCount)) + "\u2026";
}

std::string saveAllFolderMessage(std::size_t conversionCount, const OutputProfile& profile) {
    std::string message =
        "Choose a folder to save " + text::integerText(static_cast<std::int64_t>(conversionCount)) + " SVG files";
    if (!profile.isStandard()) message += " (profile: " + profile.description() + ")";
    return message;
}

}  // namespace kerfwright::ConversionSummary
