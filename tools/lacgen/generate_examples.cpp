// Writes the example projects shipped in examples/: a coaster, a box of three
// canvases and a sheet divided into three plates. The output is the same byte
// for byte on every run, so the files in the repository can be checked
// against it.

#include <cmath>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "png.h"
#include "project.h"

using lacgen::CanvasSpec;
using lacgen::JsonValue;
using lacgen::ProjectSpec;

namespace {

const char* const kApplication = "Kerfwright example generator";
const char* const kFileVersion = "1.0";

// A sun-like logo: a filled disc with rays, dark on transparent.
std::string logoPng() {
    const int size = 64;
    std::vector<lacgen::Rgba> pixels;
    pixels.reserve(size * size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double dx = x + 0.5 - size / 2.0;
            const double dy = y + 0.5 - size / 2.0;
            const double radius = std::sqrt(dx * dx + dy * dy);
            const double angle = std::atan2(dy, dx);
            const bool disc = radius < 14;
            const bool ray = radius >= 17 && radius < 30 && std::cos(angle * 12) > 0.55;
            const auto shade = static_cast<std::uint8_t>(disc ? 40 + radius * 6 : 30);
            pixels.push_back(disc || ray ? lacgen::Rgba{shade, shade, shade, 255} : lacgen::Rgba{255, 255, 255, 0});
        }
    }
    return lacgen::encodePng(size, size, pixels);
}

ProjectSpec coaster() {
    CanvasSpec canvas;
    canvas.index = 0;
    canvas.name = "Coaster";
    canvas.objects = {
        lacgen::pathObject(1, "Outline",
                           "M 10 0 L 80 0 AC 90 10 80 10 L 90 80 AC 80 90 80 80 L 10 90 AC 0 80 10 80 "
                           "L 0 10 AC 10 0 10 10 Z",
                           true),
        lacgen::groupObject(2, "Lettering",
                            {lacgen::translate(3, 0, 0), lacgen::translate(4, 12, 0), lacgen::translate(5, 24, 0),
                             lacgen::translate(6, 36, 0)}),
        lacgen::pathObject(3, "K",
                           "M 0 0 L 2.5 0 L 2.5 5.5 L 7 0 L 10 0 L 4.8 6.2 L 10 14 L 7 14 L 3.2 8 L 2.5 8.8 "
                           "L 2.5 14 L 0 14 Z",
                           true),
        lacgen::pathObject(4, "E",
                           "M 0 0 L 9 0 L 9 2.4 L 2.6 2.4 L 2.6 5.8 L 8 5.8 L 8 8.2 L 2.6 8.2 L 2.6 11.6 "
                           "L 9 11.6 L 9 14 L 0 14 Z",
                           true),
        lacgen::pathObject(5, "R",
                           "M 0 0 L 5.5 0 C 5.5 8 9.6 0 9.6 8 L 9.8 14 L 7.1 14 L 4.4 8.4 L 2.6 8.4 L 2.6 14 "
                           "L 0 14 Z M 2.6 2.4 L 5.2 2.4 AA 5.2 6 5.2 4.2 L 2.6 6 Z",
                           true),
        lacgen::pathObject(6, "F",
                           "M 0 0 L 9 0 L 9 2.4 L 2.6 2.4 L 2.6 5.8 L 8 5.8 L 8 8.2 L 2.6 8.2 L 2.6 14 L 0 14",
                           true),
        lacgen::ellipseObject(7, "Ring", 45, 45, 38, 38),
        lacgen::arcObject(8, "Smile", 27, 70, 45, 78.5, 63, 70, 1.8),
        lacgen::rasterObject(9, "Logo", "logo.png", 64, 64),
    };
    canvas.components = {
        lacgen::component(1, "1 0 0 1 0 0"),
        lacgen::component(2, "1.05 0 0 1.05 20.5 48"),
        lacgen::component(7, "1 0 0 1 0 0"),
        lacgen::component(8, "1 0 0 1 0 0"),
        lacgen::component(9, "0.3 0 0 0.3 35.4 14"),
    };
    canvas.processTypes = {
        {1, "LaserLineCut"},     {3, "LaserFillEngrave"}, {4, "LaserFillEngrave"},
        {5, "LaserFillEngrave"}, {6, "LaserFillEngrave"}, {7, "LaserLineEngrave"},
        {8, "LaserLineEngrave"}, {9, "LaserImageEngrave"},
    };

    ProjectSpec project;
    project.application = kApplication;
    project.fileVersion = kFileVersion;
    project.canvases = {canvas};
    project.extraEntries = {
        {"2D/Objects/logo.png", logoPng()},
        {"Metadata2D/material.config",
         JsonValue::object({{"name", "Birch Plywood"},
                            {"material_id", "BP-3"},
                            {"material_vendor", "Timber & Co"},
                            {"material_thickness", 3.0},
                            {"category", "Wood"}})
             .dump()},
        {"Metadata2D/process.config",
         JsonValue::object(
             {{"LaserLineCut", JsonValue::object({{"max_power", 100},
                                                  {"speed", 8.5},
                                                  {"number_of_passes", 2},
                                                  {"air_assistant", true}})},
              {"LaserFillEngrave", JsonValue::object({{"max_power", 40},
                                                      {"speed", 200},
                                                      {"number_of_passes", 1},
                                                      {"air_assistant", false},
                                                      {"scanning_interval", 0.1}})},
              {"LaserLineEngrave", JsonValue::object({{"max_power", 30}, {"speed", 60}, {"number_of_passes", 1}})},
              {"LaserImageEngrave", JsonValue::object({{"max_power", 35.5},
                                                       {"speed", 180},
                                                       {"number_of_passes", 1},
                                                       {"scanning_interval", 0.08}})}})
             .dump()},
        {"Metadata2D/Workshop Diode 20W.config",
         JsonValue::object({{"work_area_width", 400}, {"work_area_height", 400}}).dump()},
    };
    return project;
}

