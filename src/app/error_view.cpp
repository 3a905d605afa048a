#include "error_view.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

#include "app_state.h"
#include "elided_text.h"
#include "interface_text.h"
#include "qt_text.h"
#include "symbols.h"
#include "text_styles.h"

namespace kerfwright::app {
namespace {

constexpr int kErrorFaceSpacing = 16;
constexpr int kErrorSymbolSize = 48;
constexpr int kMessageMaxWidth = 600;
constexpr int kMessageMaxHeight = 200;
constexpr int kMessagePadding = 12;
constexpr int kMessageStretch = 1000;

QLabel* warningSymbolLabel() {
    auto* label = new QLabel;
    label->setPixmap(Symbols::tinted(Symbols::Symbol::warningFill, kErrorSymbolSize, Symbols::warningColor()));
    return label;
}

QLabel* headingLabel() {
    auto* label = showing(new QLabel(qtText(InterfaceTexts::kErrorHeading)), InterfaceTexts::kErrorHeading);
    label->setFont(TextStyles::headline());
    return label;
}

// Messages can hold long paths: they wrap anywhere, scroll when tall, and
// can be selected to be copied.
QScrollArea* messageBox(const std::string& message) {
    auto* text = new ElidedLabel(qtText(message), ElidedLabel::kNoLineLimit);
    text->setObjectName(QStringLiteral("errorMessage"));
    text->setFont(TextStyles::calloutMonospaced());
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text->setContentsMargins(kMessagePadding, kMessagePadding, kMessagePadding, kMessagePadding);
    text->setStyleSheet(QStringLiteral("background: palette(alternate-base); border-radius: 8px;"));

    auto* box = new QScrollArea;
    box->setWidget(text);
    box->setWidgetResizable(true);
    box->setFrameShape(QFrame::NoFrame);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // As wide as the window allows up to the limit, as tall as the text is
    // at that limit up to the limit of height; narrower, it scrolls.
    box->setMaximumWidth(kMessageMaxWidth);
    box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    box->setFixedHeight(std::min(kMessageMaxHeight, text->heightForWidth(kMessageMaxWidth)));
    box->setStyleSheet(QStringLiteral("QScrollArea { background: transparent; }"));
    return box;
}

}  // namespace

ErrorView::ErrorView(const std::string& message, AppState& state, QWidget* parent) : QWidget(parent) {
    auto* tryAgainButton =
        showing(new QPushButton(qtText(InterfaceTexts::kTryAnotherFile)), InterfaceTexts::kTryAnotherFile);
    TextStyles::makeLarge(*tryAgainButton);
    connect(tryAgainButton, &QPushButton::clicked, &state, [&state] { state.setPhase(EmptyPhase{}); });
    setFocusProxy(tryAgainButton);

    auto* column = new QVBoxLayout(this);
    column->setSpacing(kErrorFaceSpacing);
    column->addStretch();
    column->addWidget(warningSymbolLabel(), 0, Qt::AlignHCenter);
    column->addWidget(headingLabel(), 0, Qt::AlignHCenter);
    // The message takes the width, the blanks beside it what is left past its limit.
    auto* messageRow = new QHBoxLayout;
    messageRow->addStretch(1);
    messageRow->addWidget(messageBox(message), kMessageStretch);
    messageRow->addStretch(1);
    column->addLayout(messageRow);
    column->addWidget(tryAgainButton, 0, Qt::AlignHCenter);
    column->addStretch();
}

}  // namespace kerfwright::app
