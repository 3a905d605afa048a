#include "reading/lac_reader.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "values/input_limits.h"
#include "values/work_sharing.h"
#include "reading/json_document.h"
#include "reading/json_records.h"
#include "reading/process_config.h"
#include "reading/zip_archive.h"
#include "text/unicode.h"

namespace kerfwright::LACReader {

namespace {

constexpr std::string_view sceneEntry = "2D/2dmodel.json";
constexpr std::string_view settingsEntry = "Metadata2D/project_settings.json";
constexpr std::string_view configFolder = "Metadata2D/";
constexpr std::string_view configExtension = ".config";
constexpr std::string_view imageFolder = "2D/Objects/";

// Machine, material and laser settings gathered over all configuration files.
struct GatheredConfig {
    std::optional<std::string> machineName;
    std::optional<LACMaterialInfo> material;
    std::map<std::string, LACLaserSettings> laserSettings;
};

// The text after the last "/".
std::string fileNameOf(std::string_view path) {
    const auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool isConfigFile(std::string_view path) {
    return path.starts_with(configFolder) && path.ends_with(configExtension);
}

// The archive read through its limits: every byte any entry inflates to counts
// against the limit of the whole read, whatever becomes of the entry after.
class LimitedArchive {
public:
    explicit LimitedArchive(const zip::Archive& archive) : archive_(archive) {}

    const zip::Archive& archive() const { return archive_; }

    // The entry's bytes, or why they cannot be had; an entry past a limit
    // fails with a text that names the limit.
    std::variant<std::string, zip::ZipError> extract(const zip::Entry& entry) {
        return charged<std::string>([&](std::uint64_t limit) { return archive_.extract(entry, limit); });
    }

    // The same, with the content kept as the archive stores it.
    std::variant<StoredBytes, zip::ZipError> extractStored(const zip::Entry& entry) {
        return charged<StoredBytes>([&](std::uint64_t limit) { return archive_.extractStored(entry, limit); });
    }

private:
    static std::uint64_t contentSize(const std::string& bytes) { return bytes.size(); }
    static std::uint64_t contentSize(const StoredBytes& stored) { return stored.size; }

    // Runs `extractWithin` under whichever limit is tighter now, that of one
    // entry or what is left of the whole read's, and counts what came out.
    template <typename Content, typename ExtractWithin>
    std::variant<Content, zip::ZipError> charged(ExtractWithin extractWithin) {
        const std::uint64_t archiveRoom = limits::kMaxArchiveBytes - inflated_;
        const bool archiveLimitBinds = archiveRoom < limits::kMaxEntryBytes;
        auto extracted = extractWithin(std::min(archiveRoom, limits::kMaxEntryBytes));
        if (auto* content = std::get_if<Content>(&extracted)) {
            inflated_ += contentSize(*content);
            return std::move(*content);
        }
        if (auto* failure = std::get_if<zip::ZipError>(&extracted)) {
            charge(failure->bytesInflated);
            return std::move(*failure);
        }
        charge(std::get<zip::TooLarge>(extracted).bytesInflated);
        return zip::ZipError{archiveLimitBinds ? archiveLimitText() : entryLimitText()};
    }

    void charge(std::uint64_t bytes) { inflated_ = std::min(limits::kMaxArchiveBytes, inflated_ + bytes); }

    static std::string entryLimitText() {
        return std::string("Entry inflates past the limit of ") + limits::kMaxEntryBytesText + " for one entry";
    }
    static std::string archiveLimitText() {
        return std::string("Entries inflate past the limit of ") + limits::kMaxArchiveBytesText +
               " for one archive";
    }

    const zip::Archive& archive_;
    std::uint64_t inflated_ = 0;
};

std::string extractEntry(std::string_view path, LimitedArchive& archive) {
    const zip::Entry* entry = archive.archive().find(path);
    if (entry == nullptr) throw LACReadError::missingEntry(std::string(path));
    auto extracted = archive.extract(*entry);
    if (auto* failure = std::get_if<zip::ZipError>(&extracted)) {
        throw LACReadError::extractFailed(std::string(path), failure->text);
    }
    return std::move(std::get<std::string>(extracted));
}

template <typename Record>
Record decodedOrThrow(std::variant<Record, JsonDecodeError> decoded, std::string_view entry) {
    if (auto* failure = std::get_if<JsonDecodeError>(&decoded)) {
        throw LACReadError::decodeFailed(std::string(entry), failure->text);
    }
    return std::move(std::get<Record>(decoded));
}

// A configuration file that cannot be extracted or parsed, or whose top level
// is no object, contributes nothing.
void gatherConfig(LimitedArchive& archive, const zip::Entry& entry, GatheredConfig& gathered) {
    auto extracted = archive.extract(entry);
    auto* bytes = std::get_if<std::string>(&extracted);
    if (bytes == nullptr) return;
    const auto parsed = json::ParsedJson::parse(std::move(*bytes));
    const auto* document = std::get_if<json::ParsedJson>(&parsed);
    if (document == nullptr || !json::isObject(document->root())) return;
    const json::JsonValue root = document->root();

    // The first material and the first machine name found win; laser
    // settings of a later file replace those of an earlier one.
    auto material = ProcessConfig::parseMaterialConfig(root);
    if (material && !gathered.material) gathered.material = std::move(material);
    for (auto& [processType, settings] : ProcessConfig::parseProcessConfig(root)) {
        gathered.laserSettings.insert_or_assign(processType, std::move(settings));
    }
    auto machineName = ProcessConfig::parseMachineConfig(root, fileNameOf(entry.path));
    if (machineName && !gathered.machineName) gathered.machineName = std::move(machineName);
}

// Kept compressed: an image that inflates to a gigabyte costs memory only when
// it is drawn.
struct StoredImages {
    std::map<std::string, StoredBytes> byName;
    std::map<std::string, std::string> namesByNFC;
};

void storeImage(LimitedArchive& archive, const zip::Entry& entry, StoredImages& images) {
    auto extracted = archive.extractStored(entry);
    if (auto* failure = std::get_if<zip::ZipError>(&extracted)) {
        throw LACReadError::extractFailed(entry.path, failure->text);
    }
    std::string name = fileNameOf(entry.path);
    images.namesByNFC.insert_or_assign(text::nfc(name), name);
    images.byName.insert_or_assign(std::move(name), std::move(std::get<StoredBytes>(extracted)));
}

std::optional<LACProcessConfig> processConfigOf(GatheredConfig gathered) {
    if (!gathered.material && gathered.laserSettings.empty() && !gathered.machineName) return std::nullopt;
    return LACProcessConfig{std::move(gathered.machineName), std::move(gathered.material),
                            std::move(gathered.laserSettings)};
}

// What is read beside the scene: the project settings, then the
// configuration files and images. A failure that would have stopped the read
// in turn is kept, and so is where the read stopped.
struct SideEntries {
    std::exception_ptr settingsExtractFailure;
    std::optional<std::variant<RawProcessSettings, JsonDecodeError>> settings;
    StoredImages images;
    GatheredConfig gathered;
    std::exception_ptr imageFailure;
};

void readSideEntries(LimitedArchive& archive, SideEntries& side) {
    std::string settingsBytes;
    try {
        settingsBytes = extractEntry(settingsEntry, archive);
    } catch (const LACReadError&) {
        side.settingsExtractFailure = std::current_exception();
        return;
    }
    side.settings = decodeProcessSettings(std::move(settingsBytes));
    if (std::holds_alternative<JsonDecodeError>(*side.settings)) return;
    try {
        for (const zip::Entry& entry : archive.archive().entries()) {
            if (entry.type != zip::EntryType::file) continue;
            if (isConfigFile(entry.path)) {
                gatherConfig(archive, entry, side.gathered);
            } else if (entry.path.starts_with(imageFolder)) {
                storeImage(archive, entry, side.images);
            }
        }
    } catch (const LACReadError&) {
        side.imageFailure = std::current_exception();
    }
}

LACDocument readArchive(const zip::Archive& opened, std::size_t threads) {
    LimitedArchive archive(opened);
    // The scene is decoded while the other entries are read beside it, each
    // in turn as before, so that the limits count them in the same order. The
    // failure reported is the one a read in turn meets first: both required
    // entries are extracted before either is decoded.
    std::string sceneBytes = extractEntry(sceneEntry, archive);
    std::optional<std::variant<RawLACDocument, JsonDecodeError>> decodedScene;
    SideEntries side;
    shareWork(2, threads, [&](std::size_t part) {
        if (part == 0) {
            decodedScene = decodeScene(std::move(sceneBytes), threads);
        } else {
            readSideEntries(archive, side);
        }
    });
    if (side.settingsExtractFailure) std::rethrow_exception(side.settingsExtractFailure);
    RawLACDocument scene = decodedOrThrow(std::move(*decodedScene), sceneEntry);
    const RawProcessSettings settings = decodedOrThrow(std::move(*side.settings), settingsEntry);

    std::vector<LACCanvas> canvases;
    canvases.reserve(scene.canvasList.size());
    for (RawCanvas& canvas : scene.canvasList) canvases.push_back(toCanvas(std::move(canvas)));
    if (side.imageFailure) std::rethrow_exception(side.imageFailure);

    return LACDocument{
        scene.application,
        scene.fileVersion,
        std::move(canvases),
        toProcessSettings(settings),
        std::move(side.images.byName),
        plateComponentsByCanvas(settings),
        processConfigOf(std::move(side.gathered)),
        std::move(side.images.namesByNFC),
    };
}

LACDocument readOpened(std::variant<zip::Archive, zip::ZipError> opened, const std::filesystem::path& location,
                       std::size_t threads) {
    if (auto* failure = std::get_if<zip::ZipError>(&opened)) {
        throw LACReadError::openFailed(location.string(), failure->text);
    }
    return readArchive(std::get<zip::Archive>(opened), threads);
}

}  // namespace

LACDocument read(const std::filesystem::path& file, std::size_t threads) {
    return readOpened(zip::Archive::open(file), file, threads);
}

LACDocument readFromMemory(std::string_view archiveBytes, const std::filesystem::path& displayPath,
                           std::size_t threads) {
    return readOpened(zip::Archive::openInMemory(archiveBytes), displayPath, threads);
}

}  // namespace kerfwright::LACReader
