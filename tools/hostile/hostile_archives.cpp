#include "hostile_archives.h"

#include <cstdint>
#include <string_view>
#include <utility>

#include "project.h"
#include "raw_zip.h"

namespace hostile {
namespace {

using lacgen::JsonValue;

constexpr std::string_view kSceneEntry = "2D/2dmodel.json";
constexpr std::string_view kSettingsEntry = "Metadata2D/project_settings.json";
constexpr std::string_view kIdentity = "1 0 0 1 0 0";
// Just past the limit of one entry, in MiB.
constexpr std::uint64_t kPastEntryLimitMebibytes = 1025;
// Just within the limit of one entry, in MiB.
constexpr std::uint64_t kWithinEntryLimitMebibytes = 1000;
// Headers of a bomb claim this much, whatever it inflates to.
constexpr std::uint32_t kBombDeclaredSize = 4096;
constexpr int kConfigBombs = 4;
// Stands in a generated scene for text that the JSON writer would escape.
constexpr std::string_view kPlaceholder = "@@HOSTILE@@";

std::string replaced(std::string text, std::string_view placeholder, std::string_view replacement) {
    const auto at = text.find(placeholder);
    if (at != std::string::npos) text.replace(at, placeholder.size(), replacement);
    return text;
}

// One canvas at index 0 with the given objects and top-level components.
lacgen::ProjectSpec oneCanvas(JsonValue::Array objects, JsonValue::Array components) {
    lacgen::CanvasSpec canvas;
    canvas.objects = std::move(objects);
    canvas.components = std::move(components);
    lacgen::ProjectSpec project;
    project.canvases.push_back(std::move(canvas));
    return project;
}

lacgen::ProjectSpec simpleProject() {
    return oneCanvas({lacgen::pathObject(1, "Line", "M 0 0 L 10 10", false)}, {lacgen::component(1, "1 0 0 1 0 0")});
}

RawEntry bombEntry(std::string name) {
    RawEntry entry;
    entry.name = std::move(name);
    entry.payload = deflatedZeros(kPastEntryLimitMebibytes);
    entry.method = 8;
    entry.crc = crcOfZeros(kPastEntryLimitMebibytes);
    entry.declaredSize = kBombDeclaredSize;
    return entry;
}

// An archive of a scene text and a settings text, both stored uncompressed so
// that a text of a hundred megabytes is quick to write.
std::string storedArchive(const std::string& scene, const std::string& settings) {
    return lacgen::ZipBuilder()
        .add({std::string(kSceneEntry), scene, false})
        .add({std::string(kSettingsEntry), settings, false})
        .bytes();
}

// The scene of `project` with `objects` (JSON texts, each with a leading
// comma) appended to its one canvas's object list.
std::string sceneWithMoreObjects(const lacgen::ProjectSpec& project, const std::string& objects) {
    std::string scene = project.sceneJson().dump();
    const std::string listEnd = "]}]}";  // closes obj_list, the canvas and canvas_list
    scene.insert(scene.size() - listEnd.size(), objects);
    return scene;
}

std::string groupText(std::int64_t id, const JsonValue::Array& components) {
    return "," + lacgen::groupObject(id, "", components).dump();
}

std::string projectWithName(std::string_view rawJsonName) {
    lacgen::ProjectSpec project =
        oneCanvas({lacgen::pathObject(1, std::string(kPlaceholder), "M 0 0 L 1 1", false)},
                  {lacgen::component(1, std::string(kIdentity))});
    const std::string quoted = "\"" + std::string(kPlaceholder) + "\"";
    return storedArchive(replaced(project.sceneJson().dump(), quoted, rawJsonName), project.settingsJson().dump());
}

}  // namespace

std::string inflationBomb() {
    const lacgen::ProjectSpec project = simpleProject();
    return rawArchive({bombEntry(std::string(kSceneEntry)),
                       honestEntry(std::string(kSettingsEntry), project.settingsJson().dump())});
}

std::string archiveBomb() {
    const lacgen::ProjectSpec project = simpleProject();
    std::vector<RawEntry> entries = {honestEntry(std::string(kSceneEntry), project.sceneJson().dump()),
                                     honestEntry(std::string(kSettingsEntry), project.settingsJson().dump())};
    for (int i = 1; i <= kConfigBombs; ++i) entries.push_back(bombEntry("Metadata2D/bomb-" + std::to_string(i) + ".config"));
    entries.push_back(honestEntry("2D/Objects/logo.png", "not really a PNG"));
    return rawArchive(entries);
}

std::string imageBomb() {
    const lacgen::ProjectSpec project = oneCanvas({lacgen::rasterObject(1, "Bomb", "bomb.png", 100, 100)},
                                                  {lacgen::component(1, std::string(kIdentity))});
    RawEntry image;
    image.name = "2D/Objects/bomb.png";
    image.payload = deflatedZeros(kWithinEntryLimitMebibytes);
    image.method = 8;
    image.crc = crcOfZeros(kWithinEntryLimitMebibytes);
    image.declaredSize = static_cast<std::uint32_t>(kWithinEntryLimitMebibytes << 20);
    return rawArchive({honestEntry(std::string(kSceneEntry), project.sceneJson().dump()),
                       honestEntry(std::string(kSettingsEntry), project.settingsJson().dump()), image});
}

std::string groupChain(int depth) {
    const lacgen::ProjectSpec project = oneCanvas({}, {lacgen::component(1, std::string(kIdentity))});
    // Written as text: a million JSON values would take far longer to build.
    std::string objects;
    for (std::int64_t id = 1; id <= depth; ++id) {
        objects += R"({"obj_id":)" + std::to_string(id) + R"(,"type":"ModelGroup","components":[{"obj_id":)" +
                   std::to_string(id + 1) + R"(,"transform":"1 0 0 1 0 0"}]},)";
    }
    objects += lacgen::pathObject(depth + 1, "Bottom", "M 0 0 L 10 10", false).dump();
    return storedArchive(sceneWithMoreObjects(project, objects), project.settingsJson().dump());
}

std::string groupTree(int levels, bool withPath) {
    const std::int64_t top = levels + 1;
    lacgen::ProjectSpec project = oneCanvas({}, {lacgen::component(top, std::string(kIdentity))});
    std::string objects = withPath ? lacgen::pathObject(1, "Leaf", "M 0 0 L 1 1", false).dump()
                                   : lacgen::groupObject(1, "Empty", {}).dump();
    for (std::int64_t id = 2; id <= top; ++id) {
        const JsonValue placement = lacgen::component(id - 1, std::string(kIdentity));
        objects += groupText(id, {placement, placement});
    }
    return storedArchive(sceneWithMoreObjects(project, objects), project.settingsJson().dump());
}

std::string longPath(std::size_t bytes) {
    const lacgen::ProjectSpec project = oneCanvas({lacgen::pathObject(1, "Long", std::string(kPlaceholder), false)},
                                                  {lacgen::component(1, std::string(kIdentity))});
    std::string data = "M 0 0";
    const std::string_view segment = " L 1 1";
    while (data.size() + segment.size() <= bytes) data += segment;
    data.resize(bytes, ' ');
    return storedArchive(replaced(project.sceneJson().dump(), kPlaceholder, data), project.settingsJson().dump());
}

std::string deepJson(int depth) {
    const std::string scene = std::string(static_cast<std::size_t>(depth), '[') +
                              std::string(static_cast<std::size_t>(depth), ']');
    return storedArchive(scene, simpleProject().settingsJson().dump());
}

std::string wrongDeclaredSizes() {
    const lacgen::ProjectSpec project = simpleProject();
    RawEntry scene = honestEntry(std::string(kSceneEntry), project.sceneJson().dump());
    RawEntry settings = honestEntry(std::string(kSettingsEntry), project.settingsJson().dump());
    scene.declaredSize = 1;
    settings.declaredSize = 0x40000000u;  // all ones would announce ZIP64 fields
    return rawArchive({scene, settings});
}

std::string duplicateEntries() {
    const lacgen::ProjectSpec project = simpleProject();
    return lacgen::ZipBuilder()
        .addFile(std::string(kSceneEntry), project.sceneJson().dump())
        .addFile(std::string(kSettingsEntry), project.settingsJson().dump())
        .addFile(std::string(kSceneEntry), "garbage")
        .addFile(std::string(kSettingsEntry), "{")
        .bytes();
}

std::string overlappingEntries() {
    const lacgen::ProjectSpec project =
        oneCanvas({lacgen::rasterObject(1, "A", "a.png", 10, 10), lacgen::rasterObject(2, "B", "b.png", 10, 10)},
                  {lacgen::component(1, std::string(kIdentity)), lacgen::component(2, std::string(kIdentity))});
    RawEntry second;
    second.name = "2D/Objects/b.png";
    second.sharesDataOf = 2;
    return rawArchive({honestEntry(std::string(kSceneEntry), project.sceneJson().dump()),
                       honestEntry(std::string(kSettingsEntry), project.settingsJson().dump()),
                       honestEntry("2D/Objects/a.png", "shared image bytes"), second});
}

std::string truncatedArchive() {
    const std::string whole = simpleProject().archive().bytes();
    return whole.substr(0, whole.size() / 2);
}

std::string extremeNumbers() {
    const double huge = 1e308;
    lacgen::ProjectSpec project = oneCanvas(
        {lacgen::pathObject(1, "Path", "M 1e308 -0 L -1e308 1e308 C 1e308 1e308 -0 -0 1e308 -1e308 AC 1e308 0 -0 1e308 "
                                       "AA -1e308 -0 1e308 1e308 Z",
                            true),
         lacgen::ellipseObject(2, "Ellipse", huge, -0.0, huge, huge),
         lacgen::arcObject(3, "Arc", huge, -0.0, -huge, huge, -0.0, huge, huge),
         lacgen::rasterObject(4, "Image", "i.png", INT64_MAX, INT64_MIN),
         lacgen::groupObject(5, "Group", {lacgen::component(1, "1e308 -0 -0 1e308 1e308 -1e308")})},
        {lacgen::component(5, "-0 -0 -0 -0 -0 -0"), lacgen::component(1, "1e308 1e308 1e308 1e308 1e308 1e308"),
         lacgen::component(2, "-1e308 0 0 -1e308 -0 -0"), lacgen::component(3, "1e-308 0 0 1e-308 1e308 1e308"),
         lacgen::component(4, "1e308 0 0 1e308 0 0"), lacgen::component(5, std::string(kIdentity))});
    project.canvases[0].processTypes = {{1, "LaserLineCut"}, {2, "LaserFill"}, {3, "LaserScore"}};
    project.extraEntries = {{"2D/Objects/i.png", "bytes"}};
    return project.archive().bytes();
}

std::string invalidUtf8() { return projectWithName("\"\xFF\xFE not UTF-8 \xC3\""); }

std::string loneSurrogate() { return projectWithName("\"\\ud800 alone\""); }

std::vector<HostileArchive> corpus() {
    return {
        {"inflation-bomb.lac", inflationBomb},
        {"archive-bomb.lac", archiveBomb},
        {"image-bomb.lac", imageBomb},
        {"group-chain.lac", [] { return groupChain(1'000'000); }},
        {"group-tree.lac", [] { return groupTree(40, true); }},
        {"empty-group-tree.lac", [] { return groupTree(40, false); }},
        {"long-path.lac", [] { return longPath(100'000'000); }},
        {"deep-json.lac", [] { return deepJson(100'000); }},
        {"wrong-sizes.lac", wrongDeclaredSizes},
        {"duplicate-entries.lac", duplicateEntries},
        {"overlapping-entries.lac", overlappingEntries},
        {"truncated.lac", truncatedArchive},
        {"extreme-numbers.lac", extremeNumbers},
        {"invalid-utf8.lac", invalidUtf8},
        {"lone-surrogate.lac", loneSurrogate},
    };
}

}  // namespace hostile
