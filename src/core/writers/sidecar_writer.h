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

}  // namespace kerfwright::SidecarWriter
