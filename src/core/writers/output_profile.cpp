#include "writers/output_profile.h"

#include <cstddef>
#include <string>

namespace kerfwright {
namespace {

constexpr double kHairlineMillimeters = 0.025;

// Indexed by LayerKind. The first colours laser programs give their layers
// (black, blue, red, green, then yellow and orange), so that an importer that
// maps colours to layers keeps line and fill engraving apart.
constexpr std::string_view kDistinctColours[] = {
    "#D0D000",  // Engrave-Image
    "#00E000",  // Engrave-Fill
    "#000000",  // Engrave-Line
    "#0000FF",  // Score
    "#FF0000",  // Cut
    "#FF8000",  // Unknown
};
static_assert(std::size(kDistinctColours) == kAllLayerKinds.size());

}  // namespace

std::string_view rawValue(ProfileName name) {
    switch (name) {
        case ProfileName::standard: return "standard";
        case ProfileName::inkscape: return "inkscape";
        case ProfileName::distinctColours: return "distinct-colours";
    }
    return "standard";
}

std::optional<ProfileName> profileNameFromText(std::string_view text) {
    for (const ProfileName name : kAllProfileNames) {
        if (rawValue(name) == text) return name;
    }
    return std::nullopt;
}

std::optional<std::string_view> OutputProfile::colour(LayerKind layer) const {
    if (name == ProfileName::distinctColours) return kDistinctColours[static_cast<std::size_t>(layer)];
    return kerfwright::colour(layer);
}

double OutputProfile::strokeWidthMillimeters(LayerKind layer) const {
    if (hairline && (layer == LayerKind::cut || layer == LayerKind::score)) return kHairlineMillimeters;
    return kerfwright::strokeWidthMillimeters(layer);
}

std::string OutputProfile::description() const {
    std::string out(rawValue(name));
    if (hairline) out += ", hairline";
    return out;
}

}  // namespace kerfwright
