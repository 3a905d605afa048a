#include "scene/flattener.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <variant>

#include "values/input_limits.h"

namespace kerfwright {

namespace {

// An object of a canvas, and the process type the settings give its id.
struct TableEntry {
    const LACObject* object = nullptr;
    const std::string* processType = nullptr;
};

// The objects of a canvas by id, each with its process type. Ids are mostly
// numbered densely, from 1 or so, and then a vector indexed by id finds an
// object in one step, without the hashing, the allocation per object and the
// scattered nodes of a hash map; ids spread more thinly than that are hashed.
// A repeated id reaches the first object with it, the same one
// LACCanvas::object returns. The process types are looked up once per object
// as the table is made, not once per placement.
class ObjectTable {
public:
    ObjectTable(const std::vector<LACObject>& objects, const std::map<std::int64_t, std::string>* processTypes) {
        if (objects.empty()) return;
        const auto [lowest, highest] = std::minmax_element(
            objects.begin(), objects.end(), [](const LACObject& a, const LACObject& b) { return a.id < b.id; });
        // Unsigned, so that ids at both ends of the 64-bit range cannot overflow.
        const std::uint64_t span = offset(highest->id, lowest->id);
        if (span < kDenseSlack + 2 * objects.size()) {
            lowestId_ = lowest->id;
            dense_.assign(span + 1, TableEntry{});
            for (const LACObject& object : objects) {
                TableEntry& slot = dense_[offset(object.id, lowestId_)];
                if (slot.object == nullptr) slot.object = &object;
            }
            // Both in the order of their ids: one pass over the settings.
            if (processTypes == nullptr) return;
            for (auto type = processTypes->lower_bound(lowestId_);
                 type != processTypes->end() && offset(type->first, lowestId_) < dense_.size(); ++type) {
                dense_[offset(type->first, lowestId_)].processType = &type->second;
            }
            return;
        }
        sparse_.reserve(objects.size());
        for (const LACObject& object : objects) sparse_.emplace(object.id, TableEntry{&object, nullptr});
        if (processTypes == nullptr) return;
        for (auto& [id, entry] : sparse_) {
            const auto type = processTypes->find(id);
            if (type != processTypes->end()) entry.processType = &type->second;
        }
    }

    // The entry of the object with that id, or null when there is none.
    const TableEntry* find(std::int64_t id) const {
        if (!dense_.empty()) {
            const std::uint64_t at = offset(id, lowestId_);
            return at < dense_.size() && dense_[at].object != nullptr ? &dense_[at] : nullptr;
        }
        const auto found = sparse_.find(id);
        return found == sparse_.end() ? nullptr : &found->second;
    }

private:
    // Unused slots a dense table may have beyond two per object.
    static constexpr std::uint64_t kDenseSlack = 1024;

    static std::uint64_t offset(std::int64_t id, std::int64_t from) {
        return static_cast<std::uint64_t>(id) - static_cast<std::uint64_t>(from);
    }

    std::int64_t lowestId_ = 0;
    std::vector<TableEntry> dense_;
    std::unordered_map<std::int64_t, TableEntry> sparse_;
};

// Each component's transform text parsed once, however often the component
// is walked: a long text reached a million times through repeated groups
// must not be read a million times. The parses are kept by component list
// and position, so that a list is looked up once as its walk begins, not
// once per component.
struct ParsedTransform {
    bool parsed = false;
    std::optional<Transform2D> transform;  // nothing for a text that does not parse
};
using ListTransforms = std::vector<ParsedTransform>;
using TransformCache = std::unordered_map<const std::vector<LACComponent>*, ListTransforms>;

// One component list being walked. Nesting is as deep as the scene's chain of
// groups, which the file can make arbitrarily long, so the walk keeps its own
// stack of these on the heap instead of recursing.
struct Frame {
    const std::vector<LACComponent>* components;
    ListTransforms* transforms;  // of these components, by position
    std::size_t next;
    Transform2D accumulated;
    const LACObject* group;  // whose components these are; null for the start list
};

struct Walk {
    const ObjectTable& objects;
    TransformCache& transforms;
    FlattenBudget& budget;
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

