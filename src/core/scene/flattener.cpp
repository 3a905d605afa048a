#include "scene/flattener.h"

#include <cstddef>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <variant>

#include "values/input_limits.h"

namespace kerfwright {

namespace {

using ObjectTable = std::unordered_map<std::int64_t, const LACObject*>;

// A repeated id reaches the first object with it, the same one
// LACCanvas::object returns.
ObjectTable buildObjectTable(const LACCanvas& canvas) {
    ObjectTable table;
    table.reserve(canvas.objects.size());
    for (const LACObject& object : canvas.objects) table.emplace(object.id, &object);
    return table;
}

// Each component's transform text parsed once, however often the component
// is walked: a long text reached a million times through repeated groups
// must not be read a million times. Null for a text that does not parse.
using TransformCache = std::unordered_map<const LACComponent*, std::optional<Transform2D>>;

// One component list being walked. Nesting is as deep as the scene's chain of
// groups, which the file can make arbitrarily long, so the walk keeps its own
// stack of these on the heap instead of recursing.
struct Frame {
    const std::vector<LACComponent>* components;
    std::size_t next;
    Transform2D accumulated;
    const LACObject* group;  // whose components these are; null for the start list
};

struct Walk {
    const ObjectTable& objects;
    TransformCache& transforms;
    FlattenBudget& budget;
    std::int64_t canvasIndex;
    const LACProcessSettings& settings;
    std::unordered_set<std::int64_t> visiting;  // groups on the current path
    std::vector<Frame> stack;
    FlattenResult result;
    bool stopped = false;

    // Ends the walk where a bound of the conversion is reached.
    void stop() {
        stopped = true;
        result.cutShortAfterPlacements = budget.placements;
    }

    bool takePlacement() {
        if (budget.placements >= limits::kMaxPlacements) {
            stop();
            return false;
        }
        ++budget.placements;
        return true;
    }

    void warn(FlattenWarning::Kind kind) {
        if (takePlacement()) result.warnings.push_back(FlattenWarning{std::move(kind)});
    }

    void addLeaf(const LACObject& object, const Transform2D& placement) {
        if (!takePlacement()) return;
        result.nodes.push_back(FlattenedNode{&object, placement, settings.processType(canvasIndex, object.id)});
    }

    void enterGroup(const LACObject& object, const LACObject::Group& group, const Transform2D& placement) {
        // Only a re-entry along the current path is a cycle; the same group
        // side by side is walked again.
        if (!visiting.insert(object.id).second) {
            warn(FlattenWarning::Cycle{object.id});
            return;
        }
        stack.push_back(Frame{&group.components, 0, placement, &object});
    }

    void leaveFrame() {
        if (stack.back().group != nullptr) visiting.erase(stack.back().group->id);
        stack.pop_back();
    }

    const std::optional<Transform2D>& transformOf(const LACComponent& component) {
        auto [entry, isNew] = transforms.try_emplace(&component);
        if (isNew) {
            auto parsed = Transform2D::parse(component.transformString);
            if (const auto* transform = std::get_if<Transform2D>(&parsed)) entry->second = *transform;
        }
        return entry->second;
    }

    void visit(const LACComponent& component, const Transform2D& accumulated) {
        if (budget.visits >= limits::kMaxComponentVisits) {
            stop();
            return;
        }
        ++budget.visits;
        const std::optional<Transform2D>& own = transformOf(component);
        if (!own) {
            warn(FlattenWarning::BadTransform{component.objId, component.transformString});
            return;
        }
        // The component's own transform acts first, then those above it.
        const Transform2D placement = accumulated.multiplied(*own);
        const auto found = objects.find(component.objId);
        if (found == objects.end()) {
            warn(FlattenWarning::UnresolvedComponent{component.objId});
            return;
        }
        const LACObject& object = *found->second;
        if (const auto* group = std::get_if<LACObject::Group>(&object.kind)) {
            enterGroup(object, *group, placement);
        } else if (std::holds_alternative<LACObject::Unknown>(object.kind)) {
            warn(FlattenWarning::UnknownObjectType{object.id, object.rawType});
        } else {
            addLeaf(object, placement);
        }
    }

    // Depth-first pre-order: a group's components are walked completely
    // before the component after the group.
    void run(const std::vector<LACComponent>& start) {
        stack.push_back(Frame{&start, 0, Transform2D::identity(), nullptr});
        while (!stack.empty() && !stopped) {
            Frame& top = stack.back();
            if (top.next == top.components->size()) {
                leaveFrame();
                continue;
            }
            const LACComponent& component = (*top.components)[top.next++];
            // Copied because entering a group may reallocate the stack.
            const Transform2D accumulated = top.accumulated;
            visit(component, accumulated);
        }
    }
};

}  // namespace

namespace SceneGraphFlattener {

FlattenResult flatten(const LACCanvas& canvas,
                      const LACProcessSettings& processSettings,
                      const std::optional<std::vector<LACComponent>>& topLevelComponents) {
    FlattenBudget budget;
    const std::vector<LACComponent>* start = topLevelComponents ? &*topLevelComponents : nullptr;
    return std::move(flattenEach(canvas, processSettings, {start}, budget).front());
}

std::vector<FlattenResult> flattenEach(const LACCanvas& canvas,
                                       const LACProcessSettings& processSettings,
                                       const std::vector<const std::vector<LACComponent>*>& startLists,
                                       FlattenBudget& budget) {
    const ObjectTable objects = buildObjectTable(canvas);
    TransformCache transforms;
    std::vector<FlattenResult> results;
    results.reserve(startLists.size());
    for (const std::vector<LACComponent>* start : startLists) {
        Walk walk{objects, transforms, budget, canvas.index, processSettings, {}, {}, {}};
        walk.run(start != nullptr ? *start : canvas.components);
        results.push_back(std::move(walk.result));
    }
    return results;
}

}  // namespace SceneGraphFlattener

}  // namespace kerfwright
