#pragma once
// Turns a canvas's component tree into the flat list of leaf placements, each
// with the transform from its own coordinates to the canvas.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "values/transform.h"
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
    // The texts below point into the canvas, like the nodes' objects: a
    // warning repeated a million times must not copy a long text each time.
    struct UnknownObjectType {
        std::int64_t objId;
        std::string_view rawType;
    };
    struct BadTransform {
        std::int64_t objId;
        std::string_view raw;  // the component's whole transform text, which did not parse
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
    // Set when a bound of the conversion (input_limits.h) stopped the walk:
    // the placements made by then, over the whole conversion.
    std::optional<std::int64_t> cutShortAfterPlacements;
};

// What the walks of one conversion have used of its bounds (input_limits.h),
// carried from each canvas and plate to the next.
struct FlattenBudget {
    std::int64_t placements = 0;  // nodes and warnings
    std::int64_t visits = 0;      // components walked, groups included
};

namespace SceneGraphFlattener {
// Walks `topLevelComponents` when given (even when empty), else the canvas's
// own components, within a budget of its own. The result points into
// `canvas` and `processSettings`.
FlattenResult flatten(const LACCanvas& canvas,
                      const LACProcessSettings& processSettings,
                      const std::optional<std::vector<LACComponent>>& topLevelComponents);

// Walks each start list of one canvas in turn (a null entry stands for the
// canvas's own components), looking objects up in one table and taking from
// one shared budget.
std::vector<FlattenResult> flattenEach(const LACCanvas& canvas,
                                       const LACProcessSettings& processSettings,
                                       const std::vector<const std::vector<LACComponent>*>& startLists,
                                       FlattenBudget& budget);
}  // namespace SceneGraphFlattener

}  // namespace kerfwright
