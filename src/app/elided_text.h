#pragma once
// Texts from a project shown whole when they fit and cut with "…" when they
// do not, the whole text then in a tool tip. Always plain text: a name that
// holds "&" or markup is shown as it is, never as a shortcut or as rich text.

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QString>

namespace kerfwright::app {

// A label wrapped at word boundaries where it can be and anywhere where it
// must, so that no word is wider than its room; with a limit of lines, the
// last one is cut with "…" when the text goes on.
class ElidedLabel : public QLabel {
    Q_OBJECT

public:
    static constexpr int kNoLineLimit = 0;

    ElidedLabel(QString text, int maxLines, QWidget* parent = nullptr);

    const QString& fullText() const { return full_; }
    void setFullText(QString text);
    bool isCut() const { return cut_; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void refit();

    QString full_;
    int maxLines_;
    bool cut_ = false;
};

// A checkable button of a segmented picker, its label on one line.
class ElidedButton : public QPushButton {
    Q_OBJECT

public:
    explicit ElidedButton(QString text, QWidget* parent = nullptr);

    const QString& fullText() const { return full_; }
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void refit();

    QString full_;
};

// A pop-up menu whose closed face cuts the chosen label to its room; every
// item carries its whole label as a tool tip.
class ElidedComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit ElidedComboBox(QWidget* parent = nullptr);

    void addItem(const QString& text);
    // The chosen label as the closed menu shows it.
    QString shownText() const;

protected:
    void initStyleOption(QStyleOptionComboBox* option) const override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void refitTip();
};

}  // namespace kerfwright::app
