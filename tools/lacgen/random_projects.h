#pragma once
// Projects drawn at random from a seed, to hold the front ends to each other
// on many shapes of project rather than a few: canvases with odd names, some
// divided into plates, every kind of object, groups, images present and
// missing, process types known and unknown, configuration files of every
// kind, and the faults that become warnings (unknown objects, bad transforms,
// cycles, bad path data). The same seed gives the same archive byte for byte.

#include <cstdint>
#include <string>

#include "project.h"

namespace lacgen {

ProjectSpec randomProject(std::uint64_t seed);

// A file name for the project numbered `number`, unique among numbers and
// starting with it, with characters that file names rarely hold.
std::string randomProjectFileName(int number, std::uint64_t seed);

}  // namespace lacgen
