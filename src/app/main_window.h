#pragma once
// One main window: its own state, its content, and the File menu.

#include <QMainWindow>

#include "app_state.h"
#include "qt_file_dialogs.h"

class QMenu;

namespace kerfwright::app {

class ContentView;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);

    AppState& state() { return state_; }
    ContentView& content() { return *content_; }

private:
    void createFileMenu();
    void listRecent(QMenu& menu);
    void rememberOpened();
    void showTitle();

    QtFileDialogs dialogs_;
    AppState state_;
    ContentView* content_ = nullptr;
};

// A new window, shown; it deletes itself when closed.
MainWindow* openWindow();

// "Open .lac File…" acts on the main window that has focus, and does nothing
// while none has.
void openInFocusedWindow();

}  // namespace kerfwright::app
