#include "writers/svg_writer.h"

#include <array>
#include <charconv>
#include <optional>
#include <type_traits>
#include <unordered_map>
#include <utility>

#include "geometry/path_emitter.h"
#include "values/input_limits.h"
#include "geometry/path_parser.h"
#include "scene/flattener.h"
#include "writers/image_emitter.h"
#include "text/number_text.h"
#include "writers/svg_format.h"

namespace kerfwright {
namespace {

constexpr int kPrecision = 4;
constexpr std::string_view kSkipped = " \u2014 skipped";
constexpr BoundingBox kDefaultBox{0, 0, 100, 100};
// Room for the declaration, the root tag and the closing tag.
constexpr std::size_t kDocumentOverhead = 512;
// A guess at one element line, so that most documents never reallocate.
constexpr std::size_t kBytesPerElementGuess = 160;

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
// Spelled out for compilers without class template argument deduction for aggregates.
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

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

// One path object's parse, shared by all its placements.
struct ParsedObject {
    PathParseResult result;
    bool tooLong = false;  // its data passes the limit and was not parsed
};

// A placement repeats its object's path warnings, one by one until the
// warning limit is reached and then only counted.
void addPathWarnings(const ParsedObject& parsed, std::int64_t objId, WarningList& warnings) {
    if (parsed.tooLong) {
        warnings.add(0, [&] {
            return concatenated("Path data of obj_id=", objId, " is longer than ", limits::kMaxPathDataBytesText,
                                kSkipped);
        });
        return;
    }
    const auto& pathWarnings = parsed.result.warnings;
    for (std::size_t i = 0; i < pathWarnings.size(); ++i) {
        if (warnings.isFull()) {
            warnings.skip(static_cast<std::int64_t>(pathWarnings.size() - i));
            return;
        }
        warnings.add(quotedSize(pathWarnings[i]), [&] { return describePath(pathWarnings[i], objId); });
    }
}

// Parses the data of every path placement. Each distinct object is parsed
// once, but its warnings are repeated for every placement, and the commands
// kept under an id are those of the last placement with that id, exactly as
// if every placement had been parsed anew.
ParsedPaths parsePlacedPaths(const std::vector<FlattenedNode>& nodes, WarningList& warnings) {
    std::unordered_map<const LACObject*, ParsedObject> byObject;
    std::unordered_map<std::int64_t, const LACObject*> lastPlacedWithId;
    for (const FlattenedNode& node : nodes) {
        const auto* path = std::get_if<LACObject::Path>(&node.object->kind);
        if (path == nullptr) continue;
        auto [entry, isNew] = byObject.try_emplace(node.object);
        if (isNew) {
            entry->second.tooLong = path->data.size() > limits::kMaxPathDataBytes;
            if (!entry->second.tooLong) entry->second.result = PathParser::parse(path->data);
        }
        addPathWarnings(entry->second, node.object->id, warnings);
        lastPlacedWithId[node.object->id] = node.object;
    }
    ParsedPaths parsed;
    parsed.reserve(lastPlacedWithId.size());
    for (const auto& [id, object] : lastPlacedWithId) {
        ParsedObject& parsedObject = byObject.at(object);
        if (!parsedObject.tooLong) parsed.emplace(id, std::move(parsedObject.result.commands));
    }
    return parsed;
}

using NodesByLayer = std::array<std::vector<const FlattenedNode*>, kAllLayerKinds.size()>;

std::size_t slot(LayerKind layer) { return static_cast<std::size_t>(layer); }

void appendGroupStartTag(std::string& out, LayerKind layer) {
    out += "<g id=\"";
    out += rawValue(layer);
    out += '"';
    if (layer == LayerKind::engraveFill) {
        out += " fill=\"#000000\" stroke=\"none\" fill-rule=\"evenodd\"";
    } else if (layer != LayerKind::engraveImage) {
        out += " stroke=\"";
        out += stroke(layer).value_or("");
        out += "\" fill=\"none\" stroke-width=\"";
        SVGFormat::appendNum(out, strokeWidthMillimeters(layer), kPrecision);
        out += '"';
    }
    out += " stroke-linecap=\"round\" stroke-linejoin=\"round\">\n";
}

// Everything one drawing's elements are written from.
struct ElementContext {
    const LACDocument& document;
    const ParsedPaths& parsed;
    ConversionBudget& budget;
    WarningList& warnings;
};

std::string limitReached(const char* limitName, const char* limitText, std::int64_t objId) {
    return concatenated(limitName, " limit of ", limitText, " reached at obj_id=", objId, kSkipped);
}

void skipForElementText(ElementContext& context, std::int64_t objId) {
    context.budget.elementTextFull = true;
    context.warnings.add(0, [&] { return limitReached("Element text", limits::kMaxElementTextBytesText, objId); });
}

// Keeps the element line just appended from `lineStart` when its text,
// less the embedded image data, fits the conversion's limit.
void keepWithinElementLimit(std::string& out, std::size_t lineStart, std::uint64_t embeddedBytes,
                            ElementContext& context, std::int64_t objId) {
    const std::uint64_t text = out.size() - lineStart - embeddedBytes;
    if (context.budget.elementTextBytes + text > limits::kMaxElementTextBytes) {
        out.resize(lineStart);
        skipForElementText(context, objId);
        return;
    }
    context.budget.elementTextBytes += text;
}

void appendPathLine(std::string& out, std::string_view d, const LACObject& object, ElementContext& context) {
    const std::size_t lineStart = out.size();
    out += "  <path d=\"";
    out += d;
    out += '"';
    SVGFormat::appendObjectAttributes(out, object.id, object.name);
    out += "/>\n";
    keepWithinElementLimit(out, lineStart, 0, context, object.id);
}

// The Base64 text of the image's bytes, or nothing when the element is left out anyway.
std::optional<std::uint64_t> embeddedImageBytes(const LACObject::RasterImage& image, const LACDocument& document) {
    const auto bytes = document.imageData.find(image.fileName);
    if (bytes == document.imageData.end()) return std::nullopt;
    return (bytes->second.size + 2) / 3 * 4;
}

void appendImageLine(std::string& out, const FlattenedNode& node, const LACObject::RasterImage& image,
                     ElementContext& context) {
    const std::optional<std::uint64_t> embedded = embeddedImageBytes(image, context.document);
    if (!embedded) return;
    const std::int64_t objId = node.object->id;
    if (context.budget.imageDataBytes + *embedded > limits::kMaxImageDataBytes) {
        context.warnings.add(0, [&] { return limitReached("Image data", limits::kMaxImageDataBytesText, objId); });
        return;
    }
    if (context.budget.elementTextFull) return skipForElementText(context, objId);
    const auto element = ImageEmitter::emit(node, context.document.imageData);
    if (!element) return;
    context.budget.imageDataBytes += *embedded;
    const std::size_t lineStart = out.size();
    out += "  ";
    out += *element;
    out += '\n';
    keepWithinElementLimit(out, lineStart, *embedded, context, objId);
}

void appendElementLine(std::string& out, const FlattenedNode& node, ElementContext& context) {
    const LACObject& object = *node.object;
    const bool isVector = !std::holds_alternative<LACObject::RasterImage>(object.kind);
    if (isVector && context.budget.elementTextFull) {
        const bool drawable = !std::holds_alternative<LACObject::Path>(object.kind) || context.parsed.contains(object.id);
        if (drawable) skipForElementText(context, object.id);
        return;
    }
    std::visit(Overloaded{
                   [&](const LACObject::Path& path) {
                       const auto commands = context.parsed.find(object.id);
                       if (commands == context.parsed.end()) return;
                       const std::string d = PathEmitter::emit(commands->second, node.transform, path.isClosed);
                       if (!d.empty()) appendPathLine(out, d, object, context);
                   },
                   [&](const LACObject::RasterImage& image) { appendImageLine(out, node, image, context); },
                   [&](const LACObject::Ellipse& e) {
                       appendPathLine(out,
                                      PathEmitter::emitEllipse(e.centerX, e.centerY, e.radiusX, e.radiusY,
                                                               node.transform),
                                      object, context);
                   },
                   [&](const LACObject::CenterPointArc& arc) {
                       appendPathLine(out, PathEmitter::emitCenterPointArc(arc.p0, arc.p1, arc.p2, node.transform),
                                      object, context);
                   },
                   [](const LACObject::Group&) {},
                   [](const LACObject::Unknown&) {},
               },
               object.kind);
}

void appendGroup(std::string& out, LayerKind layer, const std::vector<const FlattenedNode*>& nodes,
                 ElementContext& context) {
    appendGroupStartTag(out, layer);
    for (const FlattenedNode* node : nodes) appendElementLine(out, *node, context);
    out += "</g>\n";
}

void appendRootStartTag(std::string& out, const BoundingBox& box, std::int64_t canvasIndex,
                        std::optional<std::int64_t> plateIndex) {
    const double width = box.maxX - box.minX;
    const double height = box.maxY - box.minY;
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" version=\"1.1\" width=\"";
    SVGFormat::appendNum(out, width, kPrecision);
    out += "mm\" height=\"";
    SVGFormat::appendNum(out, height, kPrecision);
    out += "mm\" viewBox=\"";
    SVGFormat::appendNum(out, box.minX, kPrecision);
    out += ' ';
    SVGFormat::appendNum(out, box.minY, kPrecision);
    out += ' ';
    SVGFormat::appendNum(out, width, kPrecision);
    out += ' ';
    SVGFormat::appendNum(out, height, kPrecision);
    out += "\" data-canvas-index=\"";
    text::appendInteger(out, canvasIndex);
    out += '"';
    if (plateIndex) {
        out += " data-plate-index=\"";
        text::appendInteger(out, *plateIndex);
        out += '"';
    }
    out += ">\n";
}

CanvasConversion convertOne(const LACCanvas& canvas, const LACDocument& document, double margin,
                            const FlattenResult& flattened, std::int64_t plateIndex, std::int64_t totalPlates,
                            ConversionBudget& budget) {
    WarningList warnings(budget);
    addFlattenWarnings(flattened, warnings);
    const ParsedPaths parsed = parsePlacedPaths(flattened.nodes, warnings);

    const BoundingBox content = BoundingBoxBuilder::compute(flattened.nodes, parsed);
    const BoundingBox box = content.isEmpty() ? kDefaultBox : content.padded(margin);

    NodesByLayer nodesByLayer;
    std::map<LayerKind, std::int64_t> layerCounts;
    for (const FlattenedNode& node : flattened.nodes) {
        const LayerKind layer = LayerMapper::layer(node.processType);
        nodesByLayer[slot(layer)].push_back(&node);
        ++layerCounts[layer];
    }

    std::string svg;
    svg.reserve(kDocumentOverhead + flattened.nodes.size() * kBytesPerElementGuess);
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n";
    appendRootStartTag(svg, box, canvas.index, totalPlates >= 2 ? std::optional(plateIndex) : std::nullopt);
    ElementContext context{document, parsed, budget, warnings};
    for (LayerKind layer : kLayerDrawOrder) {
        const auto& nodes = nodesByLayer[slot(layer)];
        if (!nodes.empty()) appendGroup(svg, layer, nodes, context);
    }
    svg += "</svg>\n";

    return CanvasConversion{
        .canvasIndex = canvas.index,
        .canvasName = canvas.name,
        .plateIndex = plateIndex,
        .totalPlatesInCanvas = totalPlates,
        .svg = std::move(svg),
        .layerCounts = std::move(layerCounts),
        .warnings = std::move(warnings).finish(),
        .bounds = box,
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

std::vector<CanvasConversion> SVGWriter::convert(const LACDocument& document, double margin) {
    std::vector<CanvasConversion> conversions;
    ConversionBudget budget;
    for (const LACCanvas& canvas : document.canvases) {
        std::vector<const std::vector<LACComponent>*> startLists = startListsOf(canvas, document);
        const auto totalPlates = startLists.front() == nullptr ? 1 : static_cast<std::int64_t>(startLists.size());
        const std::size_t room = limits::kMaxDrawings - conversions.size();
        const bool cutShort = startLists.size() > room;
        if (cutShort) startLists.resize(room);
        std::vector<FlattenResult> flattened =
            SceneGraphFlattener::flattenEach(canvas, document.processSettings, startLists, budget.flatten);
        for (std::size_t i = 0; i < flattened.size(); ++i) {
            conversions.push_back(convertOne(canvas, document, margin, flattened[i], static_cast<std::int64_t>(i) + 1,
                                             totalPlates, budget));
        }
        if (cutShort || (conversions.size() == limits::kMaxDrawings && &canvas != &document.canvases.back())) {
            conversions.back().warnings.push_back(concatenated("Document cut short after ", std::int64_t{limits::kMaxDrawings},
                                                               " drawings \u2014 the rest is skipped"));
            break;
        }
    }
    return conversions;
}

}  // namespace kerfwright
