#include "session/save_outputs.h"

#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <cstdint>
#include <set>
#include <unordered_set>

#include "reading/lac_reader.h"
#include "text/number_text.h"
#include "writers/sidecar_writer.h"

namespace kerfwright {
namespace {

constexpr std::string_view kSvgExtension = ".svg";
// The mode of a freshly written output, whatever mkstemp gave the temporary.
constexpr mode_t kOutputFileMode = 0644;

std::string decimal(std::int64_t value) {
    std::string out;
    text::appendInteger(out, value);
    return out;
}

std::string fileNameOf(const std::filesystem::path& path) { return path.filename().string(); }

// The canvas part of a file name: "/" would open a folder.
std::string canvasTag(const CanvasConversion& conversion) {
    if (conversion.canvasName.empty()) return "canvas-" + decimal(conversion.canvasIndex);
    std::string tag = conversion.canvasName;
    for (char& c : tag) {
        if (c == '/') c = '-';
    }
    return tag;
}

std::size_t distinctCanvasCount(const std::vector<CanvasConversion>& conversions) {
    std::set<std::int64_t> indices;
    for (const CanvasConversion& conversion : conversions) indices.insert(conversion.canvasIndex);
    return indices.size();
}

// "box.svg" with n = 2 gives "box-2.svg".
std::string numberedName(const std::string& name, int n) {
    const std::size_t stemLength = name.size() - kSvgExtension.size();
    return name.substr(0, stemLength) + "-" + decimal(n) + std::string(kSvgExtension);
}

std::string systemErrorText(int error) {
    const char* description = strerrordesc_np(error);
    return description != nullptr ? description : "Unknown error " + decimal(error);
}

WriteFailure writeFailure(const std::filesystem::path& path, int error) {
    return WriteFailure{"Could not write \"" + path.string() + "\": " + systemErrorText(error)};
}

bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Fills and closes the temporary file; false with errno set on failure.
bool fillTemporary(int fd, std::string_view text) {
    const bool filled = writeAll(fd, text) && ::fchmod(fd, kOutputFileMode) == 0 && ::fsync(fd) == 0;
    const int fillError = errno;
    const bool closed = ::close(fd) == 0;
    if (!filled) errno = fillError;
    return filled && closed;
}

std::filesystem::path folderOf(const std::filesystem::path& path) {
    const std::filesystem::path parent = path.parent_path();
    return parent.empty() ? std::filesystem::path(".") : parent;
}

}  // namespace

LoadedDocument loadDocument(const std::filesystem::path& sourcePath) {
    LACDocument document = LACReader::read(sourcePath);
    std::vector<CanvasConversion> conversions = SVGWriter::convert(document, kConversionMarginMillimeters);
    return LoadedDocument{sourcePath, std::move(document), std::move(conversions)};
}

std::variant<LoadedDocument, std::string> loadDocumentOrFailureMessage(const std::filesystem::path& sourcePath) {
    try {
        return loadDocument(sourcePath);
    } catch (const LACReadError& error) {
        return readFailureMessage(sourcePath, error.description());
    } catch (const std::bad_alloc&) {
        return readFailureMessage(sourcePath, "Not enough memory to read and convert it");
    }
}

std::string readFailureMessage(const std::filesystem::path& sourcePath, const std::string& errorDescription) {
    return "Failed to read " + fileNameOf(sourcePath) + ": " + errorDescription;
}

std::string filename(const CanvasConversion& conversion, const LoadedDocument& loaded) {
    const std::string base = loaded.sourcePath.stem().string();
    if (loaded.conversions.size() == 1) return base + std::string(kSvgExtension);
    const std::string tag = canvasTag(conversion);
    if (conversion.totalPlatesInCanvas < 2) return base + "." + tag + std::string(kSvgExtension);
    const std::string platePart = ".plate-" + decimal(conversion.plateIndex) + std::string(kSvgExtension);
    if (distinctCanvasCount(loaded.conversions) < 2) return base + platePart;
    return base + "." + tag + platePart;
}

std::vector<std::string> saveAllFileNames(const LoadedDocument& loaded) {
    std::vector<std::string> names;
    names.reserve(loaded.conversions.size());
    std::unordered_set<std::string> used;
    for (const CanvasConversion& conversion : loaded.conversions) {
        const std::string proposed = filename(conversion, loaded);
        std::string name = proposed;
        for (int n = 2; used.contains(name); ++n) name = numberedName(proposed, n);
        used.insert(name);
        names.push_back(std::move(name));
    }
    return names;
}

std::optional<WriteFailure> writeTextAtomically(const std::filesystem::path& path, std::string_view text) {
    // The system ends a path at a NUL byte, so such a path names another file
    // than the one it shows, possibly another file the user cares about.
    if (path.native().find('\0') != std::string::npos) return writeFailure(path, EINVAL);
    // A short fixed name, so that a target name near the length limit still
    // leaves room for the temporary beside it.
    std::string temporary = (folderOf(path) / ".kerfwright-XXXXXX").string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return writeFailure(path, errno);
    if (!fillTemporary(fd, text) || ::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return writeFailure(path, error);
    }
    return std::nullopt;
}

std::filesystem::path sidecarPath(const std::filesystem::path& svgPath) {
    return std::filesystem::path(svgPath).replace_extension(".txt");
}

std::optional<std::filesystem::path> writeSidecar(const CanvasConversion& conversion,
                                                  const LoadedDocument& loaded,
                                                  const std::filesystem::path& svgPath,
                                                  const TextFileWriter& write) {
    const auto text = SidecarWriter::text(conversion, loaded.document, fileNameOf(loaded.sourcePath));
    if (!text) return std::nullopt;
    std::filesystem::path path = sidecarPath(svgPath);
    // A sidecar that cannot be written is not worth stopping the save for.
    if (write(path, *text)) return std::nullopt;
    return path;
}

SaveOutcome saveOne(const LoadedDocument& loaded, std::size_t conversionIndex, const std::filesystem::path& svgPath) {
    const CanvasConversion& conversion = loaded.conversions.at(conversionIndex);
    if (auto failure = writeTextAtomically(svgPath, conversion.svg)) {
        return SaveOutcome{{}, "Failed to save: " + failure->description};
    }
    return SaveOutcome{{SavedConversion{conversionIndex, svgPath, writeSidecar(conversion, loaded, svgPath)}}, {}};
}

SaveOutcome saveAll(const LoadedDocument& loaded, const std::filesystem::path& folder, const TextFileWriter& write) {
    const std::vector<std::string> names = saveAllFileNames(loaded);
    SaveOutcome outcome;
    for (std::size_t i = 0; i < loaded.conversions.size(); ++i) {
        const CanvasConversion& conversion = loaded.conversions[i];
        const std::filesystem::path svgPath = folder / names[i];
        if (auto failure = write(svgPath, conversion.svg)) {
            outcome.failureMessage = "Failed to save: " + failure->description;
            break;
        }
        outcome.saved.push_back(SavedConversion{i, svgPath, writeSidecar(conversion, loaded, svgPath, write)});
    }
    return outcome;
}

}  // namespace kerfwright
