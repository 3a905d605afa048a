#pragma once
// The plain-text settings summary written beside each SVG.

#include <optional>
#include <string>
#include <string_view>

#include "reading/model.h"
#include "writers/output_profile.h"
#include "writers/svg_writer.h"

namespace kerfwright::SidecarWriter {

// Nothing when the document has no process configuration. `sourceFileName` is
// the source file's name with its extension, without any folder; `profile`
// is the one the drawing was written with.
std::optional<std::string> text(const CanvasConversion& conversion,
                                const LACDocument& document,
                                std::string_view sourceFileName,
                                const OutputProfile& profile = {});

// The summary's lines on the material and the machine, each ending in a line end.
std::string materialAndMachine(const LACProcessConfig& config);

// The summary's lines under a layer's heading: the settings recorded for its
// process, or a line saying there are none.
std::string layerSettings(LayerKind layer, const LACProcessConfig& config);

}  // namespace kerfwright::SidecarWriter
