#pragma once
// How a drawing is written for the program that imports it next. Profiles
// change attributes only, never geometry: the standard profile writes the
// layers' own colours and widths; the others fit a kind of importer.

#include <optional>
#include <string>
#include <string_view>

#include "scene/layers.h"

namespace kerfwright {

enum class ProfileName {
    standard,
    inkscape,          // layer groups marked as Inkscape layers, with their names
    distinctColours,   // a colour of its own for every layer, for colour-mapped importers
};

inline constexpr ProfileName kAllProfileNames[] = {ProfileName::standard, ProfileName::inkscape,
                                                   ProfileName::distinctColours};

std::string_view rawValue(ProfileName name);
std::optional<ProfileName> profileNameFromText(std::string_view text);

struct OutputProfile {
    ProfileName name = ProfileName::standard;
    // Cutting and scoring strokes at 0.025 mm, which laser drivers take as cuts.
    bool hairline = false;

    bool operator==(const OutputProfile&) const = default;
    bool isStandard() const { return name == ProfileName::standard && !hairline; }
    // The layer's colour as written: its stroke, else its fill; none for raster
    // in the standard palette.
    std::optional<std::string_view> colour(LayerKind layer) const;
    double strokeWidthMillimeters(LayerKind layer) const;
    // "inkscape", "standard, hairline" and the like.
    std::string description() const;
};

}  // namespace kerfwright
