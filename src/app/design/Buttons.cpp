#include "design/Buttons.h"

#include "design/Focus.h"
#include "design/Fonts.h"
#include "design/Shapes.h"
#include "design/Spinner.h"
#include "design/Theme.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QShortcut>

#include <cmath>

namespace kelvora {

namespace {

QSizeF textSize(const QFont& font, const QString& text) {
    QFontMetricsF metrics(font);
    return {metrics.horizontalAdvance(text), metrics.height()};
}

QSize rounded(QSizeF size) {
    return {static_cast<int>(std::ceil(size.width())), static_cast<int>(std::ceil(size.height()))};
}

void drawTitle(QPainter& painter, const QRectF& rect, const QFont& font, const QColor& color,
               const QString& title) {
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, title);
    painter.restore();
}

} // namespace

// PaintedButton

PaintedButton::PaintedButton(const QString& title, QWidget* parent) : Ringed(title, parent) {
    setFlat(true);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    Focus::pressOnReturn(*this, [this] { pressFromKey(); });
}

void PaintedButton::setKeyRole(KeyRole role) {
    for (QShortcut* shortcut : shortcuts_)
        delete shortcut;
    shortcuts_.clear();
    keyRole_ = role;
    setDefault(role == KeyRole::confirm);
    QList<QKeySequence> keys;
    if (role == KeyRole::confirm)
        keys = {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)};
    if (role == KeyRole::cancel) keys = {QKeySequence(Qt::Key_Escape)};
    for (const QKeySequence& key : keys) {
        // A window shortcut lives only while the button is visible and enabled, so a hidden
        // sheet's buttons never answer.
        auto* shortcut =
            new QShortcut(key, this, this, &PaintedButton::pressFromKey, Qt::WindowShortcut);
        shortcuts_.push_back(shortcut);
    }
}

void PaintedButton::pressFromKey() {
    if (isVisible() && isEnabled() && !ignoresPresses()) click();
}

QSize PaintedButton::sizeHint() const {
    return rounded(idealSize());
}

bool PaintedButton::hitButton(const QPoint& position) const {
    return !ignoresPresses() && QPushButton::hitButton(position);
}

void PaintedButton::keyPressEvent(QKeyEvent* event) {
    if (ignoresPresses()) {
        event->ignore();
        return;
    }
    QPushButton::keyPressEvent(event);
}

// TextLinkButton

TextLinkButton::TextLinkButton(const QString& title, qreal size, QWidget* parent)
    : PaintedButton(title, parent), size_(size) {}

QFont TextLinkButton::font(qreal size) {
    QFont font = Fonts::text(size, QFont::DemiBold);
    font.setUnderline(true);
    return font;
}

QSizeF TextLinkButton::idealSize(const QString& title, qreal size) {
    return textSize(font(size), title);
}

QRectF TextLinkButton::ringRect(const QRectF& rect) {
    return rect.marginsAdded(QMarginsF(kRingOutset));
}

void TextLinkButton::paint(QPainter& painter, const QRectF& rect, const QString& title, qreal size,
                           bool focusRing) {
    drawTitle(painter, rect, font(size), Theme::ink(), title);
    if (focusRing) Focus::paintRing(painter, ringRect(rect), kRingRadius);
}

void TextLinkButton::focusRingChanged() {
    Focus::lightHalo(halo_, *this, showsFocusRing(), kRingOutset, kRingRadius);
}

void TextLinkButton::setBusy(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    if (busy) setDown(false);
    update();
}

void TextLinkButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (busy_) painter.setOpacity(kBusyOpacity);
    // The ring lies outside the text, beyond this widget: the halo draws it.
    paint(painter, rect(), text(), size_);
}

// SignalButton

SignalButton::SignalButton(const QString& title, qreal height, qreal fontSize, QWidget* parent)
    : PaintedButton(title, parent), height_(height), fontSize_(fontSize),
      spinner_(new SpinnerClock(this, 80, [this] { update(); })) {}

QFont SignalButton::font(qreal fontSize) {
    return Fonts::text(fontSize, QFont::DemiBold);
}

