#include "symbols.h"

#include <QPainter>
#include <QString>

namespace kerfwright::app::Symbols {
namespace {

// Names from the freedesktop icon naming scheme.
QString themeName(Symbol symbol) {
    switch (symbol) {
        case Symbol::dropFile: return QStringLiteral("folder-download");
        case Symbol::saveFile: return QStringLiteral("document-save");
        case Symbol::warningFill: return QStringLiteral("dialog-warning");
        case Symbol::warning: return QStringLiteral("dialog-warning");
    }
    return {};
}

}  // namespace

QIcon icon(Symbol symbol) {
    // Symbolic variants first: they are drawn in one colour to be tinted.
    const QString name = themeName(symbol);
    return QIcon::fromTheme(name + QStringLiteral("-symbolic"), QIcon::fromTheme(name));
}

QPixmap tinted(Symbol symbol, int size, const QColor& color) {
    QPixmap pixmap = icon(symbol).pixmap(size, size);
    if (pixmap.isNull()) return pixmap;
    QPainter painter(&pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(pixmap.rect(), color);
    return pixmap;
}

QColor warningColor() { return QColor(0xFF, 0x95, 0x00); }

}  // namespace kerfwright::app::Symbols
