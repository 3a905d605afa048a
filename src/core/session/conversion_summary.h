#pragma once
// How a conversion is described to the user: its label among the document's
// conversions, the heading of the list, its size and its non-empty layers.
// Both front ends show these texts.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "scene/layers.h"
#include "writers/output_profile.h"
#include "writers/svg_writer.h"

namespace kerfwright::ConversionSummary {

// The canvas name, or "Canvas " + index; "Plate N" or "<name> / Plate N"
// for plates.
std::string label(const CanvasConversion& conversion, const std::vector<CanvasConversion>& all);

// "Plates (N)" with fewer than two canvases, else "Canvases (C) / Plates (N)".
std::string pickerHeading(const std::vector<CanvasConversion>& all);

// Width and height of the bounds with one decimal: "120.3 × 80.0 mm".
std::string sizeText(const BoundingBox& bounds);

// The layers with a count above 0, cut and unknown first, raster engraving last.
std::vector<std::pair<LayerKind, std::int64_t>> layerRows(const CanvasConversion& conversion);

// How the choice among the conversions is offered: not at all for a single
// one, side by side while they fit, else as a pop-up menu.
enum class PickerStyle { hidden, segmented, popUpMenu };
PickerStyle pickerStyle(std::size_t conversionCount);

struct RgbColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const RgbColor&, const RgbColor&) = default;
};

// "#RRGGBB": an optional "#", then the leading hexadecimal digits as one
// number (0 without any), whose bits 16-23, 8-15 and 0-7 are red, green, blue.
RgbColor colorFromHex(std::string_view text);

// The dot shown beside a layer: its colour as the profile writes it, else grey.
RgbColor layerColor(LayerKind layer, const OutputProfile& profile = {});

// The SVG as the preview shows it: the groups of the `hidden` layers not
// displayed. Saved files are never made from it.
std::string previewSvg(std::string_view svg, const std::set<LayerKind>& hidden);

// "Reading " + the file name + "…", while the file is being read.
std::string loadingText(const std::filesystem::path& location);

// "Save All " + N + "…", the button that writes every conversion.
std::string saveAllButtonTitle(std::size_t conversionCount);

// The folder chooser's message for Save All; it names the profile unless
// that is the standard one.
std::string saveAllFolderMessage(std::size_t conversionCount, const OutputProfile& profile);

}  // namespace kerfwright::ConversionSummary
