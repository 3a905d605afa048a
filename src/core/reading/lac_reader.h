#pragma once
// Reads a .lac project (a ZIP archive) into a document.

#include <cstddef>
#include <filesystem>
#include <string_view>

#include "reading/model.h"
#include "reading/read_error.h"

namespace kerfwright::LACReader {

// Throws LACReadError when the archive cannot be opened, a required entry is
// missing, cannot be extracted or breaks its schema, or an image entry cannot
// be extracted. Up to `threads` threads read; the document and the failure
// are the same whatever their number.
LACDocument read(const std::filesystem::path& file, std::size_t threads = 1);

// The same, for an archive already in memory; `displayPath` stands for the
// file in messages.
LACDocument readFromMemory(std::string_view archiveBytes, const std::filesystem::path& displayPath,
                           std::size_t threads = 1);

}  // namespace kerfwright::LACReader
