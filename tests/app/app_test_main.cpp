// The views need an application object; without a display they run on Qt's
// offscreen platform.
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <algorithm>

#include "svg_preview_view.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings the windows remember (the profile, recent projects) go to a
    // folder of the run's own, never to the user's.
    const QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings.path()));
    kerfwright::app::prepareWebEngineBeforeApplication();
    QApplication application(argc, argv);
    // The overlapping-load tests hold two workers at once, whatever the core count.
    QThreadPool::globalInstance()->setMaxThreadCount(std::max(4, QThreadPool::globalInstance()->maxThreadCount()));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
