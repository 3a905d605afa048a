#include "empty_state_view.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app_state.h"
#include "interface_text.h"
#include "symbols.h"
#include "text_styles.h"

namespace kerfwright::app {
namespace {

constexpr int kColumnSpacing = 14;
constexpr int kDropSymbolSize = 64;
constexpr int kSpaceAboveButton = 4;

// The text as rich text: "**" around bold words, "\n" for a line break, and
// everything else shown as it is.
QString markedText(std::string_view marked) {
    const QStringList parts = qtText(marked).split(QStringLiteral("**"));
    QString html;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0) html += i % 2 == 1 ? QStringLiteral("<b>") : QStringLiteral("</b>");
        html += parts[i].toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    }
    return html;
}

QLabel* dropSymbolLabel() {
    auto* label = new QLabel;
    label->setPixmap(Symbols::tinted(Symbols::Symbol::dropFile, kDropSymbolSize, TextStyles::secondaryColor()));
    return label;
}

QLabel* titleLabel() {
    auto* label = showing(new QLabel(qtText(InterfaceTexts::kTitle)), InterfaceTexts::kTitle);
    label->setFont(TextStyles::title());
    return label;
}

QLabel* instructionLabel() {
    auto* label = showing(new QLabel(markedText(InterfaceTexts::kDropInstruction.text)), InterfaceTexts::kDropInstruction);
    label->setTextFormat(Qt::RichText);
    label->setAlignment(Qt::AlignCenter);
    TextStyles::makeSecondary(*label);
    return label;
}

}  // namespace

EmptyStateView::EmptyStateView(AppState& state, QWidget* parent) : QWidget(parent) {
    auto* chooseButton = showing(new QPushButton(qtText(InterfaceTexts::kChooseFile)), InterfaceTexts::kChooseFile);
    TextStyles::makeLarge(*chooseButton);
    connect(chooseButton, &QPushButton::clicked, &state, &AppState::openFilePanel);
    setFocusProxy(chooseButton);

    auto* column = new QVBoxLayout(this);
    column->setSpacing(kColumnSpacing);
    column->addStretch();
    column->addWidget(dropSymbolLabel(), 0, Qt::AlignHCenter);
    column->addWidget(titleLabel(), 0, Qt::AlignHCenter);
    column->addWidget(instructionLabel(), 0, Qt::AlignHCenter);
    column->addSpacing(kSpaceAboveButton);
    column->addWidget(chooseButton, 0, Qt::AlignHCenter);
    column->addStretch();
}

}  // namespace kerfwright::app
