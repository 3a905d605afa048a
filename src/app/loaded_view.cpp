#include "loaded_view.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>
#include <set>
#include <utility>

#include "app_state.h"
#include "drawing_details.h"
#include "elided_text.h"
#include "interface_text.h"
#include "qt_text.h"
#include "svg_preview_view.h"
#include "symbols.h"
#include "text_styles.h"

namespace kerfwright::app {
namespace {

namespace texts = InterfaceTexts;
using namespace details;

constexpr int kSidebarSpacing = 16;
constexpr int kButtonSpacing = 8;
constexpr int kMinimumFlexibleSpace = 8;
constexpr int kSidebarMinWidth = 260;
constexpr int kSidebarIdealWidth = 300;
constexpr int kSidebarMaxWidth = 360;
constexpr int kBusyBarWidth = 48;

QPushButton* button(const QString& text, bool large) {
    auto* result = new QPushButton(text);
    if (large) TextStyles::makeLarge(*result);
    result->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return result;
}

QWidget* noContent() {
    QLabel* text = showing(secondaryLabel(qtText(texts::kNoContent), QGuiApplication::font()), texts::kNoContent);
    text->setAlignment(Qt::AlignCenter);
    return text;
}

}  // namespace

LoadedView::LoadedView(std::shared_ptr<const LoadedDocument> loaded, std::size_t selection,
                       std::set<LayerKind> hidden, AppState& state, QWidget* parent)
    : QWidget(parent),
      loaded_(std::move(loaded)),
      description_(describe(*loaded_)),
      selection_(selection),
      state_(state),
      hidden_(std::move(hidden)) {
    // The drawing's description scrolls; the output choice and the buttons
    // below it stay in view.
    auto* scrolled = new QScrollArea;
    scrolled->setWidget(sidebar());
    scrolled->setWidgetResizable(true);
    scrolled->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrolled->setFrameShape(QFrame::NoFrame);
    auto* sidebarPane = new QWidget;
    QVBoxLayout* pane = column(sidebarPane, kSidebarSpacing);
    pane->setContentsMargins(0, 0, 0, kSidebarSpacing);
    pane->addWidget(scrolled, 1);
    QWidget* fixed = new QWidget;
    QVBoxLayout* fixedColumn = column(fixed, kSidebarSpacing);
    fixedColumn->setContentsMargins(kSidebarSpacing, 0, kSidebarSpacing, 0);
    fixedColumn->addWidget(profileChoice());
    fixedColumn->addWidget(buttons());
    pane->addWidget(fixed);
    // Never narrower than its fixed part needs: a check box's text cannot wrap.
    sidebarPane->setMinimumWidth(std::max(kSidebarMinWidth, sidebarPane->minimumSizeHint().width()));
    sidebarPane->setMaximumWidth(kSidebarMaxWidth);

    QWidget* content = noContent();
    if (const auto index = currentIndex()) {
        preview_ = new SvgPreviewView;
        showInPreview(*index, SvgPreviewView::Placement::reset);
        content = previewPane();
    }

    auto* split = new QSplitter(Qt::Horizontal);
    split->setChildrenCollapsible(false);
    split->addWidget(sidebarPane);
    split->addWidget(content);
    split->setStretchFactor(1, 1);
    split->setSizes({kSidebarIdealWidth, width()});
    QVBoxLayout* whole = column(this, 0);
    whole->addWidget(saveFailureBanner());
    whole->addWidget(split, 1);
}

// A strip across the top, in the colour of warnings, with the message and a
// button that puts it away.
QWidget* LoadedView::saveFailureBanner() {
    saveFailure_ = new QFrame;
    saveFailure_->setObjectName(QStringLiteral("saveFailureBanner"));
    saveFailure_->setStyleSheet(QStringLiteral("#saveFailureBanner { background: %1; }")
                                    .arg(Symbols::warningColor().lighter(170).name()));
    QHBoxLayout* line = row(kRowPartSpacing);
    line->setContentsMargins(kSidebarSpacing, kRowPartSpacing, kSidebarSpacing, kRowPartSpacing);
    auto* symbol = new QLabel;
    symbol->setPixmap(Symbols::tinted(Symbols::Symbol::warning, kWarningSymbolSize, Symbols::warningColor()));
    saveFailureText_ = new ElidedLabel(QString(), ElidedLabel::kNoLineLimit);
    saveFailureText_->setObjectName(QStringLiteral("saveFailure"));
    saveFailureText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPushButton* dismiss = showing(new QPushButton(qtText(texts::kDismiss)), texts::kDismiss);
    connect(dismiss, &QPushButton::clicked, saveFailure_, &QWidget::hide);
    line->addWidget(symbol);
    line->addWidget(saveFailureText_, 1);
    line->addWidget(dismiss);
    saveFailure_->setLayout(line);
    saveFailure_->hide();
    return saveFailure_;
}

void LoadedView::showSaveFailure(const QString& message) {
    saveFailureText_->setFullText(message);
    saveFailure_->show();
}

std::optional<std::size_t> LoadedView::currentIndex() const {
    if (loaded_->conversions.empty()) return std::nullopt;
    return selection_ < loaded_->conversions.size() ? selection_ : 0;
}

void LoadedView::select(std::size_t index) {
    selection_ = index;
    emit selectionChanged(selection_);
    replaceDetails();
    showInPreview(index, SvgPreviewView::Placement::reset);
}

void LoadedView::showLayer(LayerKind layer, bool shown) {
    if (shown) {
        hidden_.erase(layer);
    } else {
        hidden_.insert(layer);
    }
    emit hiddenLayersChanged(hidden_);
    if (const auto index = currentIndex()) showInPreview(*index, SvgPreviewView::Placement::keep);
}

void LoadedView::showInPreview(std::size_t index, SvgPreviewView::Placement placement) {
    if (!preview_) return;
    const CanvasConversion& conversion = loaded_->conversions[index];
    const BoundingBox& box = conversion.bounds;
    const QSizeF millimeters(box.maxX - box.minX, box.maxY - box.minY);
    preview_->showSvg(ConversionSummary::previewSvg(conversion.svg, hidden_), millimeters, placement);
}

// Shown from the moment the preview is asked for a drawing until the engine
// has drawn it: a large drawing takes seconds.
QWidget* LoadedView::previewBusy() {
    auto* busy = new QWidget;
    busy->setObjectName(QStringLiteral("previewBusy"));
    QHBoxLayout* parts = row(kRowPartSpacing);
    auto* turning = new QProgressBar;
    turning->setRange(0, 0);  // no measure of progress: it only turns
    turning->setTextVisible(false);
    turning->setFixedWidth(kBusyBarWidth);
    parts->addWidget(turning);
    parts->addWidget(showing(secondaryLabel(qtText(texts::kPreviewBusy), TextStyles::caption()), texts::kPreviewBusy));
    busy->setLayout(parts);
    busy->setVisible(!preview_->isShowingPlacement());
    connect(preview_, &SvgPreviewView::drawn, busy, [busy](bool done) { busy->setVisible(!done); });
    return busy;
}

// The preview under a bar with its zoom buttons; the wheel and the keys zoom too.
QWidget* LoadedView::previewPane() {
    auto* pane = new QWidget;
    QVBoxLayout* stack = column(pane, 0);
    QHBoxLayout* bar = row(kButtonSpacing);
    bar->setContentsMargins(kButtonSpacing, kRowSpacing, kButtonSpacing, kRowSpacing);
    bar->addWidget(previewBusy());
    bar->addStretch();
    const auto onKeys = [pane, preview = preview_](const QList<QKeySequence>& keys, void (SvgPreviewView::*zoom)()) {
        for (const QKeySequence& key : keys) connect(new QShortcut(key, pane), &QShortcut::activated, preview, zoom);
    };
    const auto zoomButton = [&](const InterfaceTexts::Text& name, const QKeySequence& key,
                                void (SvgPreviewView::*zoom)()) {
        const QString text = qtText(name);
        auto* zoomer = showing(new QPushButton(text), name);
        zoomer->setToolTip(text + QStringLiteral(" (") + key.toString(QKeySequence::NativeText) + QStringLiteral(")"));
        connect(zoomer, &QPushButton::clicked, preview_, zoom);
        onKeys({key}, zoom);
        bar->addWidget(zoomer);
    };
    zoomButton(texts::kFit, QKeySequence(Qt::CTRL | Qt::Key_0), &SvgPreviewView::fit);
    zoomButton(texts::kActualSize, QKeySequence(Qt::CTRL | Qt::Key_1), &SvgPreviewView::showActualSize);
    // Ctrl+= is Ctrl++ without the Shift key.
    onKeys({QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)}, &SvgPreviewView::zoomIn);
    onKeys({QKeySequence::ZoomOut}, &SvgPreviewView::zoomOut);
    stack->addLayout(bar);
    stack->addWidget(preview_, 1);
    return pane;
}

