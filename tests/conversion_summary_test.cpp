#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/conversion_summary.h"
#include "writers/preview_page.h"
#include "support/conversions.h"

namespace kerfwright {
namespace {

using namespace ConversionSummary;

using kerfwright::testing::conversion;

TEST(ConversionSummaryTest, LayerRowsSkipEmptyLayersCutFirst) {
    CanvasConversion c = conversion(0, "");
    c.layerCounts = {{LayerKind::engraveImage, 1}, {LayerKind::cut, 2}, {LayerKind::score, 0}, {LayerKind::unknown, 3}};
    const std::vector<std::pair<LayerKind, std::int64_t>> expected = {
        {LayerKind::unknown, 3}, {LayerKind::cut, 2}, {LayerKind::engraveImage, 1}};
    EXPECT_EQ(layerRows(c), expected);
}

TEST(ConversionSummaryTest, PickerIsSegmentedUpToFour) {
    EXPECT_EQ(pickerStyle(0), PickerStyle::hidden);
    EXPECT_EQ(pickerStyle(1), PickerStyle::hidden);
    EXPECT_EQ(pickerStyle(2), PickerStyle::segmented);
    EXPECT_EQ(pickerStyle(4), PickerStyle::segmented);
    EXPECT_EQ(pickerStyle(5), PickerStyle::popUpMenu);
}

TEST(ConversionSummaryTest, ColorFromHexReadsLeadingDigits) {
    const struct {
        std::string_view text;
        RgbColor color;
    } cases[] = {
        {"#FF0000", {255, 0, 0}}, {"0000ff", {0, 0, 255}},  {"#808080", {128, 128, 128}},
        {"#12zz", {0, 0, 0x12}},  {"", {0, 0, 0}},          {"#xyz", {0, 0, 0}},
        {"#AbCdEf", {0xab, 0xcd, 0xef}}, {"#1FF0000", {255, 0, 0}},
        {"#FFFFFFFFFFFFFFFFFF", {255, 255, 255}},
    };
    for (const auto& c : cases) EXPECT_EQ(colorFromHex(c.text), c.color) << c.text;
}

TEST(ConversionSummaryTest, PreviewLeavesOutTheHiddenLayersGroups) {
    const std::string svg = "<svg><g id=\"Score\" stroke=\"#0000FF\"/><g id=\"Cut\" stroke=\"#FF0000\"/></svg>";
    EXPECT_EQ(previewSvg(svg, {}), svg);
    EXPECT_EQ(previewSvg(svg, {LayerKind::cut, LayerKind::engraveFill}),
              "<svg><g id=\"Score\" stroke=\"#0000FF\"/><g id=\"Cut\" display=\"none\" stroke=\"#FF0000\"/></svg>");
}

TEST(PreviewPageTest, WrapsTheSvgBetweenFixedHeaderAndTail) {
    const std::vector<std::string> headerLines = {
        "<!doctype html>",
        "<html><head><meta charset=\"utf-8\"><style>",
        "html, body { margin: 0; padding: 0; height: 100%; background:",
        "  repeating-conic-gradient(#f3f3f3 0% 25%, #fff 0% 50%) 50% / 16px 16px; }",
        "body { display: flex; align-items: center; justify-content: center; }",
        "svg { max-width: 96%; max-height: 96%; }",
        "</style></head><body>",
    };
    std::string expected;
    for (const std::string& line : headerLines) expected += line + "\n";
    ASSERT_EQ(expected.size(), 328u);
    expected += "abc\n</body></html>";
    EXPECT_EQ(PreviewPage::html("abc"), expected);
}

}  // namespace
}  // namespace kerfwright
