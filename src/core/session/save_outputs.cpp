#include "session/save_outputs.h"

#include <cstdint>
#include <exception>
#include <new>
#include <unordered_map>
#include <unordered_set>

#include "reading/lac_reader.h"
#include "text/number_text.h"
#include "writers/sidecar_writer.h"

namespace kerfwright {
namespace {

constexpr std::string_view kSvgExtension = ".svg";
// What a failure that names no reason of its own is reported as.
constexpr const char* kUnexpectedError = "Unexpected error";

std::string fileNameOf(const std::filesystem::path& path) { return path.filename().string(); }

// The canvas part of a file name: "/" would open a folder.
std::string canvasTag(const CanvasConversion& conversion) {
    if (conversion.canvasName.empty()) return "canvas-" + text::integerText(conversion.canvasIndex);
    std::string tag = conversion.canvasName;
    for (char& c : tag) {
        if (c == '/') c = '-';
    }
    return tag;
}

// "box.svg" with n = 2 gives "box-2.svg".
std::string numberedName(const std::string& name, int n) {
    const std::size_t stemLength = name.size() - kSvgExtension.size();
    return name.substr(0, stemLength) + "-" + text::integerText(n) + std::string(kSvgExtension);
}

}  // namespace

std::optional<std::string> sidecarText(const CanvasConversion& conversion, const LoadedDocument& loaded) {
    return SidecarWriter::text(conversion, loaded.document, fileNameOf(loaded.sourcePath), loaded.profile);
}

LoadedDocument loadDocument(const std::filesystem::path& sourcePath, const OutputProfile& profile,
                            std::size_t threads) {
    LACDocument document = LACReader::read(sourcePath, threads);
    std::vector<CanvasConversion> conversions =
        SVGWriter::convert(document, kConversionMarginMillimeters, profile, threads);
    return LoadedDocument{sourcePath, std::move(document), std::move(conversions), profile};
}

namespace {

// Runs `read`, which reads and converts the file, or gives the "Failed to
// read …" message for what it throws.
template <class Result, class Read>
std::variant<Result, std::string> readOrFailureMessage(const std::filesystem::path& sourcePath, Read read) {
    try {
        return read();
    } catch (const LACReadError& error) {
        return readFailureMessage(sourcePath, error.description());
    } catch (const std::bad_alloc&) {
        return readFailureMessage(sourcePath, "Not enough memory to read and convert it");
    } catch (const std::exception& error) {
        return readFailureMessage(sourcePath, error.what());
    } catch (...) {
        return readFailureMessage(sourcePath, kUnexpectedError);
    }
}

}  // namespace

std::variant<LoadedDocument, std::string> loadDocumentOrFailureMessage(const std::filesystem::path& sourcePath,
                                                                       const OutputProfile& profile,
                                                                       std::size_t threads) {
    return readOrFailureMessage<LoadedDocument>(sourcePath, [&] { return loadDocument(sourcePath, profile, threads); });
}

std::string readFailureMessage(const std::filesystem::path& sourcePath, const std::string& errorDescription) {
    return "Failed to read " + fileNameOf(sourcePath) + ": " + errorDescription;
}

std::string filename(const CanvasConversion& conversion, const LoadedDocument& loaded) {
    const std::string base = loaded.sourcePath.stem().string();
    if (loaded.conversions.size() == 1) return base + std::string(kSvgExtension);
    const std::string tag = canvasTag(conversion);
    if (conversion.totalPlatesInCanvas < 2) return base + "." + tag + std::string(kSvgExtension);
    const std::string platePart = ".plate-" + text::integerText(conversion.plateIndex) + std::string(kSvgExtension);
    if (distinctCanvasCount(loaded.conversions) < 2) return base + platePart;
    return base + "." + tag + platePart;
}

std::vector<std::string> saveAllFileNames(const LoadedDocument& loaded) {
    std::vector<std::string> names;
    names.reserve(loaded.conversions.size());
    std::unordered_set<std::string> used;
    // The number each proposed name goes on from: every number below it is
    // taken already, so that many drawings of one name are numbered in one pass.
    std::unordered_map<std::string, int> nextNumber;
    for (const CanvasConversion& conversion : loaded.conversions) {
        const std::string proposed = filename(conversion, loaded);
        std::string name = proposed;
        if (used.contains(name)) {
            int& n = nextNumber.try_emplace(proposed, 2).first->second;
            while (used.contains(name = numberedName(proposed, n))) ++n;
            ++n;
        }
        used.insert(name);
        names.push_back(std::move(name));
    }
    return names;
}

std::string saveFailureMessage(std::string_view description) { return "Failed to save: " + std::string(description); }

std::string savedFilesMessage(const SaveOutcome& outcome) {
    std::int64_t files = 0;
    for (const SavedConversion& saved : outcome.saved) files += saved.sidecarPath ? 2 : 1;
    const std::string folder = outcome.saved.empty() ? std::string() : outcome.saved.front().svgPath.parent_path().string();
    return "Saved " + text::integerText(files) + (files == 1 ? " file to " : " files to ") + folder;
}

std::filesystem::path sidecarPath(const std::filesystem::path& svgPath) {
    return std::filesystem::path(svgPath).replace_extension(".txt");
}

namespace {

struct SidecarOutcome {
    std::optional<std::filesystem::path> path;  // set when written
    std::optional<WriteFailure> failure;
};

// Writes the sidecar beside the SVG when the document has a process
// configuration.
SidecarOutcome writeSidecar(const CanvasConversion& conversion, const LoadedDocument& loaded,
                            const std::filesystem::path& svgPath, const TextFileWriter& write) {
    const auto text = sidecarText(conversion, loaded);
    if (!text) return {};
    std::filesystem::path path = sidecarPath(svgPath);
    if (auto failure = write(path, *text)) return {std::nullopt, std::move(failure)};
    return {std::move(path), std::nullopt};
}

// Runs one save step; an exception it throws becomes the save's failure.
template <class Step>
bool guarded(SaveOutcome& outcome, Step step) {
    try {
        return step();
    } catch (const std::exception& error) {
        outcome.failureMessage = saveFailureMessage(error.what());
    } catch (...) {
        outcome.failureMessage = saveFailureMessage(kUnexpectedError);
    }
    return false;
}

// Writes one conversion's SVG and then its sidecar; false when either fails,
// with the failure in `outcome`. An SVG written stays when its sidecar fails.
bool saveConversion(const LoadedDocument& loaded, const CanvasConversion& conversion, std::size_t index,
                    const std::filesystem::path& svgPath, const TextFileWriter& write, SaveOutcome& outcome) {
    if (auto failure = write(svgPath, conversion.svg)) {
        outcome.failureMessage = saveFailureMessage(failure->description);
        return false;
    }
    SidecarOutcome sidecar = writeSidecar(conversion, loaded, svgPath, write);
    outcome.saved.push_back(SavedConversion{index, svgPath, std::move(sidecar.path)});
    if (sidecar.failure) {
        outcome.failureMessage = saveFailureMessage(sidecar.failure->description);
        return false;
    }
    return true;
}

}  // namespace

SaveOutcome saveOne(const LoadedDocument& loaded, std::size_t conversionIndex, const std::filesystem::path& svgPath,
                    const TextFileWriter& write) {
    SaveOutcome outcome;
    guarded(outcome, [&] {
        return saveConversion(loaded, loaded.conversions.at(conversionIndex), conversionIndex, svgPath, write,
                              outcome);
    });
    return outcome;
}

SaveOutcome saveAll(const LoadedDocument& loaded, const std::filesystem::path& folder, const TextFileWriter& write) {
    SaveOutcome outcome;
    guarded(outcome, [&] {
        const std::vector<std::string> names = saveAllFileNames(loaded);
        for (std::size_t i = 0; i < loaded.conversions.size(); ++i) {
            if (!saveConversion(loaded, loaded.conversions[i], i, folder / names[i], write, outcome)) return false;
        }
        return true;
    });
    return outcome;
}

std::variant<SaveOutcome, std::string> convertAndSaveAll(const std::filesystem::path& sourcePath,
                                                         const OutputProfile& profile,
                                                         const std::filesystem::path& folder,
                                                         const TextFileWriter& write, std::size_t threads,
                                                         const DrawingSaved& saved) {
    return readOrFailureMessage<SaveOutcome>(sourcePath, [&] {
        // The names need every drawing's canvas and plate, known before any is drawn.
        LoadedDocument loaded{sourcePath, LACReader::read(sourcePath, threads), {}, profile};
        loaded.conversions = SVGWriter::undrawnConversions(loaded.document);
        const std::vector<std::string> names = saveAllFileNames(loaded);
        SaveOutcome outcome;
        bool writing = true;
        std::size_t index = 0;
        const auto saveEach = [&](CanvasConversion&& made) {
            // Only a constant drawing leaves here, and only once its files are written.
            const CanvasConversion& conversion = made;
            if (writing) {
                writing = guarded(outcome, [&] {
                    return saveConversion(loaded, conversion, index, folder / names.at(index), write, outcome);
                });
            }
            saved(index, names.at(index), conversion);
            ++index;
        };
        SVGWriter::convertEach(loaded.document, kConversionMarginMillimeters, profile, threads, saveEach);
        return outcome;
    });
}

}  // namespace kerfwright
