#include "drawing/path_parses.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "values/work_sharing.h"

namespace kerfwright::resolving {
namespace {

// The path data one thread outlines for a piece of placements: an object
// placed once in the drawing is read and written in one pass, one placed
// more often is parsed once per piece and its commands kept. What each
// parse noted is kept for the drawing's warnings.
class PieceParses {
public:
    explicit PieceParses(const PathParses& drawing) : drawing_(drawing) {}

    Outline outline(const LACObject& object, const Transform2D& transform) {
        const auto& path = std::get<LACObject::Path>(object.kind);
        if (!drawing_.isPlacedMoreThanOnce(object)) {
            std::vector<PathParseWarning> warnings;
            PathEmitter::EmittedPath emitted = PathEmitter::emitData(path.data, transform, path.isClosed, warnings);
            notes_.emplace_back(&object, std::move(warnings));
            return emitted;
        }
        auto [found, isNew] = shared_.try_emplace(&object);
        if (isNew) found->second = parse(object);
        return PathEmitter::emit(found->second, transform, path.isClosed);
    }

    void handNotesTo(PathParses& drawing) {
        for (auto& [object, warnings] : notes_) drawing.keepNotes(*object, std::move(warnings));
    }

private:
    std::vector<PathCommand> parse(const LACObject& object) {
        PathParseResult result = PathParser::parse(std::get<LACObject::Path>(object.kind).data);
        notes_.emplace_back(&object, std::move(result.warnings));
        return std::move(result.commands);
    }

    const PathParses& drawing_;
    std::unordered_map<const LACObject*, std::vector<PathCommand>> shared_;
    std::vector<std::pair<const LACObject*, std::vector<PathParseWarning>>> notes_;
};

}  // namespace

// The outline of each placement of the batch, made on up to `threads` threads.
std::vector<Outline> outlinesAhead(std::span<const FlattenedNode* const> batch, std::size_t threads,
                                   PathParses& parses) {
    std::vector<Outline> outlines(batch.size());
    std::vector<PieceParses> pieces((batch.size() + kOutlinePiece - 1) / kOutlinePiece, PieceParses(parses));
    shareWork(pieces.size(), threads, [&](std::size_t piece) {
        const std::size_t end = std::min(batch.size(), (piece + 1) * kOutlinePiece);
        for (std::size_t i = piece * kOutlinePiece; i < end; ++i) {
            outlines[i] = outlineOf(*batch[i], [&](const LACObject& path, const Transform2D& transform) {
                return pieces[piece].outline(path, transform);
            });
        }
    });
    for (PieceParses& piece : pieces) piece.handNotesTo(parses);
    return outlines;
}

}  // namespace kerfwright::resolving
