#include <QApplication>

#include "application.h"
#include "svg_preview_view.h"

int main(int argc, char** argv) {
    kerfwright::app::prepareWebEngineBeforeApplication();
    QApplication application(argc, argv);
    return kerfwright::app::runApplication(application);
}
