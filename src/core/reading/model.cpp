#include "reading/model.h"

#include <array>
#include <utility>

#include "text/unicode.h"
#include "values/input_limits.h"

namespace kerfwright {

namespace {

// Declaration order of the enumeration, each with the text the scene stores.
constexpr std::array<std::pair<LACObjectType, std::string_view>, 6> objectTypeTexts{{
    {LACObjectType::path, "PathObject"},
    {LACObjectType::rasterImage, "RasterImage"},
    {LACObjectType::ellipse, "EllipseObject"},
    {LACObjectType::centerPointArc, "CenterPointArcObject"},
    {LACObjectType::attachedGroup, "AttachedGroup"},
    {LACObjectType::modelGroup, "ModelGroup"},
}};

}  // namespace

std::optional<LACObjectType> lacObjectTypeFromText(std::string_view text) {
    for (const auto& [type, typeText] : objectTypeTexts) {
        if (typeText == text) return type;
    }
    return std::nullopt;
}

std::string_view rawValue(LACObjectType type) {
    for (const auto& [candidate, typeText] : objectTypeTexts) {
        if (candidate == type) return typeText;
    }
    return {};
}

bool isGroup(LACObjectType type) {
    return type == LACObjectType::attachedGroup || type == LACObjectType::modelGroup;
}

const LACObject* LACCanvas::object(std::int64_t id) const {
    for (const LACObject& candidate : objects) {
        if (candidate.id == id) return &candidate;
    }
    return nullptr;
}

const std::string* LACProcessSettings::processType(std::int64_t canvasIndex, std::int64_t objId) const {
    const auto canvas = perCanvas.find(canvasIndex);
    if (canvas == perCanvas.end()) return nullptr;
    const auto entry = canvas->second.find(objId);
    if (entry == canvas->second.end()) return nullptr;
    return &entry->second;
}

const StoredBytes* LACDocument::image(std::string_view fileName) const {
    if (const auto exact = imageData.find(std::string(fileName)); exact != imageData.end()) return &exact->second;
    if (fileName.size() > limits::kLongestEntryName) return nullptr;
    const auto key = imageNamesByNFC.find(text::nfc(fileName));
    if (key == imageNamesByNFC.end()) return nullptr;
    const auto stored = imageData.find(key->second);
    return stored == imageData.end() ? nullptr : &stored->second;
}

}  // namespace kerfwright
