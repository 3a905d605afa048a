#include "text_styles.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

namespace kerfwright::app::TextStyles {
namespace {

QFont resized(QFont font, double factor) {
    font.setPointSizeF(font.pointSizeF() * factor);
    return font;
}

QFont weighted(QFont font, QFont::Weight weight) {
    font.setWeight(weight);
    return font;
}

}  // namespace

QFont title() { return weighted(resized(QApplication::font(), 1.6), QFont::DemiBold); }

QFont headline() { return weighted(QApplication::font(), QFont::Bold); }

QFont subheadlineSemibold() { return weighted(resized(QApplication::font(), 0.93), QFont::DemiBold); }

QFont callout() { return resized(QApplication::font(), 0.93); }

QFont calloutMonospaced() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(callout().pointSizeF());
    return font;
}

QFont caption() { return resized(QApplication::font(), 0.85); }

// Desktop sans-serif faces draw their digits at equal widths by default, and
// a monospaced face would look out of place beside the layer names.
QFont calloutFixedDigits() { return callout(); }

QColor secondaryColor() { return QApplication::palette().color(QPalette::PlaceholderText); }

void makeSecondary(QLabel& label) {
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, secondaryColor());
    label.setPalette(palette);
}

void makeLarge(QPushButton& button) {
    button.setFont(resized(button.font(), 1.1));
    button.setMinimumHeight(button.sizeHint().height() + 8);
}

}  // namespace kerfwright::app::TextStyles
