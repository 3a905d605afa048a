#include "drawing_details.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <string>
#include <vector>

#include "elided_text.h"
#include "interface_text.h"
#include "qt_text.h"
#include "symbols.h"
#include "text/number_text.h"
#include "text_styles.h"

namespace kerfwright::app::details {
namespace {

namespace texts = InterfaceTexts;

constexpr int kDotDiameter = 10;
constexpr int kFileNameMaxLines = 2;

// Text from the project in secondary colour, wrapped to the sidebar's width
// however long its words, so that it never widens the sidebar.
QLabel* wrappedText(const QString& text, const QFont& font) {
    auto* result = new ElidedLabel(text, ElidedLabel::kNoLineLimit);
    result->setFont(font);
    TextStyles::makeSecondary(*result);
    return result;
}

// Side by side buttons of which one is down, like a segmented control.
QWidget* segmentedPicker(const std::vector<DrawingDescription>& all, std::size_t selected, const Choose& choose) {
    auto* picker = new QWidget;
    auto* segments = new QHBoxLayout(picker);
    segments->setContentsMargins(0, 0, 0, 0);
    segments->setSpacing(0);
    auto* group = new QButtonGroup(picker);
    for (std::size_t i = 0; i < all.size(); ++i) {
        auto* segment = new ElidedButton(qtText(all[i].label));
        segment->setCheckable(true);
        segment->setChecked(i == selected);
        segment->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        group->addButton(segment, static_cast<int>(i));
        segments->addWidget(segment);
    }
    QObject::connect(group, &QButtonGroup::idClicked, picker,
                     [choose](int id) { choose(static_cast<std::size_t>(id)); });
    return picker;
}

QWidget* popUpPicker(const std::vector<DrawingDescription>& all, std::size_t selected, const Choose& choose) {
    auto* picker = new ElidedComboBox;
    for (const DrawingDescription& drawing : all) picker->addItem(qtText(drawing.label));
    picker->setCurrentIndex(static_cast<int>(selected));
    QObject::connect(picker, &QComboBox::activated, picker,
                     [choose](int index) { choose(static_cast<std::size_t>(index)); });
    return picker;
}

QPixmap dot(const ConversionSummary::RgbColor& color) {
    const qreal ratio = qGuiApp->devicePixelRatio();
    QPixmap pixmap(QSize(kDotDiameter, kDotDiameter) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(color.red, color.green, color.blue));
    painter.drawEllipse(QRectF(0, 0, kDotDiameter, kDotDiameter));
    return pixmap;
}

// Lines of the settings summary as the sidecar has them, to read and select.
QLabel* recordedLabel(const std::string& lines, const char* objectName) {
    QLabel* recorded = wrappedText(qtText(lines), TextStyles::caption());
    recorded->setObjectName(QString::fromLatin1(objectName));
    recorded->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return recorded;
}


// A layer's row: whether the preview shows it, its dot, name and count, and
// under it the settings the project recorded for it.
QWidget* layerRow(const LayerRowDescription& description, const LayerRowContext& context) {
    const LayerKind layer = description.layer;
    auto* shown = new QCheckBox(qtText(rawValue(layer)));
    shown->setObjectName(QStringLiteral("showLayer"));
    shown->setFont(TextStyles::callout());
    setTip(*shown, texts::kShowLayer);
    shown->setChecked(!context.hidden.contains(layer));
    QObject::connect(shown, &QCheckBox::toggled, shown, [layer, show = context.show](bool on) { show(layer, on); });
    auto* dotLabel = new QLabel;
    dotLabel->setObjectName(QStringLiteral("layerDot"));
    dotLabel->setPixmap(dot(ConversionSummary::colorFromHex(description.colour)));
    QHBoxLayout* line = row(kRowPartSpacing);
    line->addWidget(dotLabel);
    line->addWidget(shown);
    line->addStretch();
    QLabel* count = secondaryLabel(qtText(text::integerText(description.count)), TextStyles::calloutFixedDigits());
    count->setObjectName(QStringLiteral("layerCount"));
    line->addWidget(count);

    auto* result = new QWidget;
    result->setObjectName(QStringLiteral("layerRow"));
    QVBoxLayout* parts = column(result, kRowSpacing);
    parts->addLayout(line);
    if (description.settings) parts->addWidget(recordedLabel(*description.settings, "layerSettings"));
    return result;
}

QLayout* warningsHeading() {
    auto* symbol = new QLabel;
    symbol->setPixmap(Symbols::tinted(Symbols::Symbol::warning, kWarningSymbolSize, Symbols::warningColor()));
    QLabel* text = showing(label(qtText(texts::kWarningsHeading), TextStyles::subheadlineSemibold()), texts::kWarningsHeading);
    QPalette palette = text->palette();
    palette.setColor(QPalette::WindowText, Symbols::warningColor());
    text->setPalette(palette);
    QHBoxLayout* layout = row(kRowSpacing);
    layout->addWidget(symbol);
    layout->addWidget(text);
    layout->addStretch();
    return layout;
}

}  // namespace

QLabel* label(const QString& text, const QFont& font) {
    auto* label = new QLabel(text);
    label->setFont(font);
    return label;
}

QLabel* secondaryLabel(const QString& text, const QFont& font) {
    QLabel* result = label(text, font);
    TextStyles::makeSecondary(*result);
    return result;
}

QVBoxLayout* column(QWidget* owner, int spacing) {
    auto* layout = new QVBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

QHBoxLayout* row(int spacing) {
    auto* layout = new QHBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

// The name as it is, markup and all, on at most two lines.
QLabel* fileNameLabel(const LoadedDocument& loaded) {
    auto* name = new ElidedLabel(qtPathText(loaded.sourcePath.filename()), kFileNameMaxLines);
    name->setFont(TextStyles::headline());
    name->setObjectName(QStringLiteral("fileName"));
    return name;
}

QWidget* picker(const DocumentDescription& description, std::size_t selected, const Choose& choose) {
    QWidget* result = description.pickerStyle == ConversionSummary::PickerStyle::segmented
                          ? segmentedPicker(description.drawings, selected, choose)
                          : popUpPicker(description.drawings, selected, choose);
    result->setObjectName(QStringLiteral("conversionPicker"));
    return result;
}

QWidget* layerSummary(const DocumentDescription& document, const DrawingDescription& drawing,
                      const LayerRowContext& context) {
    auto* summary = new QWidget;
    summary->setObjectName(QStringLiteral("layerSummary"));
    QVBoxLayout* rows = column(summary, kRowSpacing);
    rows->addWidget(showing(label(qtText(texts::kLayersHeading), TextStyles::subheadlineSemibold()), texts::kLayersHeading));
    if (document.materialAndMachine) rows->addWidget(recordedLabel(*document.materialAndMachine, "materialAndMachine"));
    for (const LayerRowDescription& layer : drawing.layers) rows->addWidget(layerRow(layer, context));
    return summary;
}

QLayout* boundsRow(const DrawingDescription& drawing) {
    QLabel* size = secondaryLabel(qtText(drawing.size), TextStyles::calloutFixedDigits());
    size->setObjectName(QStringLiteral("boundsText"));
    QHBoxLayout* layout = row(kRowPartSpacing);
    layout->addWidget(showing(label(qtText(texts::kBoundsHeading), TextStyles::subheadlineSemibold()), texts::kBoundsHeading));
    layout->addStretch();
    layout->addWidget(size);
    return layout;
}

QWidget* warningsBlock(const DrawingDescription& drawing) {
    auto* block = new QWidget;
    block->setObjectName(QStringLiteral("warningsBlock"));
    QVBoxLayout* items = column(block, kRowSpacing);
    items->addLayout(warningsHeading());
    for (const std::string& warning : drawing.warnings) {
        QLabel* item = wrappedText(qtText(std::string(texts::kWarningBullet.text) + warning), TextStyles::caption());
        item->setObjectName(QStringLiteral("warning"));
        items->addWidget(item);
    }
    return block;
}

}  // namespace kerfwright::app::details
