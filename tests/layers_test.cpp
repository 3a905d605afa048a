#include <gtest/gtest.h>

#include <optional>
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
    EXPECT_EQ(stroke(LayerKind::unknown), std::optional<std::string_view>("#808080"));
}

TEST(LayerKindTest, FromTextIsExact) {
    EXPECT_EQ(layerKindFromText("Engrave-Line"), LayerKind::engraveLine);
    EXPECT_FALSE(layerKindFromText("engrave-line"));
    EXPECT_FALSE(layerKindFromText("Engrave Line"));
    EXPECT_FALSE(layerKindFromText(""));
}

}  // namespace
}  // namespace kerfwright
