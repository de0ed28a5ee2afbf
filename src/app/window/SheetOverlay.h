#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

namespace kelvora {

// How a sheet shows in the window: over the whole window, which it dims, with the sheet at
// its own size in the middle, held inside the window when the window is smaller (a sheet
// frame then scrolls its body and keeps its buttons in view). It is a
// child of the window, so a picture of the window shows it too, and it keeps the clicks
// from the window below. The overlay owns the sheet; deleting it takes the sheet along. It
// takes the keyboard from `opener`, the control that had it, to give it back at the end;
// opened from the keyboard, it puts the keyboard on the sheet's default button, ringed. The
// arrows and Page Up and Down that nothing in the sheet takes scroll its body, and Escape
// calls `close`.
class SheetOverlay : public QWidget {
    Q_OBJECT

public:
    SheetOverlay(QWidget* sheet, QWidget* parent, QWidget* opener = nullptr,
                 std::function<void()> close = {});

    QWidget* sheet() const { return sheet_; }
    QWidget* opener() const { return opener_; }

    static constexpr qreal kMargin = 20;
    // Black at this opacity over the window.
    static constexpr int kDimAlpha = 77;
    // The sheet's place in an overlay of `size`.
    static QRect sheetRect(QSize size, QSize sheetSize);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void follow();

    QPointer<QWidget> sheet_;
    QPointer<QWidget> opener_;
    std::function<void()> close_;
};

// The frame shown while something is dragged over the window: a dashed accent outline 12 px
// inside the window's edges around the label "Drop an app to remove it with its leftovers".
// Clicks pass through it.
class DropOverlay : public QWidget {
    Q_OBJECT

public:
    explicit DropOverlay(QWidget* parent);

    static constexpr qreal kInset = 12;
    static void paint(QPainter& painter, const QRectF& rect);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace kelvora
