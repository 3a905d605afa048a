#include "bench_projects.h"

#include <cmath>
#include <cstdint>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "png.h"
#include "sequence.h"
#include "text/number_text.h"

namespace lacgen {
namespace {

// Paths per group cell; each cell also holds one ellipse or one arc.
constexpr int kPathsPerCell = 10;
// Cells per row group; rows are what a canvas or a plate places.
constexpr int kCellsPerRow = 20;
// The motif: a group of this many paths placed this many times on the first
// canvas, so that most of its placements repeat objects already parsed.
constexpr int kMotifPaths = 20;
// Share of the path objects on each canvas, in percent; the third is divided
// into plates.
constexpr int kCanvasSharePercent[3] = {50, 30, 20};
constexpr int kPlatesOnThirdCanvas = 3;
// Path coordinates run over 0 to this many thousandths of a millimetre.
constexpr int kPathExtentThousandths = 25000;
// Millimetres per image pixel on the canvas.
constexpr double kImagePixelSize = 0.1;
// Bytes per RGBA pixel.
constexpr std::size_t kBytesPerPixel = 4;
// The small projects' images, in pixels a side: about 36 kB of noise.
constexpr int kSmallImageSide = 96;

const char* const kApplication = "Kerfwright benchmark generator";
const char* const kFileVersion = "1.0";

// "12.345": a coordinate with three decimals, as drawing programs store them.
void appendCoordinate(std::string& out, int thousandths) {
    kerfwright::text::appendInteger(out, thousandths / 1000);
    out += '.';
    const int fraction = thousandths % 1000;
    out += static_cast<char>('0' + fraction / 100);
    out += static_cast<char>('0' + fraction / 10 % 10);
    out += static_cast<char>('0' + fraction % 10);
}

void appendPoints(std::string& out, Sequence& random, int count) {
    for (int i = 0; i < count; ++i) {
        out += ' ';
        appendCoordinate(out, random.between(0, kPathExtentThousandths));
        out += ' ';
        appendCoordinate(out, random.between(0, kPathExtentThousandths));
    }
}

// A move, then cubics, lines and both kinds of arc in turn.
std::string curvedPathData(Sequence& random, int commands, bool closed) {
    std::string data = "M";
    appendPoints(data, random, 1);
    for (int k = 0; k < commands; ++k) {
        switch (k % 6) {
            case 0:
            case 3: data += " C"; appendPoints(data, random, 3); break;
            case 1:
            case 4: data += " L"; appendPoints(data, random, 1); break;
            case 2: data += " AC"; appendPoints(data, random, 2); break;
            default: data += " AA"; appendPoints(data, random, 2); break;
        }
    }
    if (closed) data += " Z";
    return data;
}

std::string noisePng(Sequence& random, int width, int height) {
    std::vector<Rgba> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (Rgba& pixel : pixels) {
        const std::uint64_t bits = random.next();
        pixel = Rgba{static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                     static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
    }
    return encodePng(width, height, pixels);
}

const char* const kPathProcessTypes[] = {"LaserLineCut", "LaserFillEngrave", "LaserLineEngrave", "KCScoreDraw",
                                         "LaserLineCut"};

// Adds objects to one canvas under fresh ids.
class CanvasBuilder {
public:
    CanvasBuilder(Sequence& random, std::int64_t index, std::string name, int commandsPerPath)
        : random_(random), commandsPerPath_(commandsPerPath) {
        canvas_.index = index;
        canvas_.name = std::move(name);
    }

    std::int64_t addPath() {
        const std::int64_t id = nextId_++;
        const bool closed = id % 3 != 0;
        // A few names need escaping in the output.
        const std::string name = id % 97 == 0 ? "Tab & slot <" + std::to_string(id) + ">" : "Path " + std::to_string(id);
        canvas_.objects.push_back(pathObject(id, name, curvedPathData(random_, commandsPerPath_, closed), closed));
        // Every 50th path has no process type and lands on the unknown layer.
        if (id % 50 != 0) canvas_.processTypes.emplace_back(id, kPathProcessTypes[id % 5]);
        return id;
    }

    // Paths side by side, with an ellipse or a centre-point arc beside them.
    std::int64_t addCell(int paths) {
        JsonValue::Array components;
        for (int p = 0; p < paths; ++p) components.push_back(translate(addPath(), (p % 5) * 5.0, (p / 5) * 5.0));
        const std::int64_t extra = nextId_++;
        if (extra % 2 == 0) {
            canvas_.objects.push_back(ellipseObject(extra, "Hole", 12.5, 12.5, 3 + extra % 7, 2 + extra % 5));
            canvas_.processTypes.emplace_back(extra, "LaserLineCut");
        } else {
            canvas_.objects.push_back(arcObject(extra, "Bend", 0, 10, 5, 15 + extra % 4, 10, 10, 1.2));
            canvas_.processTypes.emplace_back(extra, "LaserLineEngrave");
        }
        components.push_back(component(extra, "1 0 0 1 0 0"));
        return addGroup("Cell", std::move(components), "ModelGroup");
    }

    // A row of cells; the last cell may hold fewer paths.
    std::int64_t addRow(int paths) {
        JsonValue::Array cells;
        for (int c = 0; paths > 0; ++c) {
            const int inCell = paths < kPathsPerCell ? paths : kPathsPerCell;
            cells.push_back(translate(addCell(inCell), c * 28.0, 0));
            paths -= inCell;
        }
        return addGroup("Row", std::move(cells), "AttachedGroup");
    }

    std::int64_t addGroup(std::string name, JsonValue::Array components, std::string type) {
        const std::int64_t id = nextId_++;
        canvas_.objects.push_back(groupObject(id, std::move(name), std::move(components), std::move(type)));
        return id;
    }

    std::int64_t addImage(std::string fileName, int width, int height) {
        const std::int64_t id = nextId_++;
        canvas_.objects.push_back(rasterObject(id, "Photo", std::move(fileName), width, height));
        canvas_.processTypes.emplace_back(id, "LaserImageEngrave");
        return id;
    }

    CanvasSpec& spec() { return canvas_; }

private:
    Sequence& random_;
    int commandsPerPath_;
    CanvasSpec canvas_;
    std::int64_t nextId_ = 1;
};

std::string numberText(double value) { return kerfwright::text::shortestRoundTrip(value); }

std::string scaleAndPlace(double x, double y) {
    const std::string scale = numberText(kImagePixelSize);
    return scale + " 0 0 " + scale + " " + numberText(x) + " " + numberText(y);
}

// Rows of `paths` paths in all, placed in a grid; their placements.
JsonValue::Array addRows(CanvasBuilder& builder, int paths) {
    const int perRow = kPathsPerCell * kCellsPerRow;
    JsonValue::Array rows;
    for (int r = 0; paths > 0; ++r) {
        const int inRow = paths < perRow ? paths : perRow;
        rows.push_back(translate(builder.addRow(inRow), (r % 10) * 600.0, (r / 10) * 40.0));
        paths -= inRow;
    }
    return rows;
}

// The motif group, placed again and again, turned.
void addMotif(CanvasBuilder& builder, int placements) {
    JsonValue::Array motifPaths;
    for (int p = 0; p < kMotifPaths; ++p) motifPaths.push_back(translate(builder.addPath(), p * 2.0, 0));
    const std::int64_t motif = builder.addGroup("Motif", std::move(motifPaths), "ModelGroup");
    for (int k = 0; k < placements; ++k) {
        const std::string c = kRotations[k % std::size(kRotations)][0];
        const std::string s = kRotations[k % std::size(kRotations)][1];
        builder.spec().components.push_back(component(
            motif, c + " " + s + " -" + s + " " + c + " " + std::to_string(3000 + k * 4) + " -200"));
    }
}

}  // namespace

std::vector<std::pair<std::string, std::string>> benchSettingsEntries() {
    return {
        {"Metadata2D/material.config",
         JsonValue::object({{"name", "Poplar Plywood"}, {"material_thickness", 4.0}, {"category", "Wood"}}).dump()},
        {"Metadata2D/process.config",
         JsonValue::object(
             {{"LaserLineCut", JsonValue::object({{"max_power", 100}, {"speed", 6.5}, {"number_of_passes", 2}})},
              {"LaserFillEngrave", JsonValue::object({{"max_power", 45}, {"speed", 250}, {"scanning_interval", 0.1}})},
              {"LaserLineEngrave", JsonValue::object({{"max_power", 30}, {"speed", 60}})},
              {"LaserImageEngrave", JsonValue::object({{"max_power", 35}, {"speed", 180}})}})
             .dump()},
        {"Metadata2D/Bench Laser 40W.config", JsonValue::object({{"work_area_width", 600}}).dump()},
    };
}

ProjectSpec largeProject(const LargeProjectSize& size) {
    Sequence random(1);
    ProjectSpec project;
    project.application = kApplication;
    project.fileVersion = kFileVersion;

    std::vector<CanvasBuilder> canvases;
    canvases.emplace_back(random, 0, "Front", size.commandsPerPath);
    canvases.emplace_back(random, 1, "Back", size.commandsPerPath);
    canvases.emplace_back(random, 2, "Sheet", size.commandsPerPath);
    addMotif(canvases[0], size.motifPlacements);
    const int rowPaths[3] = {size.pathObjects * kCanvasSharePercent[0] / 100 - kMotifPaths,
                             size.pathObjects * kCanvasSharePercent[1] / 100,
                             size.pathObjects * kCanvasSharePercent[2] / 100};
    for (std::size_t c = 0; c < canvases.size(); ++c) {
        JsonValue::Array rows = addRows(canvases[c], rowPaths[c]);
        CanvasSpec& spec = canvases[c].spec();
        if (c == 2) spec.plates.resize(kPlatesOnThirdCanvas);
        for (std::size_t r = 0; r < rows.size(); ++r) {
            if (c == 2) spec.plates[r % kPlatesOnThirdCanvas].push_back(rows[r]);
            spec.components.push_back(std::move(rows[r]));
        }
    }

    const auto side = size.images == 0 ? 0 : static_cast<int>(std::sqrt(
                                                   static_cast<double>(size.imageBytes / size.images / kBytesPerPixel)));
    for (int i = 0; i < size.images; ++i) {
        const std::string fileName = "photo-" + std::to_string(i) + ".png";
        project.extraEntries.emplace_back("2D/Objects/" + fileName, noisePng(random, side, side));
        CanvasBuilder& canvas = canvases[static_cast<std::size_t>(i % 3)];
        const JsonValue placed = component(canvas.addImage(fileName, side, side), scaleAndPlace(i * 150.0, -300));
        CanvasSpec& spec = canvas.spec();
        if (!spec.plates.empty()) spec.plates[static_cast<std::size_t>(i / 3) % spec.plates.size()].push_back(placed);
        spec.components.push_back(placed);
    }

    for (CanvasBuilder& canvas : canvases) project.canvases.push_back(std::move(canvas.spec()));
    for (auto& entry : benchSettingsEntries()) project.extraEntries.push_back(std::move(entry));
    return project;
}

std::vector<BenchMix> benchMixes() {
    constexpr std::size_t kMegabyte = 1024 * 1024;
    return {
        {"many-small-objects", {.pathObjects = 100000, .commandsPerPath = 8, .images = 0, .imageBytes = 0}},
        // Placed only twice, so that the long paths are mostly written once.
        {"long-paths",
         {.pathObjects = 400, .commandsPerPath = 5000, .images = 0, .imageBytes = 0, .motifPlacements = 2}},
        {"big-images", {.pathObjects = 1000, .commandsPerPath = 24, .images = 4, .imageBytes = 120 * kMegabyte}},
        {"medium", {.pathObjects = 20000, .commandsPerPath = 16, .images = 1, .imageBytes = 1 * kMegabyte}},
    };
}

ProjectSpec smallProject(int number) {
    Sequence random(static_cast<std::uint64_t>(number) + 1000);
    ProjectSpec project;
    project.application = kApplication;
    project.fileVersion = kFileVersion;
    const int canvasCount = number % 5 == 4 ? 2 : 1;
    for (int c = 0; c < canvasCount; ++c) {
        CanvasBuilder builder(random, c, c == 0 ? "Top" : "Bottom", random.between(8, 16));
        const bool withPlates = number % 7 == 3;
        const int cells = random.between(2, 16);
        if (withPlates) builder.spec().plates.resize(2);
        for (int k = 0; k < cells; ++k) {
            const JsonValue placed = translate(builder.addCell(random.between(3, kPathsPerCell)), k * 30.0, 0);
            if (withPlates) builder.spec().plates[static_cast<std::size_t>(k % 2)].push_back(placed);
            builder.spec().components.push_back(placed);
        }
        if (c == 0 && number % 3 == 0) {
            project.extraEntries.emplace_back("2D/Objects/logo.png", noisePng(random, kSmallImageSide, kSmallImageSide));
            builder.spec().components.push_back(
                component(builder.addImage("logo.png", kSmallImageSide, kSmallImageSide), scaleAndPlace(0, -20)));
        }
        project.canvases.push_back(std::move(builder.spec()));
    }
    if (number % 4 != 3) {
        for (auto& entry : benchSettingsEntries()) project.extraEntries.push_back(std::move(entry));
    }
    return project;
}

}  // namespace lacgen
