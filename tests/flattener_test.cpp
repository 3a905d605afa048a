#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "scene/flattener.h"

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

LACObject unknownObject(std::int64_t id, std::string rawType) {
    LACObject object;
    object.id = id;
    object.rawType = std::move(rawType);
    object.kind = LACObject::Unknown{};
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

TEST(FlattenerTest, EmptyStartListsYieldNothing) {
    const LACCanvas bare = canvasWith({pathObject(1)}, {});
    const FlattenResult none = flattenCanvas(bare);
    EXPECT_TRUE(none.nodes.empty());
    EXPECT_TRUE(none.warnings.empty());

    // A given but empty start list wins over the canvas's own components.
    const LACCanvas full = canvasWith({pathObject(1)}, {place(1), place(99)});
    const FlattenResult given = flattenCanvas(full, {}, std::vector<LACComponent>{});
    EXPECT_TRUE(given.nodes.empty());
    EXPECT_TRUE(given.warnings.empty());
}

TEST(FlattenerTest, GivenStartListReplacesCanvasComponents) {
    const LACCanvas canvas = canvasWith({pathObject(1), pathObject(2)}, {place(1)});
    EXPECT_EQ(nodeIds(flattenCanvas(canvas, {}, std::vector<LACComponent>{place(2), place(2)})), (Ids{2, 2}));
}

TEST(FlattenerTest, TopLevelLeafCarriesItsTranslationAndProcessType) {
    const LACCanvas canvas = canvasWith({pathObject(5)}, {place(5, "1 0 0 1 10 20")});
    LACProcessSettings settings;
    settings.perCanvas[0][5] = "LaserLineCut";
    const FlattenResult result = flattenCanvas(canvas, settings);
    ASSERT_EQ(result.nodes.size(), 1u);
    EXPECT_EQ(result.nodes[0].object, &canvas.objects[0]);
    EXPECT_EQ(result.nodes[0].transform, (Transform2D{1, 0, 0, 1, 10, 20}));
    ASSERT_NE(result.nodes[0].processType, nullptr);
    EXPECT_EQ(*result.nodes[0].processType, "LaserLineCut");
    EXPECT_TRUE(result.warnings.empty());
}

TEST(FlattenerTest, NestedTransformsComposeInnerFirst) {
    const LACCanvas canvas = canvasWith(
        {groupObject(1, {place(2, "2 0 0 2 0 0")}), groupObject(2, {place(3, "1 0 0 1 0 0")}), pathObject(3)},
        {place(1, "1 0 0 1 10 20")});
    const FlattenResult result = flattenCanvas(canvas);
    ASSERT_EQ(result.nodes.size(), 1u);
    const Transform2D& t = result.nodes[0].transform;
    EXPECT_EQ(t, (Transform2D{2, 0, 0, 2, 10, 20}));
    EXPECT_EQ(t.apply(1, 1), (Point2D{12, 22}));
}

TEST(FlattenerTest, SelfReferenceIsOneCycleAndOtherLeavesStay) {
    const LACCanvas canvas = canvasWith({groupObject(1, {place(2), place(1), place(3)}), pathObject(2), pathObject(3)},
                                        {place(1)});
    const FlattenResult result = flattenCanvas(canvas);
    EXPECT_EQ(nodeIds(result), (Ids{2, 3}));
    EXPECT_EQ(warningTags(result), (Tags{"cycle 1"}));
}

TEST(FlattenerTest, MutualGroupsYieldEachLeafOnceAndOneCycle) {
    const LACCanvas canvas = canvasWith({groupObject(10, {place(1), place(20), place(2)}),
                                         groupObject(20, {place(3), place(10)}), pathObject(1), pathObject(2),
                                         pathObject(3)},
                                        {place(10)});
    const FlattenResult result = flattenCanvas(canvas);
    EXPECT_EQ(nodeIds(result), (Ids{1, 3, 2}));
    EXPECT_EQ(warningTags(result), (Tags{"cycle 10"}));
}

TEST(FlattenerTest, RepeatedPlacementsAreWalkedAgainWithoutWarning) {
    // A group leaves the visiting set when its walk ends, so siblings, cousins
    // and later top-level placements of it are not cycles.
    const LACCanvas canvas = canvasWith({groupObject(10, {place(20), place(20, "1 0 0 1 5 0")}),
                                         groupObject(20, {place(1), place(2)}), pathObject(1), pathObject(2)},
                                        {place(20), place(10), place(20)});
    const FlattenResult result = flattenCanvas(canvas);
    EXPECT_EQ(nodeIds(result), (Ids{1, 2, 1, 2, 1, 2, 1, 2}));
    EXPECT_TRUE(result.warnings.empty());
    EXPECT_EQ(result.nodes[4].transform.tx, 5);
    EXPECT_EQ(result.nodes[6].transform.tx, 0);
}

TEST(FlattenerTest, BadTransformIsReportedBeforeLookup) {
    const LACCanvas canvas = canvasWith({pathObject(1)}, {place(99, "1 0 0 1 10")});
    const FlattenResult result = flattenCanvas(canvas);
    EXPECT_TRUE(result.nodes.empty());
    ASSERT_EQ(warningTags(result), (Tags{"badTransform 99"}));
    const auto& bad = std::get<FlattenWarning::BadTransform>(result.warnings[0].kind);
    EXPECT_EQ(bad.raw, "1 0 0 1 10");
}

TEST(FlattenerTest, GroupWithBadTransformDropsItsLeaves) {
    const LACCanvas canvas = canvasWith({groupObject(1, {place(2)}), pathObject(2)}, {place(1, "1,0,0,1,0,0"), place(2)});
    const FlattenResult result = flattenCanvas(canvas);
    EXPECT_EQ(nodeIds(result), (Ids{2}));
    EXPECT_EQ(warningTags(result), (Tags{"badTransform 1"}));
}

TEST(FlattenerTest, UnknownObjectKeepsStoredTypeAndSiblingsStay) {
    const LACCanvas canvas =
        canvasWith({pathObject(1), unknownObject(2, " pathobject "), pathObject(3)}, {place(1), place(2), place(3)});
    const FlattenResult result = flattenCanvas(canvas);
    EXPECT_EQ(nodeIds(result), (Ids{1, 3}));
    ASSERT_EQ(warningTags(result), (Tags{"unknown 2"}));
    EXPECT_EQ(std::get<FlattenWarning::UnknownObjectType>(result.warnings[0].kind).rawType, " pathobject ");
}

TEST(FlattenerTest, WarningsFollowWalkOrder) {
    const LACCanvas canvas = canvasWith(
        {groupObject(1, {place(2), place(3, "oops"), place(4)}), pathObject(2), unknownObject(4, "Mystery")},
        {place(77), place(1), place(2)});
    const FlattenResult result = flattenCanvas(canvas);
    EXPECT_EQ(nodeIds(result), (Ids{2, 2}));
    EXPECT_EQ(warningTags(result), (Tags{"unresolved 77", "badTransform 3", "unknown 4"}));
}

TEST(FlattenerTest, ProcessTypeBelongsToTheLeafUnderStoredIndex) {
    // Stored index 3; settings also hold index 0 to catch a lookup by position.
    const LACCanvas canvas = canvasWith({groupObject(1, {place(2), place(3)}), pathObject(2), pathObject(3)},
                                        {place(1)}, 3);
    LACProcessSettings settings;
    settings.perCanvas[3][1] = "LaserLineCut";  // the group's own entry reaches no child
    settings.perCanvas[3][2] = "KCScoreDraw";
    settings.perCanvas[0][3] = "LaserFillEngrave";
    const FlattenResult result = flattenCanvas(canvas, settings);
    ASSERT_EQ(result.nodes.size(), 2u);
    ASSERT_NE(result.nodes[0].processType, nullptr);
    EXPECT_EQ(*result.nodes[0].processType, "KCScoreDraw");
    EXPECT_EQ(result.nodes[1].processType, nullptr);
}

TEST(FlattenerTest, RepeatedIdReachesTheFirstObject) {
    const LACCanvas canvas = canvasWith({pathObject(4), unknownObject(4, "Other")}, {place(4)});
    const FlattenResult result = flattenCanvas(canvas);
    ASSERT_EQ(result.nodes.size(), 1u);
    EXPECT_EQ(result.nodes[0].object, &canvas.objects[0]);
    EXPECT_TRUE(result.warnings.empty());
}

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

TEST(FlattenerTest, DeepChainFlattensWithoutExhaustingTheStack) {
    constexpr std::int64_t kDepth = 200000;
    const LACCanvas canvas = deepChain(kDepth, false);
    const FlattenResult result = flattenCanvas(canvas);
    ASSERT_EQ(result.nodes.size(), 1u);
    EXPECT_EQ(result.nodes[0].object->id, kDepth);
    EXPECT_EQ(result.nodes[0].transform, (Transform2D{1, 0, 0, 1, static_cast<double>(kDepth), 0}));
    EXPECT_TRUE(result.warnings.empty());
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
