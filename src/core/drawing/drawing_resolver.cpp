#include "drawing/drawing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <span>
#include <unordered_map>
#include <utility>

#include "drawing/drawing_warnings.h"
#include "drawing/path_parses.h"
#include "geometry/path_emitter.h"
#include "scene/flattener.h"
#include "text/base64.h"
#include "text/number_text.h"
#include "text/svg_format.h"
#include "values/input_limits.h"

namespace kerfwright {

std::string canvasDisplayName(std::int64_t canvasIndex, std::string_view canvasName) {
    if (!canvasName.empty()) return std::string(canvasName);
    std::string name = "Canvas ";
    text::appendInteger(name, canvasIndex);
    return name;
}

namespace resolving {
namespace {

constexpr BoundingBox kDefaultBox{0, 0, 100, 100};
// What an element line holds beyond its path data or matrix and its name:
// the tag, the attribute names and the object id. The element-text limit
// counts it as this much.
constexpr std::uint64_t kElementLineAllowance = 64;
// The text of a placement matrix, six numbers of at most 13 characters each.
constexpr std::uint64_t kMatrixTextAllowance = 96;

// One placement resolved: the element to draw and what it covers, or nothing.
struct Resolved {
    std::optional<DrawnElement> element;
    BoundingBox bounds;
};

// The kind of picture a file's first bytes announce, as a data address names
// it; nothing for any other file, which readers would refuse.
std::optional<std::string_view> imageMediaType(std::string_view head) {
    if (head.starts_with("\x89PNG\r\n\x1a\n")) return "image/png";
    if (head.starts_with("\xff\xd8\xff")) return "image/jpeg";
    if (head.starts_with("GIF87a") || head.starts_with("GIF89a")) return "image/gif";
    if (head.size() >= 12 && head.starts_with("RIFF") && head.substr(8, 4) == "WEBP") return "image/webp";
    return std::nullopt;
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
            outline = outlineOf(node, [&](const LACObject& path, const Transform2D& transform) {
                return parses_.outline(path, transform);
            });
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
}  // namespace resolving

std::vector<DrawingResolver::CanvasPlan> DrawingResolver::planOf(const LACDocument& document) {
    std::vector<CanvasPlan> plans;
    std::size_t planned = 0;
    for (const LACCanvas& canvas : document.canvases) {
        std::vector<const std::vector<LACComponent>*> startLists = resolving::startListsOf(canvas, document);
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
    resolving::ConversionBudget budget;
    for (const CanvasPlan& plan : planOf(document)) {
        std::vector<FlattenResult> flattened =
            SceneGraphFlattener::flattenEach(*plan.canvas, document.processSettings, plan.startLists, budget.flatten);
        std::vector<resolving::PathSlot> pathSlots(plan.canvas->objects.size());
        for (std::size_t i = 0; i < flattened.size(); ++i) {
            Drawing drawing = resolving::resolveOne(*plan.canvas, document, margin, flattened[i], static_cast<std::int64_t>(i) + 1,
                                         plan.totalPlates, budget, pathSlots, threads);
            if (plan.documentCutShort && i + 1 == flattened.size()) {
                drawing.warnings.push_back(resolving::concatenated("Document cut short after ",
                                                        std::int64_t{limits::kMaxDrawings},
                                                        " drawings \u2014 the rest is skipped"));
            }
            take(std::move(drawing));
        }
    }
}

}  // namespace kerfwright
