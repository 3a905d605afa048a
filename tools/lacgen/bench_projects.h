#pragma once
// Projects for measuring the converter: a large one, the size users open at
// the top end, and typical small ones such as a folder of them holds. Every
// number comes from a fixed pseudo-random sequence, so the archives are the
// same byte for byte on every run.

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "project.h"

namespace lacgen {

struct LargeProjectSize {
    // Distinct path objects over all three canvases.
    int pathObjects = 100000;
    // Commands after the first move of each path, a mix of cubics, lines and arcs.
    int commandsPerPath = 24;
    // How many RGBA noise images, and their PNG bytes together; noise does not
    // compress, so the PNG files hold about this much.
    int images = 6;
    std::size_t imageBytes = 30u * 1024 * 1024;
    // How many times the motif group is placed on the first canvas.
    int motifPlacements = 250;
};

// Three canvases of nested groups of paths, each group cell with an ellipse or
// a centre-point arc, a motif group placed many times over under rotations,
// raster images, material, process and machine settings; the third canvas is
// divided into three plates.
ProjectSpec largeProject(const LargeProjectSize& size = {});

// Projects of other mixes, made the same way as the large one: many small
// objects, long paths, big images, and a medium project.
struct BenchMix {
    const char* name;
    LargeProjectSize size;
};
std::vector<BenchMix> benchMixes();

// Cosine and sine of turns by 15 degrees up to a quarter turn, as a drawing
// program stores them; written out so that no maths library decides them.
inline constexpr const char* kRotations[][2] = {
    {"1", "0"},          {"0.965926", "0.258819"}, {"0.866025", "0.5"}, {"0.707107", "0.707107"},
    {"0.5", "0.866025"}, {"0.258819", "0.965926"}, {"0", "1"},
};

// Material, process and machine settings files, as paths in the archive and
// their bytes.
std::vector<std::pair<std::string, std::string>> benchSettingsEntries();

// The small project numbered `number`: a few dozen to a few hundred objects on
// one or two canvases, some with plates, a small image or settings files.
ProjectSpec smallProject(int number);

}  // namespace lacgen
