#pragma once

#include "design/Focus.h"
#include "design/Theme.h"

#include <QMargins>
#include <QPointer>
#include <QPushButton>

#include <vector>

class QShortcut;

namespace kelvora {

class SpinnerClock;

// The application's buttons. Each paints its whole look itself (no bezel, no hover look)
// from its title and sizes; connect to `clicked` for the action. They take keyboard focus,
// answer Space and Return when focused (whatever button holds the window's Return), and can
// answer Return or Escape for their whole window:
//
//     auto* free = new SignalButton("Clean up", 44, 15);
//     free->setKeyRole(KeyRole::confirm);        // Return or Enter presses it
//     auto* cancel = new OutlineButton("Cancel", 36, 13);
//     cancel->setKeyRole(KeyRole::cancel);       // Escape presses it
//
// Give at most one visible button of a window each role. Each class also offers its
// geometry and a static `paint` for views that draw a button inside a painted row.

enum class KeyRole { none, confirm, cancel };

// How strongly a disabled button is drawn: half strength keeps its words at 3:1 or more
// against what they stand on, in both appearances.
inline constexpr qreal kDisabledOpacity = 0.5;

// What the four buttons share: focus ring, key role, size from the subclass's look.
class PaintedButton : public Focus::Ringed<QPushButton> {
    Q_OBJECT

public:
    void setKeyRole(KeyRole role);
    KeyRole keyRole() const { return keyRole_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    explicit PaintedButton(const QString& title, QWidget* parent);

    virtual QSizeF idealSize() const = 0;
    // A press that arrives while the button must not act (a busy SignalButton).
    virtual bool ignoresPresses() const { return false; }

    bool hitButton(const QPoint& position) const override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void pressFromKey();

    KeyRole keyRole_ = KeyRole::none;
    std::vector<QShortcut*> shortcuts_;
};

// An underlined text in the text face, semibold, ink; the text's own rectangle is the
// whole hit area. While busy it is drawn at half strength and ignores presses. Keyboard
// focus rings it like every other control, the ring standing clear of the text; the text
// keeps its colour.
class TextLinkButton : public PaintedButton {
    Q_OBJECT

public:
    TextLinkButton(const QString& title, qreal size, QWidget* parent = nullptr);

    static constexpr qreal kBusyOpacity = 0.5;
    static constexpr QMargins kRingOutset{6, 4, 6, 4};
    static constexpr qreal kRingRadius = 6;
    bool busy() const { return busy_; }
    void setBusy(bool busy);

    static QFont font(qreal size);
    static QSizeF idealSize(const QString& title, qreal size);
    // Where the focus ring of a link whose text fills `rect` goes: outside it.
    static QRectF ringRect(const QRectF& rect);
    static void paint(QPainter& painter, const QRectF& rect, const QString& title, qreal size,
                      bool focusRing = false);

protected:
    QSizeF idealSize() const override { return idealSize(text(), size_); }
    bool ignoresPresses() const override { return busy_; }
    void focusRingChanged() override;
    void paintEvent(QPaintEvent* event) override;

private:
    qreal size_;
    bool busy_ = false;
    // Made on the first keyboard focus: a link's own rectangle is only its text.
    QPointer<Focus::Halo> halo_;
};

// The primary action: title in `onSignal` on an orange rounded rectangle whose corner radius
// is 0.24 of its height, padded by half its height either side. While busy it shows a small
// spinner left of the title and ignores presses; it does not dim itself. Disabled, its fill
// is drawn at half strength and its title in `ink` at full strength, which stays readable on
// the dimmed fill in both appearances where a dimmed `onSignal` does not.
class SignalButton : public PaintedButton {
    Q_OBJECT

public:
    SignalButton(const QString& title, qreal height, qreal fontSize, QWidget* parent = nullptr);

    bool busy() const { return busy_; }
    void setBusy(bool busy);

    static constexpr qreal kSpinner = 16;
    static constexpr qreal kSpacing = 10;
    static constexpr Token kDisabledTitle = Token::ink;
    static qreal cornerRadius(qreal height) { return height * 0.24; }
    static qreal sidePadding(qreal height) { return height / 2; }
    static QFont font(qreal fontSize);
    static QSizeF idealSize(const QString& title, qreal height, qreal fontSize, bool busy);
    // `spinnerPhase` turns the spinner in eighths of a turn; a still picture passes 0.
    static void paint(QPainter& painter, const QRectF& rect, const QString& title, qreal fontSize,
                      bool busy, int spinnerPhase = 0, bool focusRing = false);
    static void paintDisabled(QPainter& painter, const QRectF& rect, const QString& title,
                              qreal fontSize);

protected:
    QSizeF idealSize() const override;
    bool ignoresPresses() const override { return busy_; }
    void paintEvent(QPaintEvent* event) override;

private:
    qreal height_;
    qreal fontSize_;
    bool busy_ = false;
    SpinnerClock* spinner_;
};

// The dark confirm button of sheets and guides: 16 px semibold title in `panel` on an ink
// rounded rectangle, 48 px high, 26 px either side.
class InkButton : public PaintedButton {
    Q_OBJECT

public:
    explicit InkButton(const QString& title, QWidget* parent = nullptr);

    static constexpr qreal kHeight = 48;
    static QFont font();
    static QSizeF idealSize(const QString& title);
    static void paint(QPainter& painter, const QRectF& rect, const QString& title,
                      bool focusRing = false);

protected:
    QSizeF idealSize() const override { return idealSize(text()); }
    void paintEvent(QPaintEvent* event) override;
};

// The secondary action: medium-weight ink title on a panel rounded rectangle with a line
// border, 14 px either side.
class OutlineButton : public PaintedButton {
    Q_OBJECT

public:
    OutlineButton(const QString& title, qreal height, qreal fontSize, QWidget* parent = nullptr);

    static QFont font(qreal fontSize);
    static QSizeF idealSize(const QString& title, qreal height, qreal fontSize);
    static void paint(QPainter& painter, const QRectF& rect, const QString& title, qreal fontSize,
                      bool focusRing = false);

protected:
    QSizeF idealSize() const override { return idealSize(text(), height_, fontSize_); }
    void paintEvent(QPaintEvent* event) override;

private:
    qreal height_;
    qreal fontSize_;
};

} // namespace kelvora
