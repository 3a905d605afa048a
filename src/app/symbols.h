#pragma once
// The window's symbols, taken from the desktop's icon theme and drawn in one
// colour, as symbolic icons are meant to be.

#include <QColor>
#include <QIcon>
#include <QPixmap>

namespace kerfwright::app::Symbols {

enum class Symbol {
    dropFile,     // the empty window's invitation, and Save All
    saveFile,     // saving one drawing
    warningFill,  // the error view
    warning,      // beside the warnings of a drawing
};

// The themed icon, or an empty one when the theme has none of its names.
QIcon icon(Symbol symbol);

// The icon at `size` device-independent pixels, recoloured to `color`.
QPixmap tinted(Symbol symbol, int size, const QColor& color);

// The orange of warnings and errors.
QColor warningColor();

}  // namespace kerfwright::app::Symbols