QWidget* LoadedView::sidebar() {
    auto* bar = new QWidget;
    sidebarColumn_ = column(bar, kSidebarSpacing);
    sidebarColumn_->setContentsMargins(kSidebarSpacing, kSidebarSpacing, kSidebarSpacing, kSidebarSpacing);
    sidebarColumn_->addWidget(fileNameLabel(*loaded_));
    if (description_.pickerHeading) {
        QLabel* heading = label(qtText(*description_.pickerHeading), TextStyles::subheadlineSemibold());
        heading->setObjectName(QStringLiteral("pickerHeading"));
        sidebarColumn_->addWidget(heading);
        sidebarColumn_->addWidget(picker(description_, currentIndex().value_or(0), [this](std::size_t i) { select(i); }));
    }
    details_ = details();
    sidebarColumn_->addWidget(details_);
    sidebarColumn_->addSpacerItem(
        new QSpacerItem(0, kMinimumFlexibleSpace, QSizePolicy::Minimum, QSizePolicy::Expanding));
    return bar;
}

// How the drawings are written for the next program; a change converts the
// document again.
QWidget* LoadedView::profileChoice() {
    auto* box = new QWidget;
    QVBoxLayout* items = column(box, kRowSpacing);
    items->addWidget(showing(label(qtText(texts::kOutputHeading), TextStyles::subheadlineSemibold()), texts::kOutputHeading));
    auto* menu = new QComboBox;
    menu->setObjectName(QStringLiteral("profileMenu"));
    for (const ProfileName name : kAllProfileNames) menu->addItem(qtText(rawValue(name)));
    menu->setCurrentText(qtText(rawValue(state_.profile().name)));
    auto* hairline = showing(new QCheckBox(qtText(texts::kHairline)), texts::kHairline);
    hairline->setObjectName(QStringLiteral("hairline"));
    hairline->setChecked(state_.profile().hairline);
    const auto choose = [this, menu, hairline] {
        const auto name = profileNameFromText(menu->currentText().toStdString());
        state_.setProfile({name.value_or(ProfileName::standard), hairline->isChecked()});
    };
    connect(menu, &QComboBox::activated, this, choose);
    connect(hairline, &QCheckBox::toggled, this, choose);
    items->addWidget(menu);
    items->addWidget(hairline);
    return box;
}

