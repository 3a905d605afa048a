// The page's calls into the core, made from its worker through ccall. Files
// go in and out through the module's in-memory file system; every call
// answers with JSON text that stays valid until the next call. Loaded
// documents stay here, under a number, until the page releases them.

#include <sys/stat.h>
#include <zip.h>

#include <cerrno>
#include <cstdint>
#include <deque>
#include <exception>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "scene/layers.h"
#include "session/conversion_summary.h"
#include "session/document_description.h"
#include "session/interface_texts.h"
#include "session/save_outputs.h"
#include "text/json_text.h"
#include "writers/output_profile.h"

namespace kerfwright::web {
namespace {

// The worker reads back what these calls write; this runtime's file mode
// mask starts as 0777, which would leave every file unreadable.
[[maybe_unused]] const bool kFilesReadable = [] {
    umask(022);
    return true;
}();

std::map<std::int32_t, LoadedDocument> loadedDocuments;
std::int32_t lastDocumentNumber = 0;
std::string answer;

const char* respond(std::string json) {
    answer = std::move(json);
    return answer.c_str();
}

const char* failure(const std::string& message) { return respond(text::JsonObject().text("failure", message).done()); }

// The files a call wrote into the current folder, by name, in the order written.
const char* wrote(const std::vector<std::string>& names) {
    return respond(text::JsonObject().raw("files", text::jsonArray(names, text::jsonString)).done());
}

const LoadedDocument* documentNumbered(std::int32_t number) {
    const auto found = loadedDocuments.find(number);
    return found == loadedDocuments.end() ? nullptr : &found->second;
}

bool hasConversion(const LoadedDocument* loaded, std::int32_t index) {
    return loaded && index >= 0 && static_cast<std::size_t>(index) < loaded->conversions.size();
}

// "layer\nlayer\n": the layers the preview leaves out.
std::set<LayerKind> layersNamed(std::string_view lines) {
    std::set<LayerKind> layers;
    while (!lines.empty()) {
        const std::size_t end = lines.find('\n');
        if (const auto layer = layerKindFromText(lines.substr(0, end))) layers.insert(*layer);
        lines.remove_prefix(end == std::string_view::npos ? lines.size() : end + 1);
    }
    return layers;
}

// The files a save wrote, in order: each drawing's SVG, then its sidecar.
std::vector<std::string> savedNames(const SaveOutcome& outcome) {
    std::vector<std::string> names;
    for (const SavedConversion& saved : outcome.saved) {
        names.push_back(saved.svgPath.filename().string());
        if (saved.sidecarPath) names.push_back(saved.sidecarPath->filename().string());
    }
    return names;
}

// The files Save All would write, gathered into one ZIP archive in order.
class ZipWriter {
public:
    static constexpr std::size_t kLongestFileName = 255;  // bytes, on Linux, Windows and macOS file systems

    // The archive is unpacked onto a disk: a name no file system there could
    // hold is refused as it would be on disk, rather than cut short.
    std::optional<WriteFailure> add(const std::filesystem::path& path, std::string_view text) {
        if (path.native().find('\0') != std::string::npos) return writeFailure(path, EINVAL);
        if (path.filename().native().size() > kLongestFileName) return writeFailure(path, ENAMETOOLONG);
        names_.push_back(path.filename().string());
        texts_.emplace_back(text);
        return std::nullopt;
    }

    std::optional<std::string> write(const std::filesystem::path& location) const {
        int error = 0;
        zip_t* archive = zip_open(location.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        if (!archive) return "Cannot create " + location.filename().string();
        for (std::size_t i = 0; i < names_.size(); ++i) {
            zip_source_t* source = zip_source_buffer(archive, texts_[i].data(), texts_[i].size(), 0);
            if (!source || !addEntry(archive, names_[i], source)) {
                if (source) zip_source_free(source);
                std::string message = zip_strerror(archive);
                zip_discard(archive);
                return message;
            }
        }
        if (zip_close(archive) < 0) {
            std::string message = zip_strerror(archive);
            zip_discard(archive);
            return message;
        }
        return std::nullopt;
    }

private:
    // Names are marked as UTF-8 where the format allows; a name with control
    // characters, which it does not, keeps its bytes unmarked.
    static bool addEntry(zip_t* archive, const std::string& name, zip_source_t* source) {
        if (zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8) >= 0) return true;
        if (zip_error_code_zip(zip_get_error(archive)) != ZIP_ER_INVAL) return false;
        zip_error_clear(archive);
        return zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_RAW) >= 0;
    }

