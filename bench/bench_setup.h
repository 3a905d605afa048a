#pragma once
// What the parts of the benchmark program share: the projects it measures,
// its scratch folders, and running a program as a child for its time and
// peak memory.

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kerfwright::bench {

namespace fs = std::filesystem;

// Repetitions of every measurement; the summary takes the fastest, the one
// least disturbed by whatever else the machine was doing.
inline constexpr int kRepetitions = 3;

inline constexpr std::string_view kSceneEntry = "2D/2dmodel.json";
inline constexpr std::string_view kSettingsEntry = "Metadata2D/project_settings.json";

struct Setup {
    fs::path largeProject;
    std::vector<fs::path> mixes;  // one project of each other mix, sorted
    std::vector<std::string> smallProjects;  // sorted, so every run converts them in one order
    fs::path scratch;                        // everything written goes below here
    std::optional<fs::path> memoryScratch;   // the same on a RAM disk, where there is one
};

// What main found: the same for every measurement.
Setup& setup();
// The projects kerfwright-bench-projects wrote into `projects`, and fresh
// scratch folders.
Setup setupFrom(const fs::path& projects);

// The entries the reader reads: the two JSON files, configuration files and images.
bool isUsedEntry(std::string_view path);

// An empty folder of that name in the scratch folder.
fs::path freshFolder(const std::string& name);
std::string readBytes(const fs::path& path);
// The bytes of every regular file below `folder`, by path relative to it.
std::map<std::string, std::string> folderContents(const fs::path& folder);

struct ChildRun {
    int exitStatus = -1;
    long peakResidentKilobytes = 0;
};

// Runs a program with its standard output and error going to files.
ChildRun runProgram(const std::vector<std::string>& arguments, const fs::path& outputPath,
                    const fs::path& errorPath);

// The sizes of the files the conversion of a project writes, found once.
const std::vector<std::size_t>& outputFileSizes(const fs::path& project);

}  // namespace kerfwright::bench
