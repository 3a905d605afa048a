#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "scene/flattener.h"

// What the walk makes of a scene is checked through whole conversions
// (cases/drawings/flattening.txt); here only a chain too deep for a case file.

namespace kerfwright {
namespace {

constexpr const char* kIdentityText = "1 0 0 1 0 0";

LACComponent place(std::int64_t objId, std::string transform = kIdentityText) {
    return LACComponent{objId, std::move(transform)};
}

LACObject pathObject(std::int64_t id) {
    LACObject object;
    object.id = id;
    object.type = LACObjectType::path;
    object.rawType = "PathObject";
    object.kind = LACObject::Path{"M 0 0 L 1 1", false};
    return object;
}

LACObject groupObject(std::int64_t id, std::vector<LACComponent> components) {
    LACObject object;
    object.id = id;
    object.type = LACObjectType::modelGroup;
    object.rawType = "ModelGroup";
    object.kind = LACObject::Group{std::move(components)};
    return object;
}

LACCanvas canvasWith(std::vector<LACObject> objects, std::vector<LACComponent> components, std::int64_t index = 0) {
    LACCanvas canvas;
    canvas.index = index;
    canvas.components = std::move(components);
    canvas.objects = std::move(objects);
    return canvas;
}

FlattenResult flattenCanvas(const LACCanvas& canvas, const LACProcessSettings& settings = {},
                            const std::optional<std::vector<LACComponent>>& start = std::nullopt) {
    return SceneGraphFlattener::flatten(canvas, settings, start);
}

std::vector<std::int64_t> nodeIds(const FlattenResult& result) {
    std::vector<std::int64_t> ids;
    for (const FlattenedNode& node : result.nodes) ids.push_back(node.object->id);
    return ids;
}

// Each warning as a short tag, so whole sequences compare in one assertion.
std::vector<std::string> warningTags(const FlattenResult& result) {
    std::vector<std::string> tags;
    for (const FlattenWarning& warning : result.warnings) {
        std::visit(
            [&](const auto& w) {
                using W = std::decay_t<decltype(w)>;
                std::string tag;
                if constexpr (std::is_same_v<W, FlattenWarning::UnresolvedComponent>) tag = "unresolved ";
                if constexpr (std::is_same_v<W, FlattenWarning::UnknownObjectType>) tag = "unknown ";
                if constexpr (std::is_same_v<W, FlattenWarning::BadTransform>) tag = "badTransform ";
                if constexpr (std::is_same_v<W, FlattenWarning::Cycle>) tag = "cycle ";
                tags.push_back(tag + std::to_string(w.objId));
            },
            warning.kind);
    }
    return tags;
}

using Ids = std::vector<std::int64_t>;
using Tags = std::vector<std::string>;

// A chain of nested groups, each shifting by one unit, ending in a path.
LACCanvas deepChain(std::int64_t depth, bool closeIntoCycle) {
    std::vector<LACObject> objects;
    objects.reserve(static_cast<std::size_t>(depth) + 1);
    for (std::int64_t id = 0; id < depth; ++id) {
        std::vector<LACComponent> children{place(id + 1, "1 0 0 1 1 0")};
        if (closeIntoCycle && id + 1 == depth) children.push_back(place(0));
        objects.push_back(groupObject(id, std::move(children)));
    }
    objects.push_back(pathObject(depth));
    return canvasWith(std::move(objects), {place(0)});
}

TEST(FlattenerTest, DeepChainBackToItsRootIsOneCycle) {
    constexpr std::int64_t kDepth = 200000;
    const LACCanvas canvas = deepChain(kDepth, true);
    const FlattenResult result = flattenCanvas(canvas);
    EXPECT_EQ(nodeIds(result), (Ids{kDepth}));
    EXPECT_EQ(warningTags(result), (Tags{"cycle 0"}));
}

}  // namespace
}  // namespace kerfwright
