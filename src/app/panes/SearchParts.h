#pragma once

#include "design/Buttons.h"
#include "design/Theme.h"

#include <QLineEdit>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

namespace kelvora::search {

// The row under the search field: the understood filters as chips that do nothing, or the
// example phrases as chips that search themselves when clicked, on one row when they fit
// and else three on the first row and the rest on the second.
class ChipRow : public QWidget {
public:
    explicit ChipRow(std::function<void(const QString&)> pick, QWidget* parent = nullptr);

    void showQuery(const QStringList& chips);
    void showExamples(const QStringList& examples);
    bool showsExamples() const { return examples_; }
    const QStringList& texts() const { return texts_; }
    // Where each chip lies at the current width, in the order of `texts`.
    const std::vector<QRectF>& places() const { return places_; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void set(bool examples, const QStringList& texts);
    std::vector<QRectF> placesFor(qreal width) const;

    std::function<void(const QString&)> pick_;
    bool examples_ = false;
    QStringList texts_;
    std::vector<QRectF> places_;
};

// Lines of text centred as one block in the middle of the area, each wrapped at its own
// widest measure: the search's intro, or its one-line message.
class Intro : public QWidget {
public:
    struct Line {
        QString text;
        QFont font;
        Token color;
        qreal maxWidth;
    };
    Intro(std::vector<Line> lines, qreal spacing, QWidget* parent = nullptr);

    void setText(int line, const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<Line> lines_;
    qreal spacing_;
};

// The footer's button, dimmed while there is nothing to move.
class MoveButton : public SignalButton {
public:
    MoveButton(QWidget* parent = nullptr);
};

// The text field, its colours following the appearance; named "Search" for assistive
// technology.
class FieldEdit : public QLineEdit {
public:
    explicit FieldEdit(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

// The rounded box around the field, ringed while the field has the keyboard.
class FieldBox : public QWidget {
public:
    explicit FieldBox(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace kelvora::search
