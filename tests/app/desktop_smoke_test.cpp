// Starts the real application on a bundled example under a virtual X server,
// lets it grab its own window once the preview has painted, and looks at the
// picture: the sidebar on the left, the drawing on the right.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <algorithm>
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

// The window the application grabs of itself showing `example` on a
// 1280×800 screen at `scale`.
QImage windowShowing(const std::string& example, const std::string& scale) {
    const std::string folder = kerfwright::testing::makeTemporaryFolder();
    const std::string png = folder + "/window.png";
    const auto result = runCommand({KERFWRIGHT_XVFB_RUN, "--auto-servernum", "--server-args=-screen 0 1280x800x24",
                                    "env", "QT_SCALE_FACTOR=" + scale, KERFWRIGHT_APP_PATH, "--screenshot", png,
                                    std::string(KERFWRIGHT_SOURCE_DIR) + "/examples/" + example});
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    QImage image(QString::fromStdString(png));
    fs::remove_all(folder);
    return image;
}

TEST(DesktopSmoke, ShowsAnExampleUnderAnXServer) {
    const QImage image = windowShowing("coaster.lac", "1");
    ASSERT_FALSE(image.isNull());
    EXPECT_GE(image.width(), 720);
    EXPECT_GE(image.height(), 480);
    const PixelCounts counts = countInPreview(image);
    EXPECT_GT(counts.red, 100);
    EXPECT_GT(counts.dark, 1000);
}

// At twice the scale the window is smaller than the box's front at its own
// size: the outline is fitted inside the preview, clear of the window's
// right edge.
TEST(DesktopSmoke, FitsTheDrawingInASmallViewAtTwiceTheScale) {
    const QImage image = windowShowing("box.lac", "2");
    ASSERT_FALSE(image.isNull());
    int right = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = image.width() / 2; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > c.green() + 40 && c.red() > c.blue() + 40) right = std::max(right, x);
        }
    }
    ASSERT_GE(right, 0) << "no outline in the preview";
    EXPECT_LT(right, image.width() - 8);
}

}  // namespace
