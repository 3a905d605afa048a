#include "writers/svg_writer.h"

#include <functional>
#include <optional>
#include <set>
#include <utility>

#include "values/huge_pages.h"
#include "values/work_sharing.h"
#include "text/number_text.h"
#include "text/svg_format.h"
#include "writers/image_emitter.h"

namespace kerfwright {
namespace {

// Room for the declaration, the root tag and the closing tag.
constexpr std::size_t kDocumentOverhead = 512;
// Room for one group's tags.
constexpr std::size_t kGroupOverhead = 192;
// Room for one element line beyond its path data and name.
constexpr std::size_t kElementOverhead = 64;

constexpr std::string_view kInkscapeNamespace = "http://www.inkscape.org/namespaces/inkscape";

void appendGroupStartTag(std::string& out, LayerKind layer, const OutputProfile& profile) {
    out += "<g id=\"";
    out += rawValue(layer);
    out += '"';
    if (profile.name == ProfileName::inkscape) {
        out += " inkscape:groupmode=\"layer\" inkscape:label=\"";
        out += rawValue(layer);
        out += '"';
    }
    if (layer == LayerKind::engraveFill) {
        out += " fill=\"";
        out += profile.colour(layer).value_or("");
        out += "\" stroke=\"none\" fill-rule=\"evenodd\"";
    } else if (layer != LayerKind::engraveImage) {
        out += " stroke=\"";
        out += profile.colour(layer).value_or("");
        out += "\" fill=\"none\" stroke-width=\"";
        SVGFormat::appendNum(out, profile.strokeWidthMillimeters(layer));
        out += '"';
    }
    out += " stroke-linecap=\"round\" stroke-linejoin=\"round\">\n";
}

void appendPathLine(std::string& out, const DrawnElement& element, std::string&& d) {
    out += "  <path d=\"";
    out += d;
    std::string().swap(d);  // written: its memory goes back at once
    out += '"';
    SVGFormat::appendObjectAttributes(out, element.objId, element.name);
    out += "/>\n";
}

void appendElementLine(std::string& out, DrawnElement& element) {
    if (auto* path = std::get_if<DrawnElement::Path>(&element.kind)) {
        appendPathLine(out, element, std::move(path->d));
        return;
    }
    const std::size_t lineStart = out.size();
    out += "  ";
    if (!ImageEmitter::appendElement(out, element)) {
        out.resize(lineStart);
        return;
    }
    out += '\n';
}

void appendRootStartTag(std::string& out, const BoundingBox& box, std::int64_t canvasIndex,
                        std::optional<std::int64_t> plateIndex, const OutputProfile& profile) {
    const double width = box.maxX - box.minX;
    const double height = box.maxY - box.minY;
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\"";
    if (profile.name == ProfileName::inkscape) {
        out += " xmlns:inkscape=\"";
        out += kInkscapeNamespace;
        out += '"';
    }
    out += " version=\"1.1\" width=\"";
    SVGFormat::appendNum(out, width);
    out += "mm\" height=\"";
    SVGFormat::appendNum(out, height);
    out += "mm\" viewBox=\"";
    SVGFormat::appendNum(out, box.minX);
    out += ' ';
    SVGFormat::appendNum(out, box.minY);
    out += ' ';
    SVGFormat::appendNum(out, width);
    out += ' ';
    SVGFormat::appendNum(out, height);
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

// Close to the document's length, so that it is built without reallocating;
// images are embedded at their exact Base64 length.
std::size_t expectedLength(const Drawing& drawing) {
    std::size_t length = kDocumentOverhead;
    for (const DrawnLayer& layer : drawing.layers) {
        length += kGroupOverhead;
        for (const DrawnElement& element : layer.elements) {
            length += kElementOverhead + element.name.size();
            if (const auto* path = std::get_if<DrawnElement::Path>(&element.kind)) {
                length += path->d.size();
            } else {
                length += ImageEmitter::expectedLength(std::get<DrawnElement::Image>(element.kind));
            }
        }
    }
    return length;
}

// The SVG document of one drawing; its path data is moved out as written.
std::string documentOf(Drawing& drawing, const OutputProfile& profile) {
    std::string svg;
    reserveOnHugePages(svg, expectedLength(drawing));
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n";
    const bool onPlate = drawing.totalPlatesInCanvas >= 2;
    appendRootStartTag(svg, drawing.bounds, drawing.canvasIndex, onPlate ? std::optional(drawing.plateIndex) : std::nullopt,
                       profile);
    for (DrawnLayer& layer : drawing.layers) {
        appendGroupStartTag(svg, layer.layer, profile);
        for (DrawnElement& element : layer.elements) appendElementLine(svg, element);
        svg += "</g>\n";
    }
    svg += "</svg>\n";
    return svg;
}

}  // namespace

std::size_t distinctCanvasCount(const std::vector<CanvasConversion>& all) {
    std::set<std::int64_t> indices;
    for (const CanvasConversion& conversion : all) indices.insert(conversion.canvasIndex);
    return indices.size();
}

void SVGWriter::convertEach(const LACDocument& document, double margin, const OutputProfile& profile,
                            std::size_t threads, const std::function<void(CanvasConversion&&)>& take) {
    // With more than one thread, a drawing's text is written out and handed
    // over while the next drawing is resolved.
    consumeAlongside<Drawing>(
        threads,
        [&](const auto& hand) { DrawingResolver::resolveEach(document, margin, threads, hand); },
        [&](Drawing&& drawing) {
            std::string svg = documentOf(drawing, profile);
            take(CanvasConversion{
                .canvasIndex = drawing.canvasIndex,
                .canvasName = std::move(drawing.canvasName),
                .plateIndex = drawing.plateIndex,
                .totalPlatesInCanvas = drawing.totalPlatesInCanvas,
                .svg = std::move(svg),
                .layerCounts = std::move(drawing.layerCounts),
                .warnings = std::move(drawing.warnings),
                .bounds = drawing.bounds,
            });
        });
}

std::vector<CanvasConversion> SVGWriter::convert(const LACDocument& document, double margin,
                                                 const OutputProfile& profile, std::size_t threads) {
    std::vector<CanvasConversion> conversions;
    convertEach(document, margin, profile, threads,
                [&](CanvasConversion&& conversion) { conversions.push_back(std::move(conversion)); });
    return conversions;
}

std::vector<CanvasConversion> SVGWriter::undrawnConversions(const LACDocument& document) {
    std::vector<CanvasConversion> planned;
    for (const DrawingResolver::CanvasPlan& plan : DrawingResolver::planOf(document)) {
        for (std::size_t i = 0; i < plan.startLists.size(); ++i) {
            CanvasConversion conversion;
            conversion.canvasIndex = plan.canvas->index;
            conversion.canvasName = plan.canvas->name;
            conversion.plateIndex = static_cast<std::int64_t>(i) + 1;
            conversion.totalPlatesInCanvas = plan.totalPlates;
            planned.push_back(std::move(conversion));
        }
    }
    return planned;
}

}  // namespace kerfwright
