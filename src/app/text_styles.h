#pragma once
// The window's type styles, from the desktop's own fonts: the sizes are
// steps relative to the application font so that the user's font settings
// carry through.

#include <QColor>
#include <QFont>

class QLabel;
class QPushButton;

namespace kerfwright::app::TextStyles {

QFont title();
QFont headline();
QFont subheadlineSemibold();
QFont callout();
QFont calloutMonospaced();
QFont caption();
// The callout size with digits of equal width, for counts and measurements.
QFont calloutFixedDigits();

// Text that matters less than its surroundings.
QColor secondaryColor();
void makeSecondary(QLabel& label);

// A prominent button: larger text and more room around it.
void makeLarge(QPushButton& button);

}  // namespace kerfwright::app::TextStyles
