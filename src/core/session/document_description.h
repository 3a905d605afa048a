#pragma once
// What the window and the page show of a loaded document, made once here so
// that both show the same facts in the same words: the picker's heading,
// style and labels, and for each drawing its size, its layer rows with their
// colours, counts and recorded settings, and its warnings. `info --json`
// prints the same description.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "scene/layers.h"
#include "session/conversion_summary.h"
#include "session/save_outputs.h"

namespace kerfwright {

// One row under "Layers".
struct LayerRowDescription {
    LayerKind layer = LayerKind::unknown;
    std::int64_t count = 0;
    std::string colour;  // "#rrggbb", of the dot beside the layer's name
    // The sidecar's lines under this layer, without the last line end; only
    // when the project records settings.
    std::optional<std::string> settings;
};

struct DrawingDescription {
    std::string label;       // its choice in the picker
    std::string outputName;  // its name in Save All
    std::string size;        // "120.3 × 80.0 mm"
    std::vector<LayerRowDescription> layers;
    std::vector<std::string> warnings;
};

struct DocumentDescription {
    std::string fileName;
    ConversionSummary::PickerStyle pickerStyle = ConversionSummary::PickerStyle::hidden;
    // Shown only with two drawings or more, as the picker and Save All are.
    std::optional<std::string> pickerHeading;
    std::optional<std::string> saveAllTitle;
    // The sidecar's lines on the material and the machine, without the last
    // line end; only when the project records any.
    std::optional<std::string> materialAndMachine;
    // Whether the project records laser settings: each drawing's summary can
    // then be copied, and is saved beside it.
    bool settingsRecorded = false;
    std::vector<DrawingDescription> drawings;
};

DocumentDescription describe(const LoadedDocument& loaded);

// The description as one JSON object, with the facts behind it: the file's
// application and version, the profile unless standard, and each drawing's
// canvas, plate, layer counts and exact bounds.
std::string descriptionJson(const LoadedDocument& loaded);

// "hidden", "segmented" or "popUpMenu".
std::string_view pickerStyleName(ConversionSummary::PickerStyle style);

}  // namespace kerfwright
