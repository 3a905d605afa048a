#include "writers/svg_writer.h"

#include <array>
#include <charconv>
#include <optional>
#include <type_traits>
#include <unordered_map>
#include <utility>

#include "geometry/path_emitter.h"
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

// Parses the data of every path placement. Each distinct object is parsed
// once, but its warnings are repeated for every placement, and the commands
// kept under an id are those of the last placement with that id, exactly as
// if every placement had been parsed anew.
ParsedPaths parsePlacedPaths(const std::vector<FlattenedNode>& nodes, std::vector<std::string>& warnings) {
    struct ParsedObject {
        PathParseResult result;
        std::vector<std::string> warningTexts;
    };
    std::unordered_map<const LACObject*, ParsedObject> byObject;
    std::unordered_map<std::int64_t, const LACObject*> lastPlacedWithId;
    for (const FlattenedNode& node : nodes) {
        const auto* path = std::get_if<LACObject::Path>(&node.object->kind);
        if (path == nullptr) continue;
        auto [entry, isNew] = byObject.try_emplace(node.object);
        if (isNew) {
            entry->second.result = PathParser::parse(path->data);
            for (const PathParseWarning& warning : entry->second.result.warnings) {
                entry->second.warningTexts.push_back(describePath(warning, node.object->id));
            }
        }
        warnings.insert(warnings.end(), entry->second.warningTexts.begin(), entry->second.warningTexts.end());
        lastPlacedWithId[node.object->id] = node.object;
    }
    ParsedPaths parsed;
    parsed.reserve(lastPlacedWithId.size());
    for (const auto& [id, object] : lastPlacedWithId) {
        parsed.emplace(id, std::move(byObject.at(object).result.commands));
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

void appendPathLine(std::string& out, std::string_view d, const LACObject& object) {
    out += "  <path d=\"";
    out += d;
    out += '"';
    SVGFormat::appendObjectAttributes(out, object.id, object.name);
    out += "/>\n";
}

void appendElementLine(std::string& out, const FlattenedNode& node, const LACDocument& document,
                       const ParsedPaths& parsed) {
    const LACObject& object = *node.object;
    std::visit(Overloaded{
                   [&](const LACObject::Path& path) {
                       const auto commands = parsed.find(object.id);
                       if (commands == parsed.end()) return;
                       const std::string d = PathEmitter::emit(commands->second, node.transform, path.isClosed);
                       if (!d.empty()) appendPathLine(out, d, object);
                   },
                   [&](const LACObject::RasterImage&) {
                       const auto element = ImageEmitter::emit(node, document.imageData);
                       if (!element) return;
                       out += "  ";
                       out += *element;
                       out += '\n';
                   },
                   [&](const LACObject::Ellipse& e) {
                       appendPathLine(out,
                                      PathEmitter::emitEllipse(e.centerX, e.centerY, e.radiusX, e.radiusY,
                                                               node.transform),
                                      object);
                   },
                   [&](const LACObject::CenterPointArc& arc) {
                       appendPathLine(out, PathEmitter::emitCenterPointArc(arc.p0, arc.p1, arc.p2, node.transform),
                                      object);
                   },
                   [](const LACObject::Group&) {},
                   [](const LACObject::Unknown&) {},
               },
               object.kind);
}

void appendGroup(std::string& out, LayerKind layer, const std::vector<const FlattenedNode*>& nodes,
                 const LACDocument& document, const ParsedPaths& parsed) {
    appendGroupStartTag(out, layer);
    for (const FlattenedNode* node : nodes) appendElementLine(out, *node, document, parsed);
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
                            const std::optional<std::vector<LACComponent>>& topLevel, std::int64_t plateIndex,
                            std::int64_t totalPlates) {
    const FlattenResult flattened = SceneGraphFlattener::flatten(canvas, document.processSettings, topLevel);

    std::vector<std::string> warnings;
    warnings.reserve(flattened.warnings.size());
    for (const FlattenWarning& warning : flattened.warnings) warnings.push_back(describe(warning));
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
    for (LayerKind layer : kLayerDrawOrder) {
        const auto& nodes = nodesByLayer[slot(layer)];
        if (!nodes.empty()) appendGroup(svg, layer, nodes, document, parsed);
    }
    svg += "</svg>\n";

    return CanvasConversion{
        .canvasIndex = canvas.index,
        .canvasName = canvas.name,
        .plateIndex = plateIndex,
        .totalPlatesInCanvas = totalPlates,
        .svg = std::move(svg),
        .layerCounts = std::move(layerCounts),
        .warnings = std::move(warnings),
        .bounds = box,
    };
}

}  // namespace

std::vector<CanvasConversion> SVGWriter::convert(const LACDocument& document, double margin) {
    std::vector<CanvasConversion> conversions;
    conversions.reserve(document.canvases.size());
    for (const LACCanvas& canvas : document.canvases) {
        const auto plates = document.plateComponentsByCanvas.find(canvas.index);
        const std::size_t plateCount = plates == document.plateComponentsByCanvas.end() ? 0 : plates->second.size();
        if (plateCount < 2) {
            // A single plate is the whole canvas: convert from its own components.
            conversions.push_back(convertOne(canvas, document, margin, std::nullopt, 1, 1));
            continue;
        }
        const auto totalPlates = static_cast<std::int64_t>(plateCount);
        for (std::size_t i = 0; i < plateCount; ++i) {
            conversions.push_back(convertOne(canvas, document, margin, plates->second[i],
                                             static_cast<std::int64_t>(i) + 1, totalPlates));
        }
    }
    return conversions;
}

}  // namespace kerfwright
