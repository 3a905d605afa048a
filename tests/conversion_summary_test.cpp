#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/conversion_summary.h"
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

// The colours come from the profiles, written "#RRGGBB" in either case.
TEST(ConversionSummaryTest, ColorFromHexReadsTheProfilesColours) {
    const struct {
        std::string_view text;
        RgbColor color;
    } cases[] = {{"#FF0000", {255, 0, 0}}, {"#808080", {128, 128, 128}}, {"#AbCdEf", {0xab, 0xcd, 0xef}}};
    for (const auto& c : cases) EXPECT_EQ(colorFromHex(c.text), c.color) << c.text;
}

TEST(ConversionSummaryTest, PreviewLeavesOutTheHiddenLayersGroups) {
    const std::string svg = "<svg><g id=\"Score\" stroke=\"#0000FF\"/><g id=\"Cut\" stroke=\"#FF0000\"/></svg>";
    EXPECT_EQ(previewSvg(svg, {}), svg);
    EXPECT_EQ(previewSvg(svg, {LayerKind::cut, LayerKind::engraveFill}),
              "<svg><g id=\"Score\" stroke=\"#0000FF\"/><g id=\"Cut\" display=\"none\" stroke=\"#FF0000\"/></svg>");
}

}  // namespace
}  // namespace kerfwright
