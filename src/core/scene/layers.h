#pragma once
// The six output layers and the mapping of process types onto them.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace kerfwright {

enum class LayerKind { engraveImage, engraveFill, engraveLine, score, cut, unknown };

inline constexpr std::array<LayerKind, 6> kAllLayerKinds = {
    LayerKind::engraveImage, LayerKind::engraveFill, LayerKind::engraveLine,
    LayerKind::score,        LayerKind::cut,         LayerKind::unknown,
};
// Raster engraving first, cutting after all engraving and scoring.
inline constexpr std::array<LayerKind, 6> kLayerDrawOrder = kAllLayerKinds;
// Lists of layers for people run the other way: cutting first.
inline constexpr std::array<LayerKind, 6> kLayerListingOrder = {
    LayerKind::unknown,     LayerKind::cut,         LayerKind::score,
    LayerKind::engraveLine, LayerKind::engraveFill, LayerKind::engraveImage,
};

std::string_view rawValue(LayerKind layer);           // "Engrave-Image", ..., "Unknown"
std::optional<std::string_view> stroke(LayerKind layer);  // "#RRGGBB"
std::optional<std::string_view> fill(LayerKind layer);
// The colour the layer is drawn in: its stroke, else its fill; none for raster.
std::optional<std::string_view> colour(LayerKind layer);
double strokeWidthMillimeters(LayerKind layer);
std::optional<LayerKind> layerKindFromText(std::string_view text);

namespace LayerMapper {
// Exact, case-sensitive; anything unrecognised, and no process type, is unknown.
LayerKind layer(const std::string* processType);
}  // namespace LayerMapper

}  // namespace kerfwright
