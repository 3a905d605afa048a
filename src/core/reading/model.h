#pragma once
// The in-memory form of one project: built once by the reader, then only read.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "values/transform.h"
#include "reading/stored_bytes.h"

namespace kerfwright {

enum class LACObjectType { path, rasterImage, ellipse, centerPointArc, attachedGroup, modelGroup };

// The exact stored text of a type; any other text (other letter case, blanks)
// is not a known type.
std::optional<LACObjectType> lacObjectTypeFromText(std::string_view text);
std::string_view rawValue(LACObjectType type);
bool isGroup(LACObjectType type);

// One placement of an object of the same canvas.
struct LACComponent {
    std::int64_t objId = 0;
    std::string transformString;  // parsed when the scene is walked
};

struct LACObject {
    struct Path {
        std::string data;
        bool isClosed = false;
    };
    struct RasterImage {
        std::string fileName;  // key into LACDocument::imageData
        std::int64_t width = 0;
        std::int64_t height = 0;
    };
    struct Ellipse {
        double centerX = 0;
        double centerY = 0;
        double radiusX = 0;
        double radiusY = 0;
    };
    struct CenterPointArc {
        Point2D p0;
        Point2D p1;
        Point2D p2;
        double angleAOB = 0;
    };
    struct Group {
        std::vector<LACComponent> components;
    };
    struct Unknown {};
    using Kind = std::variant<Path, RasterImage, Ellipse, CenterPointArc, Group, Unknown>;

    std::int64_t id = 0;
    std::string name;
    std::optional<LACObjectType> type;  // absent when rawType is not a known type
    std::string rawType;
    std::optional<std::string> color;
    std::vector<std::string> flags;
    Kind kind = Unknown{};
};

struct LACCanvas {
    std::int64_t index = 0;  // as stored; keys the process settings and plates
    std::string name;
    std::vector<LACComponent> components;
    std::vector<LACObject> objects;

    // The first object of the table with that id, or null.
    const LACObject* object(std::int64_t id) const;
};

struct LACProcessSettings {
    // canvas index -> object id -> process type
    std::map<std::int64_t, std::map<std::int64_t, std::string>> perCanvas;

    const std::string* processType(std::int64_t canvasIndex, std::int64_t objId) const;
};

struct LACMaterialInfo {
    std::string name;
    std::optional<std::string> materialId;
    std::optional<std::string> vendor;
    std::optional<double> thicknessMm;
    std::optional<std::string> category;
};

struct LACLaserSettings {
    std::string processType;
    double maxPowerPercent = 0;
    double speedMmPerSecond = 0;
    std::int64_t numberOfPasses = 1;
    std::optional<bool> airAssist;
    std::optional<double> scanningIntervalMm;
};

struct LACProcessConfig {
    std::optional<std::string> machineName;
    std::optional<LACMaterialInfo> material;
    std::map<std::string, LACLaserSettings> laserSettings;  // keyed by process type
};

using Plate = std::vector<LACComponent>;

struct LACDocument {
    std::optional<std::string> application;
    std::optional<std::string> fileVersion;
    std::vector<LACCanvas> canvases;
    LACProcessSettings processSettings;
    std::map<std::string, StoredBytes> imageData;  // file name -> the file as stored, inflated when drawn
    std::map<std::int64_t, std::vector<Plate>> plateComponentsByCanvas;  // never holds an empty plate or list
    std::optional<LACProcessConfig> processConfig;
    // The NFC form of each image file name -> the imageData key of the last
    // entry in archive order with that form: an archive re-made on a system
    // that stores names decomposed still finds its images.
    std::map<std::string, std::string> imageNamesByNFC;

    // The image a scene names: by its exact name, else by its NFC form;
    // null when the archive holds neither.
    const StoredBytes* image(std::string_view fileName) const;
};

}  // namespace kerfwright
