#pragma once
// The parts of the window's sidebar that show a document's facts: its name,
// the drawing picker, each layer's row, the size and the warnings; and the
// few layout helpers the sidebar is built with.

#include <QString>

#include <cstddef>
#include <functional>
#include <set>
#include <string>

#include "session/document_description.h"
#include "session/save_outputs.h"

class QFont;
class QHBoxLayout;
class QLabel;
class QLayout;
class QVBoxLayout;
class QWidget;

namespace kerfwright::app::details {

inline constexpr int kRowSpacing = 4;
inline constexpr int kRowPartSpacing = 8;
inline constexpr int kWarningSymbolSize = 14;

QLabel* label(const QString& text, const QFont& font);
// In the secondary colour.
QLabel* secondaryLabel(const QString& text, const QFont& font);
// A column filling `owner`, without margins.
QVBoxLayout* column(QWidget* owner, int spacing);
// A row without margins.
QHBoxLayout* row(int spacing);

// The document's file name.
QLabel* fileNameLabel(const LoadedDocument& loaded);

using Choose = std::function<void(std::size_t)>;
// The document's drawings to choose between, `selected` chosen; `choose` is
// called with the position of the one the user picks.
QWidget* picker(const DocumentDescription& description, std::size_t selected, const Choose& choose);

// What a layer's row needs beyond its description: what the preview hides.
struct LayerRowContext {
    const std::set<LayerKind>& hidden;
    std::function<void(LayerKind, bool)> show;
};

// The heading, the material and machine, and a row for each layer.
QWidget* layerSummary(const DocumentDescription& document, const DrawingDescription& drawing,
                      const LayerRowContext& context);
// The drawing's size, beside its heading.
QLayout* boundsRow(const DrawingDescription& drawing);
// The drawing's warnings under their heading.
QWidget* warningsBlock(const DrawingDescription& drawing);

}  // namespace kerfwright::app::details
