#pragma once

#include "design/Buttons.h"

#include <QWidget>

#include <vector>

class QMenu;

namespace kelvora {

// The settings window's own controls, painted like the rest of the design system. None of
// them changes its value itself: each says what the user chose, and the window writes the
// setting and hands the stored value back.

// An on-off switch: an accent capsule with the knob at the right when on, a track-coloured
// one with the knob at the left when off; disabled, at half strength. A click, Space or
// Return emits `clicked`. The keyboard's ring goes around the whole switch, clear of the
// accent of a switch that is on. Assistive technology hears a check box, checked while on.
class SwitchButton : public PaintedButton {
    Q_OBJECT

public:
    explicit SwitchButton(const QString& title, QWidget* parent = nullptr);

    bool isOn() const { return on_; }
    void setOn(bool on);

    static constexpr qreal kWidth = 34;
    static constexpr qreal kHeight = 20;
    static constexpr QMargins kRingOutset{4, 4, 4, 4};
    static void paint(QPainter& painter, const QRectF& rect, bool on);

protected:
    QSizeF idealSize() const override { return {kWidth, kHeight}; }
    void nextCheckState() override {}
    void focusRingChanged() override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool on_ = false;
    // The switch fills its own rectangle; the ring lies outside it.
    QPointer<Focus::Halo> halo_;
};

// A pop-up button over a few numbered entries: shows the label of the current number and,
// when pressed, a menu of the entries with the current one checked.
class ChoiceButton : public PaintedButton {
    Q_OBJECT

public:
    struct Entry {
        int value;
        QString label;
    };

    ChoiceButton(const QString& title, std::vector<Entry> entries, QWidget* parent = nullptr);

    int value() const { return value_; }
    // A number that no entry offers shows an empty button with nothing checked.
    void setValue(int value);
    QString shownLabel() const;
    // The menu of the last press; none before the first.
    QMenu* menu() const { return menu_; }

    static constexpr qreal kWidth = 130;
    static constexpr qreal kHeight = 24;

signals:
    void chosen(int value);

protected:
    QSizeF idealSize() const override { return {kWidth, kHeight}; }
    void paintEvent(QPaintEvent* event) override;

private:
    void openMenu();

    std::vector<Entry> entries_;
    int value_ = 0;
    QMenu* menu_ = nullptr;
};

// A row of segments, one of which is chosen; a click or the arrow keys choose another.
// Assistive technology hears a row of tabs under the control's name, the chosen one
// selected.
class SegmentedControl : public Focus::Ringed<QWidget> {
    Q_OBJECT

public:
    SegmentedControl(const QString& name, const QStringList& segments, QWidget* parent = nullptr);

    // -1 when none is chosen.
    int current() const { return current_; }
    void setCurrent(int index);
    const QStringList& segments() const { return segments_; }
    // As a click on the segment: says it was chosen, unless it is already.
    void choose(int index);
    QRectF segmentRect(int index) const;

    static constexpr qreal kHeight = 24;

signals:
    void chosen(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QStringList segments_;
    int current_ = -1;
};

// The small borderless button that takes a path off the never-touch list.
class RemoveButton : public PaintedButton {
    Q_OBJECT

public:
    // Named and described for assistive technology; its tooltip is its name.
    RemoveButton(const QString& name, const QString& description, QWidget* parent = nullptr);

    static constexpr qreal kSide = 22;

protected:
    QSizeF idealSize() const override { return {kSide, kSide}; }
    void paintEvent(QPaintEvent* event) override;
};

} // namespace kelvora
