#include "scene/flattener.h"

#include <cstddef>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <variant>

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
    std::int64_t canvasIndex;
    const LACProcessSettings& settings;
    std::unordered_set<std::int64_t> visiting;  // groups on the current path
    std::vector<Frame> stack;
    FlattenResult result;

    void warn(FlattenWarning::Kind kind) { result.warnings.push_back(FlattenWarning{std::move(kind)}); }

    void addLeaf(const LACObject& object, const Transform2D& placement) {
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

    void visit(const LACComponent& component, const Transform2D& accumulated) {
        auto parsed = Transform2D::parse(component.transformString);
        if (auto* error = std::get_if<Transform2D::ParseError>(&parsed)) {
            warn(FlattenWarning::BadTransform{component.objId, component.transformString, std::move(*error)});
            return;
        }
        // The component's own transform acts first, then those above it.
        const Transform2D placement = accumulated.multiplied(std::get<Transform2D>(parsed));
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
        while (!stack.empty()) {
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
    const ObjectTable objects = buildObjectTable(canvas);
    Walk walk{objects, canvas.index, processSettings, {}, {}, {}};
    walk.run(topLevelComponents ? *topLevelComponents : canvas.components);
    return std::move(walk.result);
}

}  // namespace SceneGraphFlattener

}  // namespace kerfwright
