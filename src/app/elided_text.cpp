#include "elided_text.h"

#include <QFontMetrics>
#include <QResizeEvent>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTextLayout>

#include <utility>

namespace kerfwright::app {
namespace {

constexpr QChar kEllipsis(0x2026);
constexpr int kWidestWithoutRoom = 1 << 20;  // "no width yet": one line per paragraph

// A button shows "&" as itself only when doubled; otherwise it marks a shortcut.
QString asButtonText(QString text) { return text.replace(QLatin1Char('&'), QStringLiteral("&&")); }

struct FittedText {
    QString shown;
    bool cut = false;
};

// The last line a limit allows: the rest of its paragraph, ending in "…"
// where it does not fit or where more paragraphs follow.
QString lastLine(const QString& rest, bool morePastIt, const QFontMetrics& metrics, int width) {
    if (!morePastIt) return metrics.elidedText(rest, Qt::ElideRight, width);
    const QString shortened = metrics.elidedText(rest, Qt::ElideRight, width - metrics.horizontalAdvance(kEllipsis));
    return shortened.endsWith(kEllipsis) ? shortened : shortened + kEllipsis;
}

// The text broken into lines of at most `width` pixels, each of its own
// lines wrapped alone, at most `maxLines` of them (none: no limit), the last
// cut with "…" when the text goes on.
FittedText fittedLines(const QString& text, const QFont& font, int width, int maxLines) {
    const QFontMetrics metrics(font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    QStringList lines;
    for (qsizetype p = 0; p < paragraphs.size(); ++p) {
        const QString& paragraph = paragraphs[p];
        QTextLayout layout(paragraph, font);
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        if (!line.isValid()) lines << QString();  // an empty line stays
        for (; line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            if (maxLines != ElidedLabel::kNoLineLimit && lines.size() + 1 == maxLines) {
                const QString rest = paragraph.mid(line.textStart());
                const QString last = lastLine(rest, p + 1 < paragraphs.size(), metrics, width);
                layout.endLayout();
                return {(lines << last).join(QLatin1Char('\n')), last != rest};
            }
            // A break at a blank drops it; a break inside a word keeps every character.
            QString shown = paragraph.mid(line.textStart(), line.textLength());
            while (shown.endsWith(QLatin1Char(' ')) && line.textStart() + line.textLength() < paragraph.size()) shown.chop(1);
            lines << shown;
        }
        layout.endLayout();
    }
    return {lines.join(QLatin1Char('\n')), false};
}

}  // namespace

ElidedLabel::ElidedLabel(QString text, int maxLines, QWidget* parent)
    : QLabel(parent), full_(std::move(text)), maxLines_(maxLines) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setText(full_);
}

void ElidedLabel::setFullText(QString text) {
    full_ = std::move(text);
    setText(full_);
    refit();
    updateGeometry();
}

int ElidedLabel::heightForWidth(int width) const {
    const QMargins margins = contentsMargins();
    const FittedText fitted = fittedLines(full_, font(), width - margins.left() - margins.right(), maxLines_);
    // Measured as the label draws its lines.
    const int height = fontMetrics().boundingRect(QRect(0, 0, kWidestWithoutRoom, kWidestWithoutRoom), 0, fitted.shown).height();
    return height + margins.top() + margins.bottom();
}

// As wide as the text's longest line, as high as it is at that width.
QSize ElidedLabel::sizeHint() const {
    const int width = fontMetrics().boundingRect(QRect(0, 0, kWidestWithoutRoom, kWidestWithoutRoom), 0, full_).width() +
                      contentsMargins().left() + contentsMargins().right();
    return {width, heightForWidth(width)};
}

QSize ElidedLabel::minimumSizeHint() const {
    return QSize(fontMetrics().horizontalAdvance(kEllipsis) * 4, fontMetrics().lineSpacing());
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    refit();
}

void ElidedLabel::refit() {
    const FittedText fitted = fittedLines(full_, font(), contentsRect().width(), maxLines_);
    if (fitted.shown != text()) setText(fitted.shown);
    cut_ = fitted.cut;
    setToolTip(cut_ ? full_ : QString());
}

ElidedButton::ElidedButton(QString text, QWidget* parent) : QPushButton(parent), full_(std::move(text)) {
    setText(asButtonText(full_));
    setAccessibleName(full_);
}

QSize ElidedButton::minimumSizeHint() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text = QString(kEllipsis);
    return style()->sizeFromContents(QStyle::CT_PushButton, &option, QSize(fontMetrics().horizontalAdvance(kEllipsis), fontMetrics().height()), this);
}

void ElidedButton::resizeEvent(QResizeEvent* event) {
    QPushButton::resizeEvent(event);
    refit();
}

// The label cut to the room the button's frame and margins leave.
void ElidedButton::refit() {
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect room = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    const QString shown = fontMetrics().elidedText(full_, Qt::ElideRight, room.width());
    setText(asButtonText(shown));
    setToolTip(shown == full_ ? QString() : full_);
}

ElidedComboBox::ElidedComboBox(QWidget* parent) : QComboBox(parent) {
    // Its width comes from its room, not from its longest label.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(1);
    connect(this, &QComboBox::currentIndexChanged, this, &ElidedComboBox::refitTip);
}

void ElidedComboBox::addItem(const QString& text) {
    QComboBox::addItem(text);
    setItemData(count() - 1, text, Qt::ToolTipRole);
}

QString ElidedComboBox::shownText() const {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return option.currentText;
}

// The label is drawn a pixel in from each side of the edit field.
void ElidedComboBox::initStyleOption(QStyleOptionComboBox* option) const {
    QComboBox::initStyleOption(option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, option, QStyle::SC_ComboBoxEditField, this);
    option->currentText = fontMetrics().elidedText(option->currentText, Qt::ElideRight, field.width() - 2);
}

void ElidedComboBox::resizeEvent(QResizeEvent* event) {
    QComboBox::resizeEvent(event);
    refitTip();
}

void ElidedComboBox::refitTip() { setToolTip(shownText() == currentText() ? QString() : currentText()); }

}  // namespace kerfwright::app
