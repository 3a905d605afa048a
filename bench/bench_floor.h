#pragma once
// The floor of a project, what any converter must do: inflate every archive
// entry the conversion uses, and write as many bytes in as many files.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kerfwright::bench {

// Inflates every used entry into a buffer of its recorded size, checking its
// CRC-32 as any unzip tool does (libzip streams it through zlib); returns the
// bytes inflated.
std::uint64_t inflateUsedEntries(const std::filesystem::path& archivePath);

// The same, each deflated entry read as stored and inflated in one call, as
// the converter inflates the entries it can hold as they declare.
std::uint64_t inflateUsedEntriesInOneCall(const std::filesystem::path& archivePath);

// Writes files of the given sizes, each made durable as the converter makes
// its outputs durable.
void writeFiles(const std::filesystem::path& folder, const std::vector<std::size_t>& sizes, const std::string& filler);

}  // namespace kerfwright::bench
