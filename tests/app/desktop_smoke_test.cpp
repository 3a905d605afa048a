// Starts the real application on a bundled example under a virtual X server,
// lets it grab its own window once the preview has painted, and looks at the
// picture: the sidebar on the left, the drawing on the right.
#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>
#include <string>

#include "support/run_command.h"

namespace {

namespace fs = std::filesystem;
using kerfwright::testing::runCommand;

struct PixelCounts {
    int red = 0;   // the cut outline
    int dark = 0;  // the engraved lettering and the raster logo
};

PixelCounts countInPreview(const QImage& image) {
    PixelCounts counts;
    // The sidebar is at most 360 pixels wide; the preview fills the rest.
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 400; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > c.green() + 40 && c.red() > c.blue() + 40) ++counts.red;
            if (c.red() < 80 && c.green() < 80 && c.blue() < 80) ++counts.dark;
        }
    }
    return counts;
}

TEST(DesktopSmoke, ShowsAnExampleUnderAnXServer) {
    const std::string folder = kerfwright::testing::makeTemporaryFolder();
    const std::string png = folder + "/window.png";
    const auto result = runCommand({KERFWRIGHT_XVFB_RUN, "--auto-servernum", "--server-args=-screen 0 1280x800x24",
                                    KERFWRIGHT_APP_PATH, "--screenshot", png,
                                    std::string(KERFWRIGHT_SOURCE_DIR) + "/examples/coaster.lac"});
    ASSERT_EQ(result.exitStatus, 0) << result.standardError;

    const QImage image(QString::fromStdString(png));
    ASSERT_FALSE(image.isNull());
    EXPECT_GE(image.width(), 720);
    EXPECT_GE(image.height(), 480);
    const PixelCounts counts = countInPreview(image);
    EXPECT_GT(counts.red, 100);
    EXPECT_GT(counts.dark, 1000);
    fs::remove_all(folder);
}

}  // namespace