// One box panel: the outline with finger joints along the top and bottom
// edges, drawn as a group of tabs placed several times.
CanvasSpec boxPanel(std::int64_t index, std::optional<std::string> name, double width, double height) {
    const std::string w = std::to_string(static_cast<int>(width));
    const std::string h = std::to_string(static_cast<int>(height));
    CanvasSpec canvas;
    canvas.index = index;
    canvas.name = std::move(name);
    canvas.objects = {
        lacgen::pathObject(10, "Panel", "M 0 0 L " + w + " 0 L " + w + " " + h + " L 0 " + h + " Z", true),
        lacgen::pathObject(11, "Tab", "M 0 0 L 0 -3 L 10 -3 L 10 0", false),
        lacgen::groupObject(12, "Tab pair", {lacgen::translate(11, 0, 0), lacgen::translate(11, 20, 0)}),
        lacgen::groupObject(13, "Joint row",
                            {lacgen::translate(12, 10, 0), lacgen::translate(12, 50, 0)}, "AttachedGroup"),
        lacgen::pathObject(14, "Fold line", "M 5 " + std::to_string(static_cast<int>(height / 2)) + " L " +
                                                std::to_string(static_cast<int>(width - 5)) + " " +
                                                std::to_string(static_cast<int>(height / 2)),
                           false),
        lacgen::ellipseObject(15, "Vent", 0, 0, 4, 2.5),
    };
    canvas.components = {
        lacgen::component(10, "1 0 0 1 0 0"),
        lacgen::component(13, "1 0 0 1 0 0"),
        lacgen::component(13, "1 0 0 -1 0 " + h),  // the same joints mirrored onto the bottom edge
        lacgen::component(14, "1 0 0 1 0 0"),
        lacgen::translate(15, width / 4, height / 4),
        lacgen::translate(15, width * 3 / 4, height / 4),
    };
    canvas.processTypes = {{10, "LaserLineCut"}, {11, "LaserLineCut"}, {14, "KCScoreDraw"}, {15, "LaserLineCut"}};
    return canvas;
}

ProjectSpec box() {
    ProjectSpec project;
    project.application = kApplication;
    project.fileVersion = kFileVersion;
    CanvasSpec front = boxPanel(0, "Front", 100, 60);
    front.objects.push_back(lacgen::pathObject(16, "Label", "M 30 40 C 70 40 40 30 60 50", false));
    front.components.push_back(lacgen::component(16, "1 0 0 1 0 0"));
    front.processTypes.emplace_back(16, "LaserLineEngrave");
    project.canvases = {front, boxPanel(1, std::nullopt, 100, 80), boxPanel(2, "Side", 80, 60)};
    project.extraEntries = {
        {"Metadata2D/Shop Laser 40W.config", JsonValue::object({{"work_area_width", 600}}).dump()},
    };
    return project;
}

ProjectSpec sheet() {
    CanvasSpec canvas;
    canvas.index = 0;
    canvas.name = "Sheet";
    canvas.objects = {
        lacgen::pathObject(20, "Star",
                           "M 20 0 L 24.7 13.5 L 39 13.8 L 27.6 22.5 L 31.8 36.2 L 20 28 L 8.2 36.2 L 12.4 22.5 "
                           "L 1 13.8 L 15.3 13.5 Z",
                           true),
        lacgen::ellipseObject(21, "Disc", 20, 20, 18, 18),
        lacgen::pathObject(22, "Hexagon", "M 10 0 L 30 0 L 40 17.3 L 30 34.6 L 10 34.6 L 0 17.3 Z", true),
        lacgen::objectOfType(23, "Caption", "TextObject"),
        lacgen::pathObject(24, "Hanger", "M 18 2 L 22 2 L 22 6 L 18 6 Z 3.5", true),
    };
    const auto row = [](std::int64_t objId) {
        return JsonValue::Array{lacgen::translate(objId, 5, 5), lacgen::translate(objId, 55, 5),
                                lacgen::translate(objId, 105, 5)};
    };
    canvas.components = row(20);
    canvas.plates = {row(20), row(21), row(22)};
    canvas.plates[0].push_back(lacgen::translate(24, 5, 5));
    canvas.plates[1].push_back(lacgen::translate(23, 5, 50));
    canvas.processTypes = {{20, "LaserLineCut"}, {21, "KCPenDraw"}, {22, "LaserLineCut"}, {24, "LaserLineEngrave"}};

    ProjectSpec project;
    project.application = kApplication;
    project.fileVersion = kFileVersion;
    project.canvases = {canvas};
    return project;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: generate-examples OUTPUT-FOLDER\n", stderr);
        return 2;
    }
    const std::string folder = argv[1];
    try {
        coaster().archive().writeTo(folder + "/coaster.lac");
        box().archive().writeTo(folder + "/box.lac");
        sheet().archive().writeTo(folder + "/sheet.lac");
    } catch (const std::exception& error) {
        std::fputs(error.what(), stderr);
        std::fputs("\n", stderr);
        return 1;
    }
    return 0;
}
