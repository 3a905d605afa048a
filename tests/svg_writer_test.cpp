#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "writers/svg_writer.h"

namespace kerfwright {
namespace {

const std::string kIdentity = "1 0 0 1 0 0";
const std::string kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n";
const std::string kRootStart =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" version=\"1.1\" ";
const std::string kCutGroup =
    "<g id=\"Cut\" stroke=\"#FF0000\" fill=\"none\" stroke-width=\"0.1\" stroke-linecap=\"round\" "
    "stroke-linejoin=\"round\">\n";

LACObject object(std::int64_t id, LACObject::Kind kind, std::string name = "") {
    LACObject result;
    result.id = id;
    result.name = std::move(name);
    result.kind = std::move(kind);
    return result;
}

LACObject pathObject(std::int64_t id, std::string data, std::string name = "") {
    return object(id, LACObject::Path{std::move(data), false}, std::move(name));
}

LACObject groupObject(std::int64_t id, std::vector<LACComponent> components) {
    return object(id, LACObject::Group{std::move(components)});
}

LACComponent place(std::int64_t objId, std::string transform = kIdentity) { return {objId, std::move(transform)}; }

struct DocumentBuilder {
    LACDocument document;

    LACCanvas& canvas(std::int64_t index, std::string name = "") {
        document.canvases.push_back(LACCanvas{index, std::move(name), {}, {}});
        return document.canvases.back();
    }
    void process(std::int64_t canvasIndex, std::int64_t objId, std::string type) {
        document.processSettings.perCanvas[canvasIndex][objId] = std::move(type);
    }
};

std::vector<CanvasConversion> convert(const LACDocument& document) { return SVGWriter::convert(document, 5.0); }

TEST(SVGWriterTest, NoCanvasesGiveNoConversions) { EXPECT_TRUE(convert(LACDocument{}).empty()); }

TEST(SVGWriterTest, EmptyCanvasGetsTheDefaultBoxWithoutMargin) {
    DocumentBuilder builder;
    builder.canvas(3, "Back");
    const auto conversions = convert(builder.document);
    ASSERT_EQ(conversions.size(), 1u);
    const CanvasConversion& c = conversions[0];
    EXPECT_EQ(c.svg, kHeader + kRootStart +
                         "width=\"100mm\" height=\"100mm\" viewBox=\"0 0 100 100\" data-canvas-index=\"3\">\n</svg>\n");
    EXPECT_EQ(c.canvasIndex, 3);
    EXPECT_EQ(c.canvasName, "Back");
    EXPECT_EQ(c.plateIndex, 1);
    EXPECT_EQ(c.totalPlatesInCanvas, 1);
    EXPECT_TRUE(c.layerCounts.empty());
    EXPECT_TRUE(c.warnings.empty());
    EXPECT_EQ(c.bounds.minX, 0);
    EXPECT_EQ(c.bounds.minY, 0);
    EXPECT_EQ(c.bounds.maxX, 100);
    EXPECT_EQ(c.bounds.maxY, 100);
}

TEST(SVGWriterTest, SizesTheDocumentToTheContentPlusMargin) {
    DocumentBuilder builder;
    LACCanvas& canvas = builder.canvas(0);
    canvas.objects.push_back(pathObject(1, "M 10 20 L 110 70"));
    canvas.components.push_back(place(1));
    builder.process(0, 1, "LaserLineCut");

    const auto conversions = convert(builder.document);
    ASSERT_EQ(conversions.size(), 1u);
    EXPECT_EQ(conversions[0].svg, kHeader + kRootStart +
                                      "width=\"110mm\" height=\"60mm\" viewBox=\"5 15 110 60\" "
                                      "data-canvas-index=\"0\">\n" +
                                      kCutGroup + "  <path d=\"M 10 20 L 110 70\" data-obj-id=\"1\"/>\n</g>\n</svg>\n");
    EXPECT_EQ(conversions[0].bounds.minX, 5);
    EXPECT_EQ(conversions[0].bounds.maxY, 75);
    EXPECT_EQ(conversions[0].layerCounts, (std::map<LayerKind, std::int64_t>{{LayerKind::cut, 1}}));
}

TEST(SVGWriterTest, WritesEveryLayerInDrawOrderWithItsAttributes) {
    DocumentBuilder builder;
    builder.document.imageData["a.png"] = StoredBytes::plain("abc");
    LACCanvas& canvas = builder.canvas(0);
    canvas.objects = {
        pathObject(1, "M 0 0 L 10 0"),
        pathObject(2, "M 0 0 L 0 10"),
        object(3, LACObject::Ellipse{0, 0, 10, 5}),
        object(4, LACObject::CenterPointArc{{0, 0}, {5, 0}, {10, 0}, 1.5}),
        object(5, LACObject::RasterImage{"a.png", 2, 1}),
        pathObject(6, "M 1 1 L 2 2"),
    };
    for (std::int64_t id : {1, 2, 3, 4, 5, 6}) canvas.components.push_back(place(id));
    builder.process(0, 1, "LaserLineCut");
    builder.process(0, 2, "LaserLineEngrave");
    builder.process(0, 3, "LaserFillEngrave");
    builder.process(0, 4, "KCPenDraw");
    builder.process(0, 5, "LaserImageEngrave");

    const auto conversions = convert(builder.document);
    ASSERT_EQ(conversions.size(), 1u);
    EXPECT_EQ(conversions[0].svg,
              kHeader + kRootStart +
                  "width=\"30mm\" height=\"25mm\" viewBox=\"-15 -10 30 25\" data-canvas-index=\"0\">\n"
                  "<g id=\"Engrave-Image\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n"
                  "  <image x=\"0\" y=\"0\" width=\"2\" height=\"1\" preserveAspectRatio=\"none\" "
                  "transform=\"matrix(1 0 0 1 0 0)\" data-obj-id=\"5\" xlink:href=\"data:image/png;base64,YWJj\" />\n"
                  "</g>\n"
                  "<g id=\"Engrave-Fill\" fill=\"#000000\" stroke=\"none\" fill-rule=\"evenodd\" "
                  "stroke-linecap=\"round\" stroke-linejoin=\"round\">\n"
                  "  <path d=\"M 10 0 C 10 2.7614 5.5228 5 0 5 C -5.5228 5 -10 2.7614 -10 0 C -10 -2.7614 -5.5228 "
                  "-5 0 -5 C 5.5228 -5 10 -2.7614 10 0 Z\" data-obj-id=\"3\"/>\n"
                  "</g>\n"
                  "<g id=\"Engrave-Line\" stroke=\"#000000\" fill=\"none\" stroke-width=\"0.1\" "
                  "stroke-linecap=\"round\" stroke-linejoin=\"round\">\n"
                  "  <path d=\"M 0 0 L 0 10\" data-obj-id=\"2\"/>\n"
                  "</g>\n"
                  "<g id=\"Score\" stroke=\"#0000FF\" fill=\"none\" stroke-width=\"0.1\" "
                  "stroke-linecap=\"round\" stroke-linejoin=\"round\">\n"
                  "  <path d=\"M 0 0 L 5 0 L 10 0\" data-obj-id=\"4\"/>\n"
                  "</g>\n" +
                  kCutGroup +
                  "  <path d=\"M 0 0 L 10 0\" data-obj-id=\"1\"/>\n"
                  "</g>\n"
                  "<g id=\"Unknown\" stroke=\"#808080\" fill=\"none\" stroke-width=\"0.1\" "
                  "stroke-linecap=\"round\" stroke-linejoin=\"round\">\n"
                  "  <path d=\"M 1 1 L 2 2\" data-obj-id=\"6\"/>\n"
                  "</g>\n"
                  "</svg>\n");
    const std::map<LayerKind, std::int64_t> expectedCounts = {
        {LayerKind::engraveImage, 1}, {LayerKind::engraveFill, 1}, {LayerKind::engraveLine, 1},
        {LayerKind::score, 1},        {LayerKind::cut, 1},         {LayerKind::unknown, 1},
    };
    EXPECT_EQ(conversions[0].layerCounts, expectedCounts);
}

TEST(SVGWriterTest, KeepsNodeOrderWithinAGroupAndAppliesTransforms) {
    DocumentBuilder builder;
    LACCanvas& canvas = builder.canvas(0);
    canvas.objects = {pathObject(1, "M 0 0 L 1 0"), groupObject(2, {place(1, "2 0 0 2 0 0"), place(1)})};
    canvas.components = {place(2, "1 0 0 1 10 20"), place(1)};

    const auto conversions = convert(builder.document);
    ASSERT_EQ(conversions.size(), 1u);
    const std::string& svg = conversions[0].svg;
    const auto first = svg.find("<path d=\"M 10 20 L 12 20\"");
    const auto second = svg.find("<path d=\"M 10 20 L 11 20\"");
    const auto third = svg.find("<path d=\"M 0 0 L 1 0\"");
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    ASSERT_NE(third, std::string::npos);
    EXPECT_LT(first, second);
    EXPECT_LT(second, third);
    EXPECT_EQ(conversions[0].layerCounts.at(LayerKind::unknown), 3);
}

TEST(SVGWriterTest, EscapesNamesAndLeavesOutEmptyOnes) {
    DocumentBuilder builder;
    LACCanvas& canvas = builder.canvas(0);
    canvas.objects = {pathObject(1, "M 0 0 L 1 0", "Tom & \"Jerry\""), pathObject(-2, "M 0 0 L 0 1")};
    canvas.components = {place(1), place(-2)};

    const std::string svg = convert(builder.document)[0].svg;
    EXPECT_NE(svg.find("  <path d=\"M 0 0 L 1 0\" data-obj-id=\"1\" data-name=\"Tom &amp; &quot;Jerry&quot;\"/>\n"),
              std::string::npos);
    EXPECT_NE(svg.find("  <path d=\"M 0 0 L 0 1\" data-obj-id=\"-2\"/>\n"), std::string::npos);
}

TEST(SVGWriterTest, CountsPlacementsThatWriteNothing) {
    DocumentBuilder builder;
    builder.document.imageData["present.png"] = StoredBytes::plain("x");
    LACCanvas& canvas = builder.canvas(0);
    canvas.objects = {object(1, LACObject::RasterImage{"missing.png", 10, 10}), pathObject(2, "")};
    canvas.components = {place(1, "1 0 0 1 5 5"), place(2)};
    builder.process(0, 1, "LaserImageEngrave");
    builder.process(0, 2, "LaserLineCut");

    const auto conversions = convert(builder.document);
    ASSERT_EQ(conversions.size(), 1u);
    const CanvasConversion& c = conversions[0];
    // The missing image is reported; path data that draws nothing is not.
    EXPECT_EQ(c.warnings, (std::vector<std::string>{"Missing image 'missing.png' at obj_id=1 \u2014 skipped"}));
    EXPECT_EQ(c.layerCounts, (std::map<LayerKind, std::int64_t>{{LayerKind::engraveImage, 1}, {LayerKind::cut, 1}}));
    EXPECT_EQ(c.svg.find("<image"), std::string::npos);
    EXPECT_EQ(c.svg.find("<path"), std::string::npos);
    // Nothing written, nothing measured: the default page.
    EXPECT_NE(c.svg.find("viewBox=\"0 0 100 100\""), std::string::npos);
    EXPECT_NE(c.svg.find("<g id=\"Engrave-Image\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n</g>\n"),
              std::string::npos);
}

TEST(SVGWriterTest, DescribesFlattenWarningsBeforePathWarnings) {
    DocumentBuilder builder;
    LACCanvas& canvas = builder.canvas(0);
    LACObject strange = object(7, LACObject::Unknown{});
    strange.rawType = "TextObject";
    canvas.objects = {
        pathObject(1, "M 0 0 L 5"),
        pathObject(2, "X 1 2 M 0 0 L 1 1 5"),
        strange,
        groupObject(9, {place(9), place(1)}),
    };
    canvas.components = {place(1), place(2), place(1), place(42), place(7), place(3, "1 0 0 1 0"), place(9)};

    const auto conversions = convert(builder.document);
    ASSERT_EQ(conversions.size(), 1u);
    const std::vector<std::string> expected = {
        "Component references unknown obj_id=42",
        "Unknown object type 'TextObject' at obj_id=7 \u2014 skipped",
        "Bad transform '1 0 0 1 0' at obj_id=3 \u2014 skipped",
        "Cycle detected in scene graph at obj_id=9 \u2014 skipped",
        "Truncated path: 'L' wanted 2 numbers, got 1 (obj_id=1)",
        "Unknown path command 'X' in obj_id=2",
        "Unexpected token number(5.0) in obj_id=2",
        "Truncated path: 'L' wanted 2 numbers, got 1 (obj_id=1)",
        "Truncated path: 'L' wanted 2 numbers, got 1 (obj_id=1)",
    };
    EXPECT_EQ(conversions[0].warnings, expected);
    EXPECT_EQ(conversions[0].layerCounts.at(LayerKind::unknown), 4);
}

TEST(SVGWriterTest, SamePathPlacedTwiceWritesTwoElements) {
    DocumentBuilder builder;
    LACCanvas& canvas = builder.canvas(0);
    canvas.objects = {object(1, LACObject::Path{"M 0 0 L 1 0 L 2", true})};
    canvas.components = {place(1), place(1, "1 0 0 1 0 5")};

    const auto conversions = convert(builder.document);
    ASSERT_EQ(conversions.size(), 1u);
    EXPECT_NE(conversions[0].svg.find("  <path d=\"M 0 0 L 1 0 Z\" data-obj-id=\"1\"/>\n"
                                      "  <path d=\"M 0 5 L 1 5 Z\" data-obj-id=\"1\"/>\n"),
              std::string::npos);
    EXPECT_EQ(conversions[0].warnings.size(), 2u);
}

TEST(SVGWriterTest, SinglePlateConvertsTheWholeCanvas) {
    DocumentBuilder builder;
    LACCanvas& canvas = builder.canvas(5);
    canvas.objects = {pathObject(1, "M 0 0 L 1 0"), pathObject(2, "M 0 0 L 0 1")};
    canvas.components = {place(1), place(2)};
    builder.document.plateComponentsByCanvas[5] = {{place(2)}};

    const auto conversions = convert(builder.document);
    ASSERT_EQ(conversions.size(), 1u);
    EXPECT_EQ(conversions[0].plateIndex, 1);
    EXPECT_EQ(conversions[0].totalPlatesInCanvas, 1);
    EXPECT_EQ(conversions[0].svg.find("data-plate-index"), std::string::npos);
    EXPECT_EQ(conversions[0].layerCounts.at(LayerKind::unknown), 2);
}

TEST(SVGWriterTest, EachPlateBecomesItsOwnDocument) {
    DocumentBuilder builder;
    LACCanvas& first = builder.canvas(0, "Main");
    first.objects = {pathObject(1, "M 0 0 L 1 0"), pathObject(2, "M 0 0 L 0 1"), pathObject(3, "M 0 0 L 1 1")};
    first.components = {place(1), place(2), place(3)};
    builder.canvas(1);
    builder.document.plateComponentsByCanvas[0] = {{place(1)}, {place(2), place(3)}, {place(3)}};
    builder.document.plateComponentsByCanvas[8] = {{place(1)}, {place(2)}};

    const auto conversions = convert(builder.document);
    ASSERT_EQ(conversions.size(), 4u);
    const std::int64_t expectedCounts[] = {1, 2, 1};
    for (std::size_t i = 0; i < 3; ++i) {
        const CanvasConversion& c = conversions[i];
        EXPECT_EQ(c.canvasIndex, 0);
        EXPECT_EQ(c.canvasName, "Main");
        EXPECT_EQ(c.plateIndex, static_cast<std::int64_t>(i + 1));
        EXPECT_EQ(c.totalPlatesInCanvas, 3);
        EXPECT_NE(c.svg.find("data-canvas-index=\"0\" data-plate-index=\"" + std::to_string(i + 1) + "\">\n"),
                  std::string::npos);
        EXPECT_EQ(c.layerCounts.at(LayerKind::unknown), expectedCounts[i]);
    }
    EXPECT_EQ(conversions[3].canvasIndex, 1);
    EXPECT_EQ(conversions[3].totalPlatesInCanvas, 1);
}

TEST(SVGWriterTest, UsesTheStoredCanvasIndexForProcessTypes) {
    DocumentBuilder builder;
    LACCanvas& canvas = builder.canvas(3);
    canvas.objects = {pathObject(1, "M 0 0 L 1 0")};
    canvas.components = {place(1)};
    builder.process(0, 1, "LaserLineEngrave");
    builder.process(3, 1, "LaserLineCut");

    const auto conversions = convert(builder.document);
    ASSERT_EQ(conversions.size(), 1u);
    EXPECT_EQ(conversions[0].layerCounts, (std::map<LayerKind, std::int64_t>{{LayerKind::cut, 1}}));
    EXPECT_NE(conversions[0].svg.find("data-canvas-index=\"3\">"), std::string::npos);
}

TEST(SVGWriterTest, RoundsTheRootNumbersToFourPlaces) {
    DocumentBuilder builder;
    LACCanvas& canvas = builder.canvas(0);
    canvas.objects = {pathObject(1, "M 0.123456 -0.00004 L 10.5 3")};
    canvas.components = {place(1)};
    const auto conversions = SVGWriter::convert(builder.document, 0.0);
    ASSERT_EQ(conversions.size(), 1u);
    EXPECT_NE(conversions[0].svg.find("width=\"10.3765mm\" height=\"3mm\" viewBox=\"0.1235 0 10.3765 3\""),
              std::string::npos);
}

}  // namespace
}  // namespace kerfwright
