#pragma once
// The face of a window without a document: an invitation to drop or choose one.

#include <QWidget>

namespace kerfwright::app {

class AppState;

class EmptyStateView : public QWidget {
    Q_OBJECT

public:
    EmptyStateView(AppState& state, QWidget* parent = nullptr);
};

}  // namespace kerfwright::app
