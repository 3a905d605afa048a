#pragma once
// Encodes 8-bit RGBA pixels as a PNG file, for the raster images of example
// projects and test fixtures.

#include <cstdint>
#include <string>
#include <vector>

namespace lacgen {

struct Rgba {
    std::uint8_t r, g, b, a;
};

// `pixels` holds width * height values, row by row from the top.
std::string encodePng(int width, int height, const std::vector<Rgba>& pixels);

}  // namespace lacgen
