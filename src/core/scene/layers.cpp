#include "scene/layers.h"

#include <cstddef>

namespace kerfwright {

namespace {

struct LayerStyle {
    std::string_view name;
    std::optional<std::string_view> stroke;
    std::optional<std::string_view> fill;
    double strokeWidthMillimeters;
};

// Indexed by LayerKind, in declaration order. Raster and fill layers are not
// drawn as outlines, so they carry no stroke and a zero width.
constexpr LayerStyle kLayerStyles[] = {
    {"Engrave-Image", std::nullopt, std::nullopt, 0},
    {"Engrave-Fill", std::nullopt, "#000000", 0},
    {"Engrave-Line", "#000000", std::nullopt, 0.1},
    {"Score", "#0000FF", std::nullopt, 0.1},
    {"Cut", "#FF0000", std::nullopt, 0.1},
    {"Unknown", "#808080", std::nullopt, 0.1},
};
static_assert(std::size(kLayerStyles) == kAllLayerKinds.size());

const LayerStyle& styleOf(LayerKind layer) { return kLayerStyles[static_cast<std::size_t>(layer)]; }

struct ProcessTypeLayer {
    std::string_view processType;
    LayerKind layer;
};

// Every drawing process of the "KC" family is a blue score outline, including
// the engraving and fill variants.
constexpr ProcessTypeLayer kProcessTypeLayers[] = {
    {"LaserLineCut", LayerKind::cut},
    {"KCBasicCut", LayerKind::cut},
    {"LaserLineEngrave", LayerKind::engraveLine},
    {"LaserFillEngrave", LayerKind::engraveFill},
    {"LaserImageEngrave", LayerKind::engraveImage},
    {"KCScoreDraw", LayerKind::score},
    {"KCEngraveDraw", LayerKind::score},
    {"KCPerforateDraw", LayerKind::score},
    {"KCPenDraw", LayerKind::score},
    {"KCPenDrawFill", LayerKind::score},
};

}  // namespace

std::string_view rawValue(LayerKind layer) { return styleOf(layer).name; }

std::optional<std::string_view> stroke(LayerKind layer) { return styleOf(layer).stroke; }

std::optional<std::string_view> fill(LayerKind layer) { return styleOf(layer).fill; }

std::optional<std::string_view> colour(LayerKind layer) {
    const LayerStyle& style = styleOf(layer);
    return style.stroke ? style.stroke : style.fill;
}

double strokeWidthMillimeters(LayerKind layer) { return styleOf(layer).strokeWidthMillimeters; }

std::optional<LayerKind> layerKindFromText(std::string_view text) {
    for (LayerKind layer : kAllLayerKinds) {
        if (rawValue(layer) == text) return layer;
    }
    return std::nullopt;
}

namespace LayerMapper {

LayerKind layer(const std::string* processType) {
    if (processType == nullptr) return LayerKind::unknown;
    for (const ProcessTypeLayer& entry : kProcessTypeLayers) {
        if (entry.processType == *processType) return entry.layer;
    }
    return LayerKind::unknown;
}

}  // namespace LayerMapper

}  // namespace kerfwright
