#pragma once
// Describes a .lac project in code and writes its archive: the scene, the
// project settings, configuration files and images.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "json_value.h"
#include "zip_builder.h"

namespace lacgen {

JsonValue component(std::int64_t objId, std::string transform);
JsonValue translate(std::int64_t objId, double x, double y);  // a component placed by a translation

JsonValue pathObject(std::int64_t id, std::string name, std::string pathData, bool isClosed);
JsonValue ellipseObject(std::int64_t id, std::string name, double cx, double cy, double rx, double ry);
JsonValue arcObject(std::int64_t id, std::string name, double x0, double y0, double x1, double y1, double x2,
                    double y2, double angleAOB);
JsonValue rasterObject(std::int64_t id, std::string name, std::string fileName, std::int64_t width,
                       std::int64_t height);
JsonValue groupObject(std::int64_t id, std::string name, JsonValue::Array components,
                      std::string type = "ModelGroup");
JsonValue objectOfType(std::int64_t id, std::string name, std::string type);

struct CanvasSpec {
    std::int64_t index = 0;
    std::optional<std::string> name;
    JsonValue::Array components;
    JsonValue::Array objects;
    std::vector<std::pair<std::int64_t, std::string>> processTypes;  // object id, process type
    std::vector<JsonValue::Array> plates;                             // each a list of components
};

struct ProjectSpec {
    std::optional<std::string> application;
    std::optional<std::string> fileVersion;
    std::vector<CanvasSpec> canvases;
    std::vector<std::pair<std::string, std::string>> extraEntries;  // path in archive, bytes

    JsonValue sceneJson() const;
    JsonValue settingsJson() const;
    // Scene and settings first, then the extra entries in the order given.
    ZipBuilder archive() const;
};

}  // namespace lacgen
