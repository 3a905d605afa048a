#include "drawing/drawing.h"

#include <algorithm>
#include <cmath>
#include <array>
#include <optional>
#include <span>
#include <type_traits>
#include <unordered_map>
#include <utility>

#include "values/work_sharing.h"
#include "geometry/path_emitter.h"
#include "geometry/path_parser.h"
#include "scene/flattener.h"
#include "text/base64.h"
#include "text/number_text.h"
#include "text/svg_format.h"
#include "values/input_limits.h"
#include "values/overloaded.h"

namespace kerfwright {

std::string canvasDisplayName(std::int64_t canvasIndex, std::string_view canvasName) {
    if (!canvasName.empty()) return std::string(canvasName);
    std::string name = "Canvas ";
    text::appendInteger(name, canvasIndex);
    return name;
}

namespace {

constexpr std::string_view kSkipped = " \u2014 skipped";
constexpr BoundingBox kDefaultBox{0, 0, 100, 100};
// What an element line holds beyond its path data or matrix and its name:
// the tag, the attribute names and the object id. The element-text limit
// counts it as this much.
constexpr std::uint64_t kElementLineAllowance = 64;
// The text of a placement matrix, six numbers of at most 13 characters each.
constexpr std::uint64_t kMatrixTextAllowance = 96;

template <class... Pieces>
std::string concatenated(const Pieces&... pieces) {
    std::string out;
    (
        [&] {
            if constexpr (std::is_integral_v<Pieces>) {
                text::appendInteger(out, pieces);
            } else {
                out += pieces;
            }
        }(),
        ...);
    return out;
}

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

// What one conversion of a document has used of its limits, carried from
// each drawing to the next.
struct ConversionBudget {
    FlattenBudget flatten;
    std::uint64_t imageDataBytes = 0;
    std::uint64_t elementTextBytes = 0;
    bool elementTextFull = false;  // an element did not fit: no more are tried
    std::uint64_t warningTextBytes = 0;
    bool warningTextFull = false;  // a warning did not fit: no more are kept
};

// The warning texts of one drawing, within the conversion's limit on warning
// text. Once a text does not fit, no further text is built: the rest are only
// counted, so that a warning repeated without end costs no time either, and
// one closing text says how many were left out.
class WarningList {
public:
    explicit WarningList(ConversionBudget& budget) : budget_(budget) {}

    // `quoted` is the size of the input text the warning quotes, so that a
    // text that cannot fit is never built.
    template <class Describe>
    void add(std::size_t quoted, Describe describe) {
        if (budget_.warningTextFull || budget_.warningTextBytes + quoted > limits::kMaxWarningTextBytes) {
            skip(1);
            return;
        }
        std::string text = describe();
        if (budget_.warningTextBytes + text.size() > limits::kMaxWarningTextBytes) {
            skip(1);
            return;
        }
        budget_.warningTextBytes += text.size();
        texts_.push_back(std::move(text));
    }

    void addUnbounded(std::string text) { texts_.push_back(std::move(text)); }

    std::vector<std::string> finish() && {
        if (skipped_ > 0) {
            texts_.push_back(concatenated("Warning limit of ", limits::kMaxWarningTextBytesText, " reached \u2014 ",
                                          skipped_, " more warnings skipped"));
        }
        return std::move(texts_);
    }

    bool isFull() const { return budget_.warningTextFull; }
    void skip(std::int64_t count) {
        budget_.warningTextFull = true;
        skipped_ += count;
    }

private:
    ConversionBudget& budget_;
    std::vector<std::string> texts_;
    std::int64_t skipped_ = 0;
};

// The flattener's warnings, then whether the walk was cut short, which is
// said whatever the warning limit.
void addFlattenWarnings(const FlattenResult& flattened, WarningList& warnings) {
    for (const FlattenWarning& warning : flattened.warnings) {
        warnings.add(quotedSize(warning), [&] { return describe(warning); });
    }
    if (flattened.cutShortAfterPlacements) {
        warnings.addUnbounded(concatenated("Scene cut short after ", *flattened.cutShortAfterPlacements,
                                           " placements \u2014 the rest is skipped"));
    }
}

// What parsing a path object told, beyond its commands: kept for every
// object, since each placement repeats its object's warnings.
struct ParseNotes {
    std::vector<PathParseWarning> warnings;
    bool tooLong = false;  // its data passes the limit and was not parsed
};

// A placement repeats its object's path warnings, one by one until the
// warning limit is reached and then only counted.
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

bool isTooLong(const LACObject::Path& path) { return path.data.size() > limits::kMaxPathDataBytes; }

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