QSizeF SignalButton::idealSize(const QString& title, qreal height, qreal fontSize, bool busy) {
    qreal label = textSize(font(fontSize), title).width();
    if (busy) label += kSpinner + kSpacing;
    return {label + 2 * sidePadding(height), height};
}

QSizeF SignalButton::idealSize() const {
    return idealSize(text(), height_, fontSize_, busy_);
}

void SignalButton::paint(QPainter& painter, const QRectF& rect, const QString& title,
                         qreal fontSize, bool busy, int spinnerPhase, bool focusRing) {
    qreal radius = cornerRadius(rect.height());
    Shapes::fillRounded(painter, rect, radius, Theme::signal());
    QRectF label = rect.adjusted(sidePadding(rect.height()), 0, -sidePadding(rect.height()), 0);
    if (busy) {
        qreal width = textSize(font(fontSize), title).width() + kSpinner + kSpacing;
        qreal left = rect.center().x() - width / 2;
        paintSpinner(painter, {left + kSpinner / 2, rect.center().y()}, Theme::onSignal(),
                     spinnerPhase);
        label = QRectF(left + kSpinner + kSpacing, rect.top(), width - kSpinner - kSpacing,
                       rect.height());
    }
    drawTitle(painter, label, font(fontSize), Theme::onSignal(), title);
    if (focusRing)
        Focus::paintRing(painter, rect.adjusted(2, 2, -2, -2), radius - 2, Theme::onSignal());
}

void SignalButton::paintDisabled(QPainter& painter, const QRectF& rect, const QString& title,
                                 qreal fontSize) {
    painter.save();
    painter.setOpacity(painter.opacity() * kDisabledOpacity);
    Shapes::fillRounded(painter, rect, cornerRadius(rect.height()), Theme::signal());
    painter.restore();
    QRectF label = rect.adjusted(sidePadding(rect.height()), 0, -sidePadding(rect.height()), 0);
    drawTitle(painter, label, font(fontSize), Theme::color(kDisabledTitle), title);
}

void SignalButton::setBusy(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    if (busy) setDown(false);
    spinner_->setWanted(busy);
    updateGeometry();
    update();
}

void SignalButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!isEnabled()) return paintDisabled(painter, rect(), text(), fontSize_);
    paint(painter, rect(), text(), fontSize_, busy_, spinner_->phase(), showsFocusRing());
}

// InkButton

InkButton::InkButton(const QString& title, QWidget* parent) : PaintedButton(title, parent) {}

QFont InkButton::font() {
    return Fonts::text(16, QFont::DemiBold);
}

QSizeF InkButton::idealSize(const QString& title) {
    return {textSize(font(), title).width() + 2 * 26, kHeight};
}

void InkButton::paint(QPainter& painter, const QRectF& rect, const QString& title, bool focusRing) {
    constexpr qreal kRadius = 12;
    Shapes::fillRounded(painter, rect, kRadius, Theme::ink());
    drawTitle(painter, rect, font(), Theme::panel(), title);
    if (focusRing) Focus::paintRing(painter, rect.adjusted(2, 2, -2, -2), kRadius - 2);
}

void InkButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, rect(), text(), showsFocusRing());
}

// OutlineButton

OutlineButton::OutlineButton(const QString& title, qreal height, qreal fontSize, QWidget* parent)
    : PaintedButton(title, parent), height_(height), fontSize_(fontSize) {}

QFont OutlineButton::font(qreal fontSize) {
    return Fonts::text(fontSize, QFont::Medium);
}

QSizeF OutlineButton::idealSize(const QString& title, qreal height, qreal fontSize) {
    return {textSize(font(fontSize), title).width() + 2 * 14, height};
}

void OutlineButton::paint(QPainter& painter, const QRectF& rect, const QString& title,
                          qreal fontSize, bool focusRing) {
    constexpr qreal kRadius = 8;
    Shapes::fillRounded(painter, rect, kRadius, Theme::panel(),
                        focusRing ? QColor() : Theme::line());
    drawTitle(painter, rect, font(fontSize), Theme::ink(), title);
    if (focusRing) Focus::paintRing(painter, rect, kRadius);
}

void OutlineButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, rect(), text(), fontSize_, showsFocusRing());
}

} // namespace kelvora
