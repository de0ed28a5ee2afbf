#pragma once

#include "design/TextFlow.h"
#include "design/Theme.h"

#include <QFont>
#include <QWidget>

namespace kelvora {

// A size shown large: its number and unit in the number face, sharing one baseline.
class SizeFigure : public QWidget {
    Q_OBJECT

public:
    SizeFigure(qreal numberSize, qreal unitSize, qreal spacing, QWidget* parent = nullptr);

    void setParts(const QString& number, const QString& unit);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal numberSize_;
    qreal unitSize_;
    qreal spacing_;
    QString number_;
    QString unit_;
};

// A symbol standing alone, in a Theme colour.
class SymbolMark : public QWidget {
    Q_OBJECT

public:
    SymbolMark(const QString& symbol, qreal size, Token colour, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString symbol_;
    qreal size_;
    Token colour_;
};

// A symbol and a text, the symbol sized like the text and level with its first line. On one
// line the text is cut short at the end when the line is too narrow; wrapping, it takes
// the lines it needs beside the symbol.
class SymbolLabel : public QWidget {
    Q_OBJECT

public:
    SymbolLabel(qreal size, QFont::Weight weight, Token colour, QWidget* parent = nullptr);

    void setContent(const QString& symbol, const QString& text);
    QString text() const { return text_; }
    void setWrapping(bool wrapping);
    // The text's lines at the current width (wrapping only).
    const TextFlow& lines() const { return lines_; }

    bool hasHeightForWidth() const override { return wrapping_; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    static constexpr qreal kSpacing = 6;
    qreal textLeft() const;
    qreal rowHeight() const; // of the first line, with the symbol beside it
    TextFlow flow(qreal width) const;
    void changed();

    qreal size_;
    QFont font_;
    Token colour_;
    QString symbol_;
    QString text_;
    bool wrapping_ = false;
    TextFlow lines_;
};

} // namespace kelvora
