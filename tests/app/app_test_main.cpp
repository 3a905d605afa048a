// The views need an application object; without a display they run on Qt's
// offscreen platform.
#include <QApplication>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <algorithm>

#include "svg_preview_view.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    kerfwright::app::prepareWebEngineBeforeApplication();
    QApplication application(argc, argv);
    // The overlapping-load tests hold two workers at once, whatever the core count.
    QThreadPool::globalInstance()->setMaxThreadCount(std::max(4, QThreadPool::globalInstance()->maxThreadCount()));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
