#pragma once
// Turns a canvas's component tree into the flat list of leaf placements, each
// with the transform from its own coordinates to the canvas.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "geometry/transform.h"
#include "reading/model.h"

namespace kerfwright {

struct FlattenedNode {
    const LACObject* object = nullptr;  // a path, raster image, ellipse or arc of the canvas
    Transform2D transform;
    const std::string* processType = nullptr;  // null when the settings record none
};

struct FlattenWarning {
    struct UnresolvedComponent {
        std::int64_t objId;
    };
    struct UnknownObjectType {
        std::int64_t objId;
        std::string rawType;
    };
    struct BadTransform {
        std::int64_t objId;
        std::string raw;
        Transform2D::ParseError error;
    };
    struct Cycle {
        std::int64_t objId;
    };
    using Kind = std::variant<UnresolvedComponent, UnknownObjectType, BadTransform, Cycle>;

    Kind kind;
};

struct FlattenResult {
    std::vector<FlattenedNode> nodes;       // depth-first, pre-order
    std::vector<FlattenWarning> warnings;   // in the order met
};

namespace SceneGraphFlattener {
// Walks `topLevelComponents` when given (even when empty), else the canvas's
// own components. The result points into `canvas` and `processSettings`.
FlattenResult flatten(const LACCanvas& canvas,
                      const LACProcessSettings& processSettings,
                      const std::optional<std::vector<LACComponent>>& topLevelComponents);
}  // namespace SceneGraphFlattener

}  // namespace kerfwright
