// Writes the projects the benchmark converts: FOLDER/large.lac, the folder
// of small projects FOLDER/small/small-000.lac ... small-199.lac, and one
// project of each other mix, FOLDER/mixes/NAME.lac, among them projects drawn
// from seeds, FOLDER/mixes/randomised-SEED.lac. The output is the same byte
// for byte on every run.

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "bench_projects.h"
#include "randomised_project.h"

namespace {

// How many small projects make the folder that is converted at once.
constexpr int kSmallProjectCount = 200;
// The seeds of the projects drawn at random.
constexpr int kRandomisedSeeds[] = {1, 2, 3};

std::string smallProjectName(int number) {
    std::string digits = std::to_string(number);
    digits.insert(0, 3 - digits.size(), '0');
    return "small-" + digits + ".lac";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: kerfwright-bench-projects OUTPUT-FOLDER\n", stderr);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    try {
        std::filesystem::create_directories(folder / "small");
        for (int n = 0; n < kSmallProjectCount; ++n) {
            lacgen::smallProject(n).archive().writeTo((folder / "small" / smallProjectName(n)).string());
        }
        lacgen::largeProject().archive().writeTo((folder / "large.lac").string());
        std::filesystem::create_directories(folder / "mixes");
        for (const lacgen::BenchMix& mix : lacgen::benchMixes()) {
            const std::filesystem::path path = folder / "mixes" / (std::string(mix.name) + ".lac");
            lacgen::largeProject(mix.size).archive().writeTo(path.string());
        }
        for (const int seed : kRandomisedSeeds) {
            const std::filesystem::path path = folder / "mixes" / ("randomised-" + std::to_string(seed) + ".lac");
            lacgen::randomisedProject(static_cast<std::uint64_t>(seed)).archive().writeTo(path.string());
        }
    } catch (const std::exception& error) {
        std::fputs(error.what(), stderr);
        std::fputs("\n", stderr);
        return 1;
    }
    return 0;
}