    void addLeaf(const TableEntry& entry, const Transform2D& placement) {
        if (!takePlacement()) return;
        result.nodes.push_back(FlattenedNode{entry.object, placement, entry.processType});
    }

    void enterGroup(const LACObject& object, const LACObject::Group& group, const Transform2D& placement) {
        // Only a re-entry along the current path is a cycle; the same group
        // side by side is walked again.
        if (!visiting.insert(object.id).second) {
            warn(FlattenWarning::Cycle{object.id});
            return;
        }
        pushFrame(group.components, placement, &object);
    }

    void pushFrame(const std::vector<LACComponent>& components, const Transform2D& accumulated,
                   const LACObject* group) {
        ListTransforms& parses = transforms[&components];
        parses.resize(components.size());
        stack.push_back(Frame{&components, &parses, 0, accumulated, group});
    }

    void leaveFrame() {
        if (stack.back().group != nullptr) visiting.erase(stack.back().group->id);
        stack.pop_back();
    }

    static const std::optional<Transform2D>& transformOf(const LACComponent& component, ParsedTransform& entry) {
        if (!entry.parsed) {
            auto parsed = Transform2D::parse(component.transformString);
            if (const auto* transform = std::get_if<Transform2D>(&parsed)) entry.transform = *transform;
            entry.parsed = true;
        }
        return entry.transform;
    }

    void visit(const LACComponent& component, ParsedTransform& cached, const Transform2D& accumulated) {
        if (budget.visits >= limits::kMaxComponentVisits) {
            stop();
            return;
        }
        ++budget.visits;
        const std::optional<Transform2D>& own = transformOf(component, cached);
        if (!own) {
            warn(FlattenWarning::BadTransform{component.objId, component.transformString});
            return;
        }
        // The component's own transform acts first, then those above it.
        const Transform2D placement = accumulated.multiplied(*own);
        const TableEntry* found = objects.find(component.objId);
        if (found == nullptr) {
            warn(FlattenWarning::UnresolvedComponent{component.objId});
            return;
        }
        const LACObject& object = *found->object;
        if (const auto* group = std::get_if<LACObject::Group>(&object.kind)) {
            enterGroup(object, *group, placement);
        } else if (std::holds_alternative<LACObject::Unknown>(object.kind)) {
            warn(FlattenWarning::UnknownObjectType{object.id, object.rawType});
        } else {
            addLeaf(*found, placement);
        }
    }

    // Depth-first pre-order: a group's components are walked completely
    // before the component after the group.
    void run(const std::vector<LACComponent>& start) {
        pushFrame(start, Transform2D::identity(), nullptr);
        while (!stack.empty() && !stopped) {
            Frame& top = stack.back();
            if (top.next == top.components->size()) {
                leaveFrame();
                continue;
            }
            const std::size_t position = top.next++;
            // Copied because entering a group may reallocate the stack.
            const Transform2D accumulated = top.accumulated;
            visit((*top.components)[position], (*top.transforms)[position], accumulated);
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
    const auto processTypes = processSettings.perCanvas.find(canvas.index);
    const ObjectTable objects(canvas.objects,
                              processTypes == processSettings.perCanvas.end() ? nullptr : &processTypes->second);
    TransformCache transforms;
    std::vector<FlattenResult> results;
    results.reserve(startLists.size());
    for (const std::vector<LACComponent>* start : startLists) {
        Walk walk{objects, transforms, budget, {}, {}, {}};
        walk.run(start != nullptr ? *start : canvas.components);
        results.push_back(std::move(walk.result));
    }
    return results;
}

}  // namespace SceneGraphFlattener

}  // namespace kerfwright
