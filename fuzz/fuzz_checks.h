#pragma once
// What every fuzz target holds its results to. A broken promise aborts, which
// both libFuzzer and the corpus runner report as a failure with the input.

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "support/well_formed_xml.h"

namespace kerfwright::fuzzing {

inline void require(bool condition, const char* promise) {
    if (condition) return;
    std::fprintf(stderr, "broken promise: %s\n", promise);
    std::abort();
}

inline void requireWellFormedSvg(std::string_view svg) {
    const std::string error = kerfwright::testing::xmlWellFormednessError(svg);
    if (!error.empty()) std::fprintf(stderr, "XML error: %s\n", error.c_str());
    require(error.empty(), "every SVG is well-formed XML");
}

}  // namespace kerfwright::fuzzing
