#include "random_projects.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "png.h"
#include "sequence.h"

namespace lacgen {
namespace {

constexpr const char* kImageName = "picture.png";
constexpr int kImageSide = 8;

// Canvas names as people and programs write them: none, empty, repeated,
// with "/" (which file names replace), markup, other scripts, and a line end.
const std::array<const char*, 16> kCanvasNames = {
    "Front", "Back", "", "Part", "Part", "Part-2", "A/B", "&amp;", "R&D <b>bold</b> x", "Ünïcödé",
    "日本語", "emoji \xF0\x9F\x99\x82", "a\\b", "tab\there", "line\nbreak",
    "a very long canvas name that goes on well past what a picker segment can show at once"};

const std::array<const char*, 9> kFileNameParts = {"box",     "R&D <b>bold", "Ünïcödé", "two  spaces",
                                                   "日本語",   "a;b'c\"d",         "x.y.z",   "emoji \xF0\x9F\x99\x82",
                                                   "coaster"};

// Process types the layers know, the ones the settings name, and ones they do not.
const std::array<const char*, 9> kProcessTypes = {"LaserLineCut",  "LaserFillEngrave", "LaserLineEngrave",
                                                  "LaserImageEngrave", "KCScoreDraw", "KCPenDraw",
                                                  "LaserSomethingNew", "KCOther",   "Cut"};

const std::array<const char*, 5> kTransforms = {"1 0 0 1 0 0", "1 0 0 1 12.5 -3", "0.7071 0.7071 -0.7071 0.7071 40 10",
                                                "2 0 0 -1 5 60", "1\t0 0 1 3.25 7.125"};
// Faults that become warnings: too few numbers, none at all.
const std::array<const char*, 3> kBadTransforms = {"1 0 0 1 10", "1,0,0,1,0,0", ""};

// Path data that draws, and path data that only warns or draws in part.
const std::array<const char*, 8> kPathData = {
    "M 0 0 L 20 0 L 20 10 L 0 10 Z",
    "M 5 5 C 10 0 20 0 25 5 S 40 10 30 20",
    "M 0 0 L 10 0 AC 15 5 10 5 L 15 20 AA 5 20 10 20 Z",
    "M 1.5 2.25 L 3.125 4.0625 M 8 8 L 9 1",
    "M 0 0 Q 10 10 20 0 T 40 0",
    "M 0 0 L 0.00001 0.00001 L 123456.789 -0.5",
    "M 2 2 L 8 2 L 8 8 Z 3.5",
    "M 0 0 H 10 V 10 h -5 v -5 z"};
const std::array<const char*, 4> kBadPathData = {"L 1 2 L 3 4", "M 0 0 L x 1", "Z", "M 0 0 L 1e400 0"};

std::string twoDecimals(Sequence& random, int low, int high) {
    const int hundredths = random.between(low * 100, high * 100);
    std::string out = hundredths < 0 ? "-" : "";
    const int magnitude = hundredths < 0 ? -hundredths : hundredths;
    out += std::to_string(magnitude / 100) + "." + std::to_string(magnitude / 10 % 10) + std::to_string(magnitude % 10);
    return out;
}

// The same value as the text twoDecimals writes: both are the double nearest the decimal.
double randomNumber(Sequence& random, int low, int high) { return random.between(low * 100, high * 100) / 100.0; }

std::string randomTransform(Sequence& random) {
    if (random.chance(4)) return random.pick(kBadTransforms);
    if (random.chance(50)) return random.pick(kTransforms);
    return "1 0 0 1 " + twoDecimals(random, -50, 150) + " " + twoDecimals(random, -50, 150);
}

std::string imagePng() {
    std::vector<Rgba> pixels;
    for (int i = 0; i < kImageSide * kImageSide; ++i) {
        const auto shade = static_cast<std::uint8_t>(i * 4);
        pixels.push_back(Rgba{shade, static_cast<std::uint8_t>(255 - shade), 128, 255});
    }
    return encodePng(kImageSide, kImageSide, pixels);
}

// One object of a random kind, numbered `id`; a group takes objects made before it.
JsonValue randomObject(Sequence& random, std::int64_t id, const std::vector<std::int64_t>& earlier) {
    const std::string name = random.chance(30) ? "" : "Object " + std::to_string(id);
    const int kind = random.between(0, 99);
    if (kind < 40) {
        const bool faulty = random.chance(8);
        return pathObject(id, name, faulty ? random.pick(kBadPathData) : random.pick(kPathData), random.chance(50));
    }
    if (kind < 52) {
        return ellipseObject(id, name, randomNumber(random, 0, 80), randomNumber(random, 0, 80),
                             randomNumber(random, 1, 30), randomNumber(random, 1, 30));
    }
    if (kind < 62) {
        return arcObject(id, name, randomNumber(random, 0, 50), randomNumber(random, 0, 50),
                         randomNumber(random, 0, 50), randomNumber(random, 0, 50), randomNumber(random, 0, 50),
                         randomNumber(random, 0, 50), randomNumber(random, -6, 6));
    }
    if (kind < 72) {
        const bool present = random.chance(75);
        return rasterObject(id, name, present ? kImageName : "missing " + std::to_string(id) + ".png",
                            random.between(1, 20), random.between(1, 20));
    }
    if (kind < 90 && !earlier.empty()) {
        JsonValue::Array members;
        for (int i = random.between(1, 3); i > 0; --i) members.push_back(component(random.pick(earlier), randomTransform(random)));
        // A group that holds itself is a cycle.
        if (random.chance(10)) members.push_back(component(id, "1 0 0 1 0 0"));
        return groupObject(id, name, std::move(members), random.chance(30) ? "AttachedGroup" : "ModelGroup");
    }
    return objectOfType(id, name, random.chance(50) ? "TextObject" : "SomethingElse");
}

JsonValue::Array randomPlacements(Sequence& random, const std::vector<std::int64_t>& ids) {
    JsonValue::Array placed;
    for (const std::int64_t id : ids) {
        for (int i = random.chance(20) ? 2 : 1; i > 0; --i) placed.push_back(component(id, randomTransform(random)));
    }
    // An object the canvas does not have.
    if (random.chance(10)) placed.push_back(component(ids.empty() ? 1 : ids.back() + 100, "1 0 0 1 0 0"));
    return placed;
}

CanvasSpec randomCanvas(Sequence& random, std::int64_t index) {
    CanvasSpec canvas;
    canvas.index = index;
    if (!random.chance(10)) canvas.name = random.pick(kCanvasNames);
    std::vector<std::int64_t> ids;
    for (int count = random.between(1, 10), i = 0; i < count; ++i) {
        const std::int64_t id = random.chance(80) ? static_cast<std::int64_t>(i + 1) : random.between(100, 10000);
        canvas.objects.push_back(randomObject(random, id, ids));
        if (random.chance(85)) canvas.processTypes.emplace_back(id, random.pick(kProcessTypes));
        ids.push_back(id);
    }
    canvas.components = randomPlacements(random, ids);
    if (random.chance(25)) {
        for (int plates = random.between(1, 3); plates > 0; --plates) canvas.plates.push_back(randomPlacements(random, ids));
    }
    return canvas;
}

JsonValue materialFile(Sequence& random) {
    JsonValue material = JsonValue::object({{"name", random.chance(50) ? "Birch Plywood" : "Acrylic & Co <clear>"}});
    if (random.chance(70)) material.add("material_id", random.chance(90) ? JsonValue("M-" + std::to_string(random.between(1, 99))) : JsonValue());
    if (random.chance(50)) material.add(random.chance(50) ? "material_vendor" : "vendor", "Timber & Co");
    if (random.chance(60)) material.add("material_thickness", randomNumber(random, 0, 12));
    if (random.chance(70)) material.add("category", random.chance(80) ? JsonValue("Wood") : JsonValue(3));
    return material;
}

JsonValue processFile(Sequence& random) {
    JsonValue process = JsonValue::object({});
    for (const char* type : {"LaserLineCut", "LaserFillEngrave", "LaserLineEngrave", "LaserImageEngrave"}) {
        if (!random.chance(60)) continue;
        JsonValue settings = JsonValue::object({});
        if (random.chance(90)) settings.add("max_power", randomNumber(random, 0, 100));
        if (random.chance(90)) settings.add("speed", randomNumber(random, 1, 400));
        if (random.chance(80)) settings.add("number_of_passes", random.chance(90) ? JsonValue(random.between(1, 5)) : JsonValue(2.7));
        if (random.chance(60)) settings.add("air_assistant", random.chance(50));
        if (random.chance(40)) settings.add("scanning_interval", randomNumber(random, 0, 1));
        process.add(type, std::move(settings));
    }
    if (random.chance(20)) process.add("KCPenDrawFill", JsonValue::object({{"max_power", 10}}));
    return process;
}

// Configuration files in a random mix: a material, laser settings, a
// machine, a file that is no JSON object at all; or none.
std::vector<std::pair<std::string, std::string>> configurationFiles(Sequence& random) {
    std::vector<std::pair<std::string, std::string>> files;
    if (random.chance(40)) return files;
    if (random.chance(60)) files.emplace_back("Metadata2D/material.config", materialFile(random).dump());
    if (random.chance(70)) files.emplace_back("Metadata2D/process.config", processFile(random).dump());
    if (random.chance(50)) {
        files.emplace_back(random.chance(70) ? "Metadata2D/Shop Laser 40W.config" : "Metadata2D/Diode & <Co>.config",
                           JsonValue::object({{"work_area_width", 400}}).dump());
    }
    if (random.chance(10)) files.emplace_back("Metadata2D/broken.config", "[1, 2");
    return files;
}

}  // namespace

ProjectSpec randomProject(std::uint64_t seed) {
    Sequence random(seed * 7919 + 17);
    ProjectSpec project;
    if (random.chance(80)) project.application = "Kerfwright random generator";
    if (random.chance(80)) project.fileVersion = random.chance(50) ? "1.0" : "2.3.1";
    const int canvasCount = random.chance(5) ? 0 : random.chance(55) ? 1 : random.between(2, 4);
    std::int64_t index = random.chance(20) ? random.between(-3, 3) : 0;
    for (int c = 0; c < canvasCount; ++c) {
        project.canvases.push_back(randomCanvas(random, index));
        index += random.chance(85) ? 1 : random.between(0, 5);
    }
    project.extraEntries.emplace_back(std::string("2D/Objects/") + kImageName, imagePng());
    for (auto& file : configurationFiles(random)) project.extraEntries.push_back(std::move(file));
    return project;
}

std::string randomProjectFileName(int number, std::uint64_t seed) {
    Sequence random(seed * 104729 + 3);
    std::string digits = std::to_string(number);
    digits.insert(0, digits.size() < 3 ? 3 - digits.size() : 0, '0');
    return digits + " " + random.pick(kFileNameParts) + ".lac";
}

}  // namespace lacgen
