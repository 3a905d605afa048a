#pragma once
// The subcommands of kerfwright-cli. Each returns the process exit status.

#include <filesystem>
#include <optional>
#include <vector>

namespace kerfwright::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Converts each file and writes what Save All would write into the output
// folder (default: the file's own folder).
int convertFiles(const std::vector<std::filesystem::path>& inputs,
                 const std::optional<std::filesystem::path>& outputFolder);

// Describes one file's conversions, readable or as one JSON object.
int describeFile(const std::filesystem::path& input, bool asJson);

}  // namespace kerfwright::cli
