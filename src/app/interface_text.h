#pragma once
// The core's fixed texts on the window's widgets. Each widget that shows one
// carries its key, and each tool tip the key of its text, so that a test can
// hold what the window shows to what the page shows, key by key.

#include <QString>
#include <QWidget>

#include "qt_text.h"
#include "session/interface_texts.h"

namespace kerfwright::app {

inline QString qtText(const InterfaceTexts::Text& text) { return qtText(text.text); }

// The widget, marked as showing `text` (set by the caller, which may mark it up).
template <class Widget>
Widget* showing(Widget* widget, const InterfaceTexts::Text& text) {
    widget->setProperty("textKey", qtText(text.key));
    return widget;
}

inline void setTip(QWidget& widget, const InterfaceTexts::Text& tip) {
    widget.setToolTip(qtText(tip));
    widget.setProperty("tipKey", qtText(tip.key));
}

}  // namespace kerfwright::app