    // Calls `draw` with the commands of a placement of this path object,
    // unless its data is too long to parse.
    template <class Draw>
    auto drawWith(const LACObject& object, Draw draw) -> decltype(draw(std::vector<PathCommand>{})) {
        if (isTooLong(std::get<LACObject::Path>(object.kind))) return {};
        PathSlot& slot = slotOf(object);
        if (!slot.parsed) {
            slot.commands = parse(object);
            slot.parsed = true;
        }
        auto result = draw(slot.commands);
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

using Outline = std::optional<PathEmitter::EmittedPath>;

// The outline of a vector placement; nothing for an image, a group, an
// unknown object or path data too long to parse. `drawWithCommands(object,
// draw)` calls `draw` with a path object's parsed commands.
template <class DrawWithCommands>
Outline outlineOf(const FlattenedNode& node, DrawWithCommands drawWithCommands) {
    const Transform2D& transform = node.transform;
    return std::visit(
        Overloaded{
            [&](const LACObject::Path& path) -> Outline {
                if (isTooLong(path)) return std::nullopt;
                return drawWithCommands(*node.object, [&](const std::vector<PathCommand>& commands) {
                    return Outline(PathEmitter::emit(commands, transform, path.isClosed));
                });
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

// One placement resolved: the element to draw and what it covers, or nothing.
struct Resolved {
    std::optional<DrawnElement> element;
    BoundingBox bounds;
};

// Why a placement that was measured and counted is still not drawn.
enum class SkipReason { notStartingWithMove, nonFiniteNumber, missingImage, unreadableImage };

// The kind of picture a file's first bytes announce, as a data address names
// it; nothing for any other file, which readers would refuse.
std::optional<std::string_view> imageMediaType(std::string_view head) {
    if (head.starts_with("\x89PNG\r\n\x1a\n")) return "image/png";
    if (head.starts_with("\xff\xd8\xff")) return "image/jpeg";
    if (head.starts_with("GIF87a") || head.starts_with("GIF89a")) return "image/gif";
    if (head.size() >= 12 && head.starts_with("RIFF") && head.substr(8, 4) == "WEBP") return "image/webp";
    return std::nullopt;
}

struct Skip {
    std::size_t position;  // in the flattened placements
    std::int64_t objId;
    SkipReason reason;
    std::string_view imageName;  // for a missing image
};

enum class LimitReached { elementText, imageData };

struct LimitSkip {
    std::int64_t objId;
    LimitReached limit;
};

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

// Everything one drawing's placements are resolved with.
class PlacementResolver {
public:
    PlacementResolver(const LACDocument& document, const std::vector<FlattenedNode>& nodes, PathParses& parses,
                      ConversionBudget& budget)
        : document_(document), nodes_(nodes), parses_(parses), budget_(budget) {}

    // `outline`, when given, is the placement's outline made ahead of time,
    // as outlineOf makes it here.
    Resolved resolve(const FlattenedNode& node, Outline&& outline = std::nullopt) {
        const LACObject& object = *node.object;
        const bool isVector = !std::holds_alternative<LACObject::RasterImage>(object.kind);
        if (isVector && budget_.elementTextFull) {
            const auto* path = std::get_if<LACObject::Path>(&object.kind);
            const bool drawable = path == nullptr || !isTooLong(*path);
            if (drawable) limitSkips_.push_back({object.id, LimitReached::elementText});
            return {};
        }
        if (const auto* image = std::get_if<LACObject::RasterImage>(&object.kind)) return resolveImage(node, *image);
        if (!outline) {
            outline = outlineOf(node, [&](const LACObject& path, auto draw) { return parses_.drawWith(path, draw); });
        }
        if (!outline) return {};
        return resolvePath(node, std::move(*outline));
    }

    // The skips in the order of the placements, then the limits reached in
    // the order they were met.
    void addWarnings(WarningList& warnings) {
        std::stable_sort(skips_.begin(), skips_.end(),
                         [](const Skip& a, const Skip& b) { return a.position < b.position; });
        for (const Skip& skip : skips_) warnings.add(skip.imageName.size(), [&] { return describe(skip); });
        for (const LimitSkip& skip : limitSkips_) warnings.add(0, [&] { return describe(skip); });
    }

private:
    void skip(const FlattenedNode& node, SkipReason reason, std::string_view imageName = {}) {
        skips_.push_back({static_cast<std::size_t>(&node - nodes_.data()), node.object->id, reason, imageName});
    }

    // Counts the element's text against the conversion's limit.
    bool fitsElementText(std::uint64_t textBytes, std::int64_t objId) {
        if (budget_.elementTextBytes + textBytes > limits::kMaxElementTextBytes) {
            budget_.elementTextFull = true;
            limitSkips_.push_back({objId, LimitReached::elementText});
            return false;
        }
        budget_.elementTextBytes += textBytes;
        return true;
    }

    Resolved resolvePath(const FlattenedNode& node, PathEmitter::EmittedPath emitted) {
        const std::string& d = emitted.d;
        // Data of close commands alone draws nothing and is left out silently.
        if (d.find_first_of("MLC") == std::string::npos) return {};
        if (d.front() != 'M') {
            skip(node, SkipReason::notStartingWithMove);
            return {};
        }
        if (!emitted.allFinite) {
            skip(node, SkipReason::nonFiniteNumber);
            return {};
        }
        const LACObject& object = *node.object;
        if (!fitsElementText(d.size() + object.name.size() + kElementLineAllowance, object.id)) return {};
        return {DrawnElement{object.id, object.name, DrawnElement::Path{std::move(emitted.d)}}, emitted.bounds};
    }

    Resolved resolveImage(const FlattenedNode& node, const LACObject::RasterImage& image) {
        const LACObject& object = *node.object;
        // Looked up once per object: a missing name is normalised to look again.
        const auto [found, isNew] = images_.try_emplace(&object, nullptr);
        if (isNew) found->second = document_.image(image.fileName);
        const StoredBytes* bytes = found->second;
        if (bytes == nullptr) {
            skip(node, SkipReason::missingImage, image.fileName);
            return {};
        }
        const Transform2D& t = node.transform;
        for (const double entry : {t.a, t.b, t.c, t.d, t.tx, t.ty}) {
            if (!std::isfinite(SVGFormat::roundedMatrixEntry(entry))) {
                skip(node, SkipReason::nonFiniteNumber);
                return {};
            }
        }
        const std::optional<std::string_view> mediaType = imageMediaType(bytes->head);
        if (!mediaType) {
            skip(node, SkipReason::unreadableImage, image.fileName);
            return {};
        }
        // A picture of no width or no height draws nothing in any reader:
        // left out silently, as path data that draws nothing is.
        if (image.width == 0 || image.height == 0) return {};
        const std::uint64_t embedded = text::base64Length(bytes->size);
        if (budget_.imageDataBytes + embedded > limits::kMaxImageDataBytes) {
            limitSkips_.push_back({object.id, LimitReached::imageData});
            return {};
        }
        if (budget_.elementTextFull) {
            limitSkips_.push_back({object.id, LimitReached::elementText});
            return {};
        }
        if (!fitsElementText(kMatrixTextAllowance + object.name.size() + kElementLineAllowance, object.id)) return {};
        budget_.imageDataBytes += embedded;

        const auto w = static_cast<double>(image.width);
        const auto h = static_cast<double>(image.height);
        BoundingBox bounds;
        bounds.include(t.apply(0, 0));
        bounds.include(t.apply(w, 0));
        bounds.include(t.apply(w, h));
        bounds.include(t.apply(0, h));
        return {DrawnElement{object.id, object.name, DrawnElement::Image{bytes, image.width, image.height, t, *mediaType}},
                bounds};
    }

    const LACDocument& document_;
    const std::vector<FlattenedNode>& nodes_;
    PathParses& parses_;
    ConversionBudget& budget_;
    std::vector<Skip> skips_;
    std::vector<LimitSkip> limitSkips_;
    std::unordered_map<const LACObject*, const StoredBytes*> images_;  // each image object's file, or null
};

// Placements outlined ahead together, on several threads; the budget is then
// applied to them one by one, in order, exactly as when each is outlined as
// it is drawn. A batch also bounds the outlines made in vain once the element
// text limit is reached within it.
constexpr std::size_t kOutlineBatch = 8192;
// Placements one thread outlines at a time.
constexpr std::size_t kOutlinePiece = 64;

// The path data one thread parses for a piece of placements: an object placed
// more than once in the drawing is parsed once per piece, any other is parsed
// for its placement and dropped. What each parse noted is kept for the
// drawing's warnings.
class PieceParses {
public:
    explicit PieceParses(const PathParses& drawing) : drawing_(drawing) {}

    template <class Draw>
    auto drawWith(const LACObject& object, Draw draw) {
        if (!drawing_.isPlacedMoreThanOnce(object)) return draw(parse(object));
        auto [found, isNew] = shared_.try_emplace(&object);
        if (isNew) found->second = parse(object);
        return draw(found->second);
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

// The outline of each placement of the batch, made on up to `threads` threads.
std::vector<Outline> outlinesAhead(std::span<const FlattenedNode* const> batch, std::size_t threads,
                                   PathParses& parses) {
    std::vector<Outline> outlines(batch.size());
    std::vector<PieceParses> pieces((batch.size() + kOutlinePiece - 1) / kOutlinePiece, PieceParses(parses));
    shareWork(pieces.size(), threads, [&](std::size_t piece) {
        const std::size_t end = std::min(batch.size(), (piece + 1) * kOutlinePiece);
        for (std::size_t i = piece * kOutlinePiece; i < end; ++i) {
            outlines[i] = outlineOf(*batch[i], [&](const LACObject& path, auto draw) {
                return pieces[piece].drawWith(path, draw);
            });
        }
    });
    for (PieceParses& piece : pieces) piece.handNotesTo(parses);
    return outlines;
}

// One layer's elements, in the order of its placements, and what they cover
// added to `content`. With more than one thread, each batch of placements is
// outlined ahead before the budget is applied to it.
DrawnLayer drawLayer(LayerKind layer, const std::vector<const FlattenedNode*>& nodes, PlacementResolver& resolver,
                     PathParses& parses, const ConversionBudget& budget, std::size_t threads, BoundingBox& content) {
    DrawnLayer drawn{layer, {}};
    drawn.elements.reserve(nodes.size());
    for (std::size_t start = 0; start < nodes.size(); start += kOutlineBatch) {
        const auto batch = std::span(nodes).subspan(start, std::min(kOutlineBatch, nodes.size() - start));
        std::vector<Outline> outlines;
        if (threads > 1 && !budget.elementTextFull) outlines = outlinesAhead(batch, threads, parses);
        for (std::size_t i = 0; i < batch.size(); ++i) {
            Resolved resolved =
                outlines.empty() ? resolver.resolve(*batch[i]) : resolver.resolve(*batch[i], std::move(outlines[i]));
            if (!resolved.element) continue;
            content.include(resolved.bounds);
            drawn.elements.push_back(std::move(*resolved.element));
        }
    }
    return drawn;
}

std::size_t slot(LayerKind layer) { return static_cast<std::size_t>(layer); }

Drawing resolveOne(const LACCanvas& canvas, const LACDocument& document, double margin,
                   const FlattenResult& flattened, std::int64_t plateIndex, std::int64_t totalPlates,
                   ConversionBudget& budget, std::vector<PathSlot>& pathSlots, std::size_t threads) {
    WarningList warnings(budget);
    addFlattenWarnings(flattened, warnings);
    PathParses parses(canvas, pathSlots, flattened.nodes);

    std::array<std::vector<const FlattenedNode*>, kAllLayerKinds.size()> nodesByLayer;
    std::map<LayerKind, std::int64_t> layerCounts;
    for (const FlattenedNode& node : flattened.nodes) {
        const LayerKind layer = LayerMapper::layer(node.processType);
        nodesByLayer[slot(layer)].push_back(&node);
        ++layerCounts[layer];
    }

    PlacementResolver resolver(document, flattened.nodes, parses, budget);
    std::vector<DrawnLayer> layers;
    BoundingBox content;
    for (LayerKind layer : kLayerDrawOrder) {
        const auto& nodes = nodesByLayer[slot(layer)];
        if (nodes.empty()) continue;
        layers.push_back(drawLayer(layer, nodes, resolver, parses, budget, threads, content));
    }
    parses.addWarnings(warnings);
    resolver.addWarnings(warnings);

    return Drawing{
        .canvasIndex = canvas.index,
        .canvasName = canvas.name,
        .plateIndex = plateIndex,
        .totalPlatesInCanvas = totalPlates,
        .layers = std::move(layers),
        .layerCounts = std::move(layerCounts),
        .warnings = std::move(warnings).finish(),
        .bounds = content.isEmpty() ? kDefaultBox : content.padded(margin),
    };
}

// The start list of each drawing of the canvas: its own components (null), or
// each of its plates when it has two or more.
std::vector<const std::vector<LACComponent>*> startListsOf(const LACCanvas& canvas, const LACDocument& document) {
    const auto plates = document.plateComponentsByCanvas.find(canvas.index);
    if (plates == document.plateComponentsByCanvas.end() || plates->second.size() < 2) return {nullptr};
    std::vector<const std::vector<LACComponent>*> lists;
    lists.reserve(plates->second.size());
    for (const auto& plate : plates->second) lists.push_back(&plate);
    return lists;
}

}  // namespace

std::vector<DrawingResolver::CanvasPlan> DrawingResolver::planOf(const LACDocument& document) {
    std::vector<CanvasPlan> plans;
    std::size_t planned = 0;
    for (const LACCanvas& canvas : document.canvases) {
        std::vector<const std::vector<LACComponent>*> startLists = startListsOf(canvas, document);
        const auto totalPlates = startLists.front() == nullptr ? 1 : static_cast<std::int64_t>(startLists.size());
        const std::size_t room = limits::kMaxDrawings - planned;
        const bool cutShort = startLists.size() > room;
        if (cutShort) startLists.resize(room);
        planned += startLists.size();
        const bool full = planned == limits::kMaxDrawings;
        const bool laterCanvasesSkipped = full && &canvas != &document.canvases.back();
        plans.push_back({&canvas, std::move(startLists), totalPlates, cutShort || laterCanvasesSkipped});
        if (full) break;
    }
    return plans;
}

void DrawingResolver::resolveEach(const LACDocument& document, double margin, std::size_t threads,
                                  const std::function<void(Drawing&&)>& take) {
    ConversionBudget budget;
    for (const CanvasPlan& plan : planOf(document)) {
        std::vector<FlattenResult> flattened =
            SceneGraphFlattener::flattenEach(*plan.canvas, document.processSettings, plan.startLists, budget.flatten);
        std::vector<PathSlot> pathSlots(plan.canvas->objects.size());
        for (std::size_t i = 0; i < flattened.size(); ++i) {
            Drawing drawing = resolveOne(*plan.canvas, document, margin, flattened[i], static_cast<std::int64_t>(i) + 1,
                                         plan.totalPlates, budget, pathSlots, threads);
            if (plan.documentCutShort && i + 1 == flattened.size()) {
                drawing.warnings.push_back(concatenated("Document cut short after ",
                                                        std::int64_t{limits::kMaxDrawings},
                                                        " drawings \u2014 the rest is skipped"));
            }
            take(std::move(drawing));
        }
    }
}

}  // namespace kerfwright
