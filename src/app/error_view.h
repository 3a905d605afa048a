#pragma once
// The face of a window whose last load or save failed: the message, and a
// way back to the empty window.

#include <QWidget>

#include <string>

namespace kerfwright::app {

class AppState;

class ErrorView : public QWidget {
    Q_OBJECT

public:
    ErrorView(const std::string& message, AppState& state, QWidget* parent = nullptr);
};

}  // namespace kerfwright::app
