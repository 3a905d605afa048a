#pragma once
// A project for measuring the converter drawn from a seed rather than laid
// out: how many canvases and plates, what each object is, how long its path
// data and its name are, how deep its groups go and how its numbers are
// written are each drawn from several distributions, so that no single shape
// of project decides a measurement. The same seed gives the same archive
// byte for byte.

#include <cstdint>

#include "project.h"

namespace lacgen {

// About `objects` objects over two to eight canvases, every one named.
ProjectSpec randomisedProject(std::uint64_t seed, int objects = 100000);

}  // namespace lacgen
