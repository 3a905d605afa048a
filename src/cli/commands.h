#pragma once
// The subcommands of kerfwright-cli. Each returns the process exit status.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <vector>

#include "writers/output_profile.h"

namespace kerfwright::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Converts each file and writes what Save All would write into the output
// folder (default: the file's own folder). Up to `jobs` files convert at
// once; what each prints comes out in input order, and the files left are the
// same, byte for byte, whatever the number of jobs. Drawings are written with `profile`.
int convertFiles(const std::vector<std::filesystem::path>& inputs,
                 const std::optional<std::filesystem::path>& outputFolder, std::size_t jobs,
                 const OutputProfile& profile = {});

// Describes one file's conversions, readable or as one JSON object; a profile
// other than the standard one is reported too.
int describeFile(const std::filesystem::path& input, bool asJson, const OutputProfile& profile = {});

}  // namespace kerfwright::cli
