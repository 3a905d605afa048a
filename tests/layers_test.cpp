#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "scene/layers.h"

namespace kerfwright {
namespace {

struct MappingCase {
    std::string_view processType;
    LayerKind expected;
};

class LayerMapperTest : public testing::TestWithParam<MappingCase> {};

TEST_P(LayerMapperTest, MapsExactTextToLayer) {
    const MappingCase& c = GetParam();
    const std::string owned(c.processType);
    EXPECT_EQ(LayerMapper::layer(&owned), c.expected);
    EXPECT_EQ(LayerMapper::layer(std::optional<std::string_view>(c.processType)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    ProcessTypes, LayerMapperTest,
    testing::Values(MappingCase{"LaserLineCut", LayerKind::cut}, MappingCase{"KCBasicCut", LayerKind::cut},
                    MappingCase{"LaserLineEngrave", LayerKind::engraveLine},
                    MappingCase{"LaserFillEngrave", LayerKind::engraveFill},
                    MappingCase{"LaserImageEngrave", LayerKind::engraveImage},
                    MappingCase{"KCScoreDraw", LayerKind::score}, MappingCase{"KCEngraveDraw", LayerKind::score},
                    MappingCase{"KCPerforateDraw", LayerKind::score}, MappingCase{"KCPenDraw", LayerKind::score},
                    MappingCase{"KCPenDrawFill", LayerKind::score},
                    // No trimming, case folding or prefix matching.
                    MappingCase{"laserlinecut", LayerKind::unknown}, MappingCase{" LaserLineCut", LayerKind::unknown},
                    MappingCase{"LaserLineCut1", LayerKind::unknown}, MappingCase{"LaserLine", LayerKind::unknown},
                    MappingCase{"", LayerKind::unknown}, MappingCase{"Cut", LayerKind::unknown}));

TEST(LayerMapperAbsentTest, NoProcessTypeIsUnknownGrey) {
    EXPECT_EQ(LayerMapper::layer(static_cast<const std::string*>(nullptr)), LayerKind::unknown);
    EXPECT_EQ(LayerMapper::layer(std::optional<std::string_view>()), LayerKind::unknown);
    EXPECT_EQ(stroke(LayerKind::unknown), std::optional<std::string_view>("#808080"));
}

struct StyleCase {
    LayerKind layer;
    std::string_view name;
    std::optional<std::string_view> stroke;
    std::optional<std::string_view> fill;
    double width;
};

class LayerStyleTest : public testing::TestWithParam<StyleCase> {};

TEST_P(LayerStyleTest, HasFixedNameColoursAndWidth) {
    const StyleCase& c = GetParam();
    EXPECT_EQ(rawValue(c.layer), c.name);
    EXPECT_EQ(stroke(c.layer), c.stroke);
    EXPECT_EQ(fill(c.layer), c.fill);
    EXPECT_EQ(strokeWidthMillimeters(c.layer), c.width);
    EXPECT_EQ(layerKindFromText(c.name), c.layer);
}

INSTANTIATE_TEST_SUITE_P(
    Layers, LayerStyleTest,
    testing::Values(StyleCase{LayerKind::engraveImage, "Engrave-Image", std::nullopt, std::nullopt, 0},
                    StyleCase{LayerKind::engraveFill, "Engrave-Fill", std::nullopt, "#000000", 0},
                    StyleCase{LayerKind::engraveLine, "Engrave-Line", "#000000", std::nullopt, 0.1},
                    StyleCase{LayerKind::score, "Score", "#0000FF", std::nullopt, 0.1},
                    StyleCase{LayerKind::cut, "Cut", "#FF0000", std::nullopt, 0.1},
                    StyleCase{LayerKind::unknown, "Unknown", "#808080", std::nullopt, 0.1}));

TEST(LayerKindTest, DrawOrderHoldsAllSixOnceInDeclarationOrder) {
    const std::set<LayerKind> distinct(kLayerDrawOrder.begin(), kLayerDrawOrder.end());
    EXPECT_EQ(distinct.size(), 6u);
    EXPECT_EQ(kLayerDrawOrder.front(), LayerKind::engraveImage);
    EXPECT_EQ(kLayerDrawOrder.back(), LayerKind::unknown);
}

TEST(LayerKindTest, FromTextIsExact) {
    EXPECT_EQ(layerKindFromText("Engrave-Line"), LayerKind::engraveLine);
    EXPECT_FALSE(layerKindFromText("engrave-line"));
    EXPECT_FALSE(layerKindFromText("Engrave Line"));
    EXPECT_FALSE(layerKindFromText(""));
}

}  // namespace
}  // namespace kerfwright