    std::vector<std::string> names_;
    std::deque<std::string> texts_;  // each stays in place while the archive reads it
};

}  // namespace
}  // namespace kerfwright::web

using namespace kerfwright;
using namespace kerfwright::web;

extern "C" {

// The profile names the Output menu offers, in order.
const char* kerfwrightProfiles() {
    return respond(text::jsonArray(kAllProfileNames, [](ProfileName name) { return text::jsonString(rawValue(name)); }));
}

// The fixed texts of the page's faces and buttons, by key.
const char* kerfwrightTexts() { return respond(InterfaceTexts::json()); }

// Reads and converts the project at `path`, which the page names as the
// user's file: the document's number and description, or the "Failed to
// read …" message.
const char* kerfwrightLoad(const char* path, const char* profileName, int hairline) {
    const OutputProfile profile{profileNameFromText(profileName).value_or(ProfileName::standard), hairline != 0};
    try {
        auto outcome = loadDocumentOrFailureMessage(path, profile);
        if (auto* message = std::get_if<std::string>(&outcome)) return failure(*message);
        const std::int32_t number = ++lastDocumentNumber;
        const auto& loaded = loadedDocuments.emplace(number, std::move(std::get<LoadedDocument>(outcome))).first->second;
        return respond(text::JsonObject().integer("document", number).raw("description", descriptionJson(loaded)).done());
    } catch (const std::exception& error) {
        return failure(readFailureMessage(path, error.what()));
    }
}

// "Reading <name>…", shown while a file is read.
const char* kerfwrightLoadingText(const char* path) { return respond(ConversionSummary::loadingText(path)); }

// Writes the preview of one conversion into the current folder, the layers
// named in `hiddenLayers` (one per line) left out.
const char* kerfwrightWritePreview(std::int32_t document, std::int32_t index, const char* hiddenLayers) {
    const LoadedDocument* loaded = documentNumbered(document);
    if (!hasConversion(loaded, index)) return failure("No such drawing");
    const std::string svg = ConversionSummary::previewSvg(loaded->conversions[index].svg, layersNamed(hiddenLayers));
    if (const auto problem = writeTextAtomically("preview.svg", svg)) return failure(problem->description);
    return wrote({"preview.svg"});
}

// The settings summary of one conversion, as its sidecar holds it, to copy.
const char* kerfwrightSidecar(std::int32_t document, std::int32_t index) {
    const LoadedDocument* loaded = documentNumbered(document);
    if (!hasConversion(loaded, index)) return failure("No such drawing");
    return respond(text::JsonObject().optionalText("text", sidecarText(loaded->conversions[index], *loaded)).done());
}

// Saves one conversion and its sidecar into the current folder under the
// name the desktop application proposes; messages name the file alone.
const char* kerfwrightSaveOne(std::int32_t document, std::int32_t index) {
    const LoadedDocument* loaded = documentNumbered(document);
    if (!hasConversion(loaded, index)) return failure("No such drawing");
    const SaveOutcome outcome = saveOne(*loaded, index, filename(loaded->conversions[index], *loaded));
    if (outcome.failureMessage) return failure(*outcome.failureMessage);
    return wrote(savedNames(outcome));
}

// Writes every file Save All writes, under its Save All name, into one ZIP
// archive in the current folder, named after the project.
const char* kerfwrightSaveAllZip(std::int32_t document) {
    const LoadedDocument* loaded = documentNumbered(document);
    if (!loaded) return failure("No such document");
    try {
        ZipWriter zip;
        const SaveOutcome outcome =
            saveAll(*loaded, "", [&zip](const std::filesystem::path& path, std::string_view text) {
                return zip.add(path, text);
            });
        if (outcome.failureMessage) return failure(*outcome.failureMessage);
        const std::string zipName = loaded->sourcePath.stem().string() + ".zip";
        if (const auto problem = zip.write(zipName)) return failure(saveFailureMessage(*problem));
        return wrote({zipName});
    } catch (const std::exception& error) {
        return failure(saveFailureMessage(error.what()));
    }
}

void kerfwrightRelease(std::int32_t document) { kerfwright::web::loadedDocuments.erase(document); }

}  // extern "C"
