// The mapping of process types onto layers, one case per line of
// cases/layers.tsv; the layers' colours and widths are in the golden
// conversions (cases/drawings/every-layer.txt).

#include "scene/layers.h"

#include <gtest/gtest.h>

#include <string>

#include "support/case_file.h"

namespace kerfwright {
namespace {

TEST(LayerMapper, Cases) {
    for (const testing::Case& c : testing::readCases("layers.tsv", 2)) {
        const LayerKind layer = LayerMapper::layer(&c.fields[0]);
        EXPECT_EQ(rawValue(layer), c.fields[1]) << c.where;
        EXPECT_EQ(layerKindFromText(c.fields[1]), layer) << c.where;
    }
    EXPECT_EQ(LayerMapper::layer(nullptr), LayerKind::unknown);
    EXPECT_FALSE(layerKindFromText("engrave-line"));
}

}  // namespace
}  // namespace kerfwright
