#pragma once
// Reads a .lac project (a ZIP archive) into a document.

#include <filesystem>
#include <string_view>

#include "reading/model.h"
#include "reading/read_error.h"

namespace kerfwright::LACReader {

// Throws LACReadError when the archive cannot be opened, a required entry is
// missing, cannot be extracted or breaks its schema, or an image entry cannot
// be extracted.
LACDocument read(const std::filesystem::path& file);

// The same, for an archive already in memory; `displayPath` stands for the
// file in messages.
LACDocument readFromMemory(std::string_view archiveBytes, const std::filesystem::path& displayPath);

}  // namespace kerfwright::LACReader
