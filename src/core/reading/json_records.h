#pragma once
// The scene ("2D/2dmodel.json") and the project settings
// ("Metadata2D/project_settings.json"): strict decoding into records that
// mirror the JSON one to one, and the lenient conversion of those records into
// the document model.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "reading/model.h"

namespace kerfwright {

struct RawComponent {
    std::int64_t objId = 0;
    std::string transform;
};

struct RawObject {
    std::int64_t objId = 0;
    std::optional<std::string> name;
    std::string type;
    std::optional<std::string> color;
    std::optional<std::vector<std::string>> flags;
    std::optional<std::string> pathData;
    std::optional<bool> isClosed;
    std::optional<std::string> fileName;
    std::optional<std::int64_t> width;
    std::optional<std::int64_t> height;
    std::optional<std::vector<RawComponent>> components;
    std::optional<double> centerX;
    std::optional<double> centerY;
    std::optional<double> radiusX;
    std::optional<double> radiusY;
    std::optional<double> point0X;
    std::optional<double> point0Y;
    std::optional<double> point1X;
    std::optional<double> point1Y;
    std::optional<double> point2X;
    std::optional<double> point2Y;
    std::optional<double> angleAOB;
};

struct RawCanvas {
    std::int64_t index = 0;
    std::optional<std::string> name;
    std::vector<RawComponent> components;
    // "obj_list", each object converted into the model as soon as it is
    // decoded, so that a large object table is never held twice.
    std::vector<LACObject> objects;
};

struct RawLACDocument {
    std::optional<std::string> application;
    std::optional<std::string> fileVersion;
    std::vector<RawCanvas> canvasList;
};

struct RawObjectSetting {
    std::int64_t objId = 0;
    std::string processType;
};

struct RawMakingPlate {
    std::optional<std::vector<RawComponent>> components;
};

struct RawMakingBatch {
    std::optional<std::vector<RawMakingPlate>> makingPlateList;
};

struct RawCanvasSettings {
    std::int64_t index = 0;
    std::vector<RawObjectSetting> objectSettings;
    std::optional<std::vector<RawMakingBatch>> makingBatchList;
};

struct RawProcessSettings {
    std::vector<RawCanvasSettings> canvasSettings;
};

// Why a file was rejected: the kind of failure and the path of keys and array
// positions where it happened, e.g.
// "wrong type at canvas_list[0].obj_list[3].width: expected an integer".
struct JsonDecodeError {
    std::string text;
};

// Each takes the file's text over and releases it once parsed. The scene's
// objects are decoded on up to `threads` threads.
std::variant<RawLACDocument, JsonDecodeError> decodeScene(std::string bytes, std::size_t threads = 1);
std::variant<RawProcessSettings, JsonDecodeError> decodeProcessSettings(std::string bytes);

LACComponent toComponent(RawComponent raw);
LACObject toObject(RawObject raw);
LACCanvas toCanvas(RawCanvas raw);
LACProcessSettings toProcessSettings(const RawProcessSettings& raw);
// All batches of a canvas flattened into one list of non-empty plates.
std::map<std::int64_t, std::vector<Plate>> plateComponentsByCanvas(const RawProcessSettings& raw);

}  // namespace kerfwright
