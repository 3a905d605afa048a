#pragma once
// Writes a raster placement as a self-contained SVG image element.

#include <map>
#include <optional>
#include <string>

#include "reading/stored_bytes.h"
#include "scene/flattener.h"

namespace kerfwright::ImageEmitter {

// The image element (no indentation, no line end), or nothing when the node is
// not a raster image or its bytes are not in `imageData`.
std::optional<std::string> emit(const FlattenedNode& node, const std::map<std::string, StoredBytes>& imageData);

std::string base64(std::string_view bytes);

}  // namespace kerfwright::ImageEmitter
