#pragma once
// The path data of a drawing, parsed as its placements are drawn, and the
// outlines of placements made ahead on several threads.

#include <cstddef>
#include <optional>
#include <span>
#include <variant>
#include <vector>

#include "drawing/drawing_warnings.h"
#include "geometry/path_emitter.h"
#include "geometry/path_parser.h"
#include "reading/model.h"
#include "scene/flattener.h"
#include "values/input_limits.h"
#include "values/overloaded.h"

namespace kerfwright::resolving {

inline bool isTooLong(const LACObject::Path& path) { return path.data.size() > limits::kMaxPathDataBytes; }

using Outline = std::optional<PathEmitter::EmittedPath>;

// What one drawing knows of a path object of its canvas, at the object's
// place in the canvas's object list, which every placement points into.
struct PathSlot {
    std::vector<PathCommand> commands;
    bool parsed = false;
    std::size_t uses = 0;  // placements still to draw the commands
    std::optional<ParseNotes> notes;
};

// The path data of one drawing, parsed as its placements are drawn. Each
// object is parsed once and its commands are kept only until its last
// placement is drawn, so that the commands of a whole drawing are never held
// at once. The slots are the canvas's, made once for all its drawings: each
// drawing leaves the slots of its objects empty again for the next.
class PathParses {
public:
    PathParses(const LACCanvas& canvas, std::vector<PathSlot>& slots, const std::vector<FlattenedNode>& nodes)
        : objects_(canvas.objects.data()), slots_(slots), nodes_(nodes) {
        for (const FlattenedNode& node : nodes_) {
            if (std::holds_alternative<LACObject::Path>(node.object->kind)) ++slotOf(*node.object).uses;
        }
    }
    ~PathParses() {
        for (const FlattenedNode& node : nodes_) {
            if (std::holds_alternative<LACObject::Path>(node.object->kind)) slotOf(*node.object) = PathSlot{};
        }
    }
    PathParses(const PathParses&) = delete;
    PathParses& operator=(const PathParses&) = delete;

    // The outline of a placement of this path object under `transform`,
    // unless its data is too long to parse. An object placed once is read
    // and written in one pass; one placed more often is parsed at its first
    // placement and its commands are kept for the others.
    Outline outline(const LACObject& object, const Transform2D& transform) {
        const auto& path = std::get<LACObject::Path>(object.kind);
        if (isTooLong(path)) return std::nullopt;
        PathSlot& slot = slotOf(object);
        if (!slot.parsed && slot.uses <= 1) {
            slot.uses = 0;
            std::vector<PathParseWarning> warnings;
            PathEmitter::EmittedPath emitted = PathEmitter::emitData(path.data, transform, path.isClosed, warnings);
            keepNotes(object, std::move(warnings));
            return emitted;
        }
        if (!slot.parsed) {
            slot.commands = parse(object);
            slot.parsed = true;
        }
        Outline result = PathEmitter::emit(slot.commands, transform, path.isClosed);
        if (slot.uses <= 1) {
            // Its last placement: the commands go, and a placement after
            // all that were counted would parse them again.
            std::vector<PathCommand>().swap(slot.commands);
            slot.parsed = false;
            slot.uses = 0;
        } else {
            --slot.uses;
        }
        return result;
    }

    // Whether the drawing places this path object more than once.
    bool isPlacedMoreThanOnce(const LACObject& object) const { return slotOf(object).uses > 1; }

    // What a parse made elsewhere (by a thread that outlined placements
    // ahead) noted of the object, kept as if this had parsed it.
    void keepNotes(const LACObject& object, std::vector<PathParseWarning>&& warnings) {
        keepFirst(object, ParseNotes{std::move(warnings), false});
    }

    // Every placement's path warnings, in the order of the placements.
    void addWarnings(WarningList& warnings) {
        for (const FlattenedNode& node : nodes_) {
            if (std::holds_alternative<LACObject::Path>(node.object->kind)) {
                addPathWarnings(noteOf(*node.object), node.object->id, warnings);
            }
        }
    }

private:
    PathSlot& slotOf(const LACObject& object) const {
        return slots_[static_cast<std::size_t>(&object - objects_)];
    }

    // The notes of the object's first parse are the ones kept.
    const ParseNotes& keepFirst(const LACObject& object, ParseNotes&& notes) {
        std::optional<ParseNotes>& kept = slotOf(object).notes;
        if (!kept) kept = std::move(notes);
        return *kept;
    }

    std::vector<PathCommand> parse(const LACObject& object) {
        PathParseResult result = PathParser::parse(std::get<LACObject::Path>(object.kind).data);
        keepFirst(object, ParseNotes{std::move(result.warnings), false});
        return std::move(result.commands);
    }

    // The object's notes; an object none of whose placements was drawn is
    // parsed here for its warnings alone.
    const ParseNotes& noteOf(const LACObject& object) {
        if (const std::optional<ParseNotes>& kept = slotOf(object).notes) return *kept;
        if (isTooLong(std::get<LACObject::Path>(object.kind))) return keepFirst(object, ParseNotes{{}, true});
        parse(object);
        return *slotOf(object).notes;
    }

    const LACObject* objects_;
    std::vector<PathSlot>& slots_;
    const std::vector<FlattenedNode>& nodes_;
};

// The outline of a vector placement; nothing for an image, a group, an
// unknown object or path data too long to parse. `outlinePath(object,
// transform)` gives the outline of a path object's placement.
template <class OutlinePath>
Outline outlineOf(const FlattenedNode& node, OutlinePath outlinePath) {
    const Transform2D& transform = node.transform;
    return std::visit(
        Overloaded{
            [&](const LACObject::Path& path) -> Outline {
                if (isTooLong(path)) return std::nullopt;
                return outlinePath(*node.object, transform);
            },
            [&](const LACObject::Ellipse& e) -> Outline {
                return PathEmitter::emitEllipse(e.centerX, e.centerY, e.radiusX, e.radiusY, transform);
            },
            [&](const LACObject::CenterPointArc& arc) -> Outline {
                return PathEmitter::emitCenterPointArc(arc.p0, arc.p1, arc.p2, transform);
            },
            [](const auto&) -> Outline { return std::nullopt; },
        },
        node.object->kind);
}

// Placements outlined ahead together, on several threads; the budget is then
// applied to them one by one, in order, exactly as when each is outlined as
// it is drawn. A batch also bounds the outlines made in vain once the element
// text limit is reached within it.
inline constexpr std::size_t kOutlineBatch = 8192;
// Placements one thread outlines at a time.
inline constexpr std::size_t kOutlinePiece = 64;

// The outline of each placement of the batch, made on up to `threads` threads.
std::vector<Outline> outlinesAhead(std::span<const FlattenedNode* const> batch, std::size_t threads,
                                   PathParses& parses);

}  // namespace kerfwright::resolving
