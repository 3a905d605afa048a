#include "drawing/drawing_warnings.h"

#include <variant>

#include "values/overloaded.h"

namespace kerfwright::resolving {
namespace {

std::string describe(const FlattenWarning& warning) {
    return std::visit(
        Overloaded{
            [](const FlattenWarning::UnresolvedComponent& w) {
                return concatenated("Component references unknown obj_id=", w.objId);
            },
            [](const FlattenWarning::UnknownObjectType& w) {
                return concatenated("Unknown object type '", w.rawType, "' at obj_id=", w.objId, kSkipped);
            },
            [](const FlattenWarning::BadTransform& w) {
                return concatenated("Bad transform '", w.raw, "' at obj_id=", w.objId, kSkipped);
            },
            [](const FlattenWarning::Cycle& w) {
                return concatenated("Cycle detected in scene graph at obj_id=", w.objId, kSkipped);
            },
        },
        warning.kind);
}

// The size of the input text a flattener warning quotes, known before its
// text is built.
std::size_t quotedSize(const FlattenWarning& warning) {
    if (const auto* w = std::get_if<FlattenWarning::UnknownObjectType>(&warning.kind)) return w->rawType.size();
    if (const auto* w = std::get_if<FlattenWarning::BadTransform>(&warning.kind)) return w->raw.size();
    return 0;
}

std::size_t quotedSize(const PathParseWarning& warning) {
    return std::visit(Overloaded{
                          [](const PathParseWarning::UnknownCommand& w) { return w.letters.size(); },
                          [](const PathParseWarning::Truncated& w) { return w.command.size(); },
                          [](const PathParseWarning::UnexpectedToken& w) { return w.description.size(); },
                      },
                      warning.kind);
}

std::string describePath(const PathParseWarning& warning, std::int64_t objId) {
    return std::visit(
        Overloaded{
            [&](const PathParseWarning::UnknownCommand& w) {
                return concatenated("Unknown path command '", w.letters, "' in obj_id=", objId);
            },
            [&](const PathParseWarning::Truncated& w) {
                return concatenated("Truncated path: '", w.command, "' wanted ", std::int64_t{w.expected},
                                    " numbers, got ", std::int64_t{w.got}, " (obj_id=", objId, ")");
            },
            [&](const PathParseWarning::UnexpectedToken& w) {
                return concatenated("Unexpected token ", w.description, " in obj_id=", objId);
            },
        },
        warning.kind);
}

}  // namespace

std::vector<std::string> WarningList::finish() && {
    if (skipped_ > 0) {
        texts_.push_back(concatenated("Warning limit of ", limits::kMaxWarningTextBytesText, " reached \u2014 ",
                                      skipped_, " more warnings skipped"));
    }
    return std::move(texts_);
}

void addFlattenWarnings(const FlattenResult& flattened, WarningList& warnings) {
    for (const FlattenWarning& warning : flattened.warnings) {
        warnings.add(quotedSize(warning), [&] { return describe(warning); });
    }
    if (flattened.cutShortAfterPlacements) {
        warnings.addUnbounded(concatenated("Scene cut short after ", *flattened.cutShortAfterPlacements,
                                           " placements \u2014 the rest is skipped"));
    }
}

void addPathWarnings(const ParseNotes& notes, std::int64_t objId, WarningList& warnings) {
    if (notes.tooLong) {
        warnings.add(0, [&] {
            return concatenated("Path data of obj_id=", objId, " is longer than ", limits::kMaxPathDataBytesText,
                                kSkipped);
        });
        return;
    }
    const auto& pathWarnings = notes.warnings;
    for (std::size_t i = 0; i < pathWarnings.size(); ++i) {
        if (warnings.isFull()) {
            warnings.skip(static_cast<std::int64_t>(pathWarnings.size() - i));
            return;
        }
        warnings.add(quotedSize(pathWarnings[i]), [&] { return describePath(pathWarnings[i], objId); });
    }
}

std::string describe(const Skip& skip) {
    switch (skip.reason) {
        case SkipReason::notStartingWithMove:
            return concatenated("Path data of obj_id=", skip.objId, " does not start with a move", kSkipped);
        case SkipReason::nonFiniteNumber:
            return concatenated("Non-finite number in obj_id=", skip.objId, kSkipped);
        case SkipReason::missingImage:
            return concatenated("Missing image '", skip.imageName, "' at obj_id=", skip.objId, kSkipped);
        case SkipReason::unreadableImage:
            return concatenated("Unreadable image '", skip.imageName, "' at obj_id=", skip.objId, kSkipped);
    }
    return {};
}

std::string describe(const LimitSkip& skip) {
    if (skip.limit == LimitReached::imageData) {
        return concatenated("Image data limit of ", limits::kMaxImageDataBytesText, " reached at obj_id=", skip.objId,
                            kSkipped);
    }
    return concatenated("Element text limit of ", limits::kMaxElementTextBytesText, " reached at obj_id=",
                        skip.objId, kSkipped);
}

}  // namespace kerfwright::resolving
