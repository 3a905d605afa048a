#pragma once
// Names and writes the outputs of one load: SVG files and their sidecars.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "reading/model.h"
#include "session/staged_file.h"
#include "writers/svg_writer.h"

namespace kerfwright {

// The result of reading and converting one file.
struct LoadedDocument {
    std::filesystem::path sourcePath;
    LACDocument document;
    std::vector<CanvasConversion> conversions;
    OutputProfile profile;  // the conversions were written with it
};

// Reads and converts with the fixed margin of 5 mm, on up to `threads`
// threads. Throws LACReadError.
LoadedDocument loadDocument(const std::filesystem::path& sourcePath, const OutputProfile& profile = {},
                            std::size_t threads = 1);
inline constexpr double kConversionMarginMillimeters = 5.0;

// Reads and converts, or gives the "Failed to read …" message; running out of
// memory on a huge project is reported like any file that cannot be read.
std::variant<LoadedDocument, std::string> loadDocumentOrFailureMessage(const std::filesystem::path& sourcePath,
                                                                       const OutputProfile& profile = {},
                                                                       std::size_t threads = 1);

// "Failed to read " + file name + ": " + the error's description.
std::string readFailureMessage(const std::filesystem::path& sourcePath, const std::string& errorDescription);

// The file name of a conversion's SVG, from the source name, canvas and plate.
std::string filename(const CanvasConversion& conversion, const LoadedDocument& loaded);

// The names Save All gives the conversions, in order: a name already used
// earlier in the same save gets "-2" (then "-3", ...) before ".svg".
std::vector<std::string> saveAllFileNames(const LoadedDocument& loaded);

// How saving puts a file on disk; writeTextAtomically unless a caller needs
// to route the writes (the command-line tool stages them, to commit the files
// of several inputs together and in input order).
using TextFileWriter =
    std::function<std::optional<WriteFailure>(const std::filesystem::path& path, std::string_view text)>;

// The settings summary of one of the document's conversions; nothing when the
// document records no settings.
std::optional<std::string> sidecarText(const CanvasConversion& conversion, const LoadedDocument& loaded);

// The sidecar's location: the SVG's with its last extension replaced by .txt.
std::filesystem::path sidecarPath(const std::filesystem::path& svgPath);

struct SavedConversion {
    std::size_t conversionIndex = 0;
    std::filesystem::path svgPath;
    std::optional<std::filesystem::path> sidecarPath;
};

// "Failed to save: " + the description of what failed.
std::string saveFailureMessage(std::string_view description);

struct SaveOutcome {
    std::vector<SavedConversion> saved;
    std::optional<std::string> failureMessage;  // "Failed to save: " + description
};

// "Saved 4 files to FOLDER": what a save wrote, SVG files and sidecars, and
// where. Saves put every file of theirs in one folder.
std::string savedFilesMessage(const SaveOutcome& outcome);

// Writes one conversion's SVG at `svgPath` and its sidecar beside it. A
// sidecar that cannot be written fails the save; the SVG written stays.
SaveOutcome saveOne(const LoadedDocument& loaded, std::size_t conversionIndex, const std::filesystem::path& svgPath,
                    const TextFileWriter& write = writeTextAtomically);

// Writes every conversion into `folder` under its Save All name, in order,
// stopping at the first file that cannot be written.
SaveOutcome saveAll(const LoadedDocument& loaded, const std::filesystem::path& folder,
                    const TextFileWriter& write = writeTextAtomically);

// Told of each drawing once its files are saved (or, after a failed write,
// once it is made): its position, its Save All name and the drawing itself,
// to report its warnings. What was saved can no longer change.
using DrawingSaved =
    std::function<void(std::size_t index, const std::string& fileName, const CanvasConversion& conversion)>;

// Reads, converts and writes as loadDocument and then saveAll do, the same
// files byte for byte, but writes each drawing as soon as it is made and
// keeps none of their text. After a file that cannot be written the rest are
// still converted, for their warnings, but not written. A file that cannot be
// read gives the "Failed to read …" message. Up to `threads` threads convert.
std::variant<SaveOutcome, std::string> convertAndSaveAll(const std::filesystem::path& sourcePath,
                                                         const OutputProfile& profile,
                                                         const std::filesystem::path& folder,
                                                         const TextFileWriter& write, std::size_t threads,
                                                         const DrawingSaved& saved);

}  // namespace kerfwright
