#include "empty_state_view.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app_state.h"
#include "symbols.h"
#include "text_styles.h"

namespace kerfwright::app {
namespace {

constexpr int kSpacing = 14;
constexpr int kSymbolSize = 64;
constexpr int kSpaceAboveButton = 4;

QLabel* symbolLabel() {
    auto* label = new QLabel;
    label->setPixmap(Symbols::tinted(Symbols::Symbol::dropFile, kSymbolSize, TextStyles::secondaryColor()));
    return label;
}

QLabel* titleLabel() {
    auto* label = new QLabel(QStringLiteral("Kerfwright"));
    label->setFont(TextStyles::title());
    return label;
}

QLabel* instructionLabel() {
    auto* label = new QLabel(QStringLiteral("Drop a <b>.lac</b> file anywhere on this window,<br>"
                                            "or click below to choose one."));
    label->setTextFormat(Qt::RichText);
    label->setAlignment(Qt::AlignCenter);
    TextStyles::makeSecondary(*label);
    return label;
}

}  // namespace

EmptyStateView::EmptyStateView(AppState& state, QWidget* parent) : QWidget(parent) {
    auto* chooseButton = new QPushButton(QStringLiteral("Choose .lac File\u2026"));
    TextStyles::makeLarge(*chooseButton);
    connect(chooseButton, &QPushButton::clicked, &state, &AppState::openFilePanel);

    auto* column = new QVBoxLayout(this);
    column->setSpacing(kSpacing);
    column->addStretch();
    column->addWidget(symbolLabel(), 0, Qt::AlignHCenter);
    column->addWidget(titleLabel(), 0, Qt::AlignHCenter);
    column->addWidget(instructionLabel(), 0, Qt::AlignHCenter);
    column->addSpacing(kSpaceAboveButton);
    column->addWidget(chooseButton, 0, Qt::AlignHCenter);
    column->addStretch();
}

}  // namespace kerfwright::app