// Everything that describes the chosen drawing, rebuilt when the choice changes.
QWidget* LoadedView::details() {
    auto* box = new QWidget;
    QVBoxLayout* items = column(box, kSidebarSpacing);
    const auto index = currentIndex();
    if (!index) return box;
    const DrawingDescription& drawing = description_.drawings[*index];
    const LayerRowContext context{hidden_, [this](LayerKind layer, bool shown) { showLayer(layer, shown); }};
    items->addWidget(layerSummary(description_, drawing, context));
    if (description_.settingsRecorded) {
        // The whole summary as the sidecar holds it, to paste where the settings are entered.
        QPushButton* copy = showing(button(qtText(texts::kCopySettings), false), texts::kCopySettings);
        copy->setObjectName(QStringLiteral("copySettings"));
        connect(copy, &QPushButton::clicked, this, [this, index = *index] {
            const auto text = sidecarText(loaded_->conversions[index], *loaded_);
            QGuiApplication::clipboard()->setText(qtText(text.value_or("")));
        });
        items->addWidget(copy);
    }
    items->addLayout(boundsRow(drawing));
    if (!drawing.warnings.empty()) items->addWidget(warningsBlock(drawing));
    return box;
}

void LoadedView::replaceDetails() {
    QWidget* replacement = details();
    delete sidebarColumn_->replaceWidget(details_, replacement);
    details_->deleteLater();
    details_ = replacement;
}

QWidget* LoadedView::buttons() {
    auto* box = new QWidget;
    QVBoxLayout* stack = column(box, kButtonSpacing);
    QPushButton* saveOne = saveOneButton();
    stack->addWidget(saveOne);
    // Nothing drawn, nothing to save.
    saveOne->setEnabled(!loaded_->conversions.empty());
    QPushButton* mainAction = saveOne;
    if (loaded_->conversions.size() >= 2) stack->addWidget(mainAction = saveAllButton());
    // Its shortcut, Ctrl+O, belongs to the window's File menu, which opens
    // into the same window; a second owner of the key would silence both.
    QPushButton* openAnother = showing(button(qtText(texts::kOpenAnother), false), texts::kOpenAnother);
    connect(openAnother, &QPushButton::clicked, &state_, &AppState::openFilePanel);
    stack->addWidget(openAnother);
    // The face's keyboard focus starts on its main action.
    setFocusProxy(saveOne->isEnabled() ? mainAction : openAnother);
    return box;
}

QPushButton* LoadedView::saveOneButton() {
    QPushButton* saveOne = showing(button(qtText(texts::kSaveOne), true), texts::kSaveOne);
    saveOne->setObjectName(QStringLiteral("saveOne"));
    saveOne->setIcon(Symbols::icon(Symbols::Symbol::saveFile));
    saveOne->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    setTip(*saveOne, texts::kSaveOneTip);
    connect(saveOne, &QPushButton::clicked, this, [this] {
        if (const auto index = currentIndex()) state_.saveOne(*loaded_, *index);
    });
    return saveOne;
}

QPushButton* LoadedView::saveAllButton() {
    QPushButton* saveAll = button(qtText(description_.saveAllTitle.value_or("")), true);
    saveAll->setObjectName(QStringLiteral("saveAll"));
    saveAll->setIcon(Symbols::icon(Symbols::Symbol::dropFile));
    connect(saveAll, &QPushButton::clicked, this, [this] { state_.saveAll(*loaded_); });
    return saveAll;
}

}  // namespace kerfwright::app
