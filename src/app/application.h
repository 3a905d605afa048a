#pragma once
// The application: one window per file named on the command line (the way
// the desktop hands over files it opens with Kerfwright), or one empty
// window.

class QApplication;

namespace kerfwright::app {

// Names the application, reads the command line, opens the windows and runs
// until the last window closes; returns the exit status.
int runApplication(QApplication& application);

}  // namespace kerfwright::app
