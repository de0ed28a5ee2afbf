#include "window/TileView.h"

#include "design/Fonts.h"
#include "design/QtString.h"
#include "design/Shapes.h"
#include "design/Spoken.h"
#include "design/Symbols.h"
#include "design/Theme.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetricsF>
#include <QPainter>

#include <mutex>

namespace kelvora {

namespace {

constexpr qreal kCaptionLineSpacing = 3;
constexpr qreal kSymbolSize = 19;
constexpr qreal kChipRadius = 12;

// One element for the whole tile: its texts joined.
class TileAccessible : public QAccessibleWidget {
public:
    explicit TileAccessible(TileView* tile) : QAccessibleWidget(tile, QAccessible::Grouping) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return TileView::accessibleText(tile()->tile());
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

private:
    TileView* tile() const { return static_cast<TileView*>(widget()); }
};

QAccessibleInterface* tileFactory(const QString& key, QObject* object) {
    if (key == "kelvora::TileView") return new TileAccessible(static_cast<TileView*>(object));
    return nullptr;
}

} // namespace

QFont TileView::titleFont() {
    return Fonts::text(17, QFont::DemiBold);
}

QFont TileView::sizeFont() {
    return Fonts::number(30);
}

QFont TileView::captionFont() {
    return Fonts::text(14);
}

QFont TileView::noteFont() {
    return Fonts::text(13);
}

TileView::Layout TileView::layout(const Tile& tile, qreal width) {
    Layout layout;
    const qreal inner = std::max<qreal>(width - 2 * kPadding, 1);
    qreal y = kPadding;
    layout.chip = QRectF(kPadding, y, kChip, kChip);
    y += kChip + kSpacing;
    const qreal titleHeight = QFontMetricsF(titleFont()).height();
    layout.title = QRectF(kPadding, y, inner, titleHeight);
    y += titleHeight + kSpacing;
    if (tile.size) {
        const qreal sizeHeight = QFontMetricsF(sizeFont()).height();
        layout.size = QRectF(kPadding, y, inner, sizeHeight);
        y += sizeHeight + kSpacing;
    }
    layout.caption = TextFlow(toQString(tile.caption), captionFont(), inner, {kCaptionLineSpacing});
    layout.captionAt = QPointF(kPadding, y);
    y += layout.caption.size().height();
    if (tile.note) {
        y += kSpacing;
        layout.note = TextFlow(toQString(*tile.note), noteFont(), inner, {kCaptionLineSpacing});
        layout.noteAt = QPointF(kPadding, y);
        y += layout.note.size().height();
    }
    layout.height = y + kPadding;
    return layout;
}

QString TileView::accessibleText(const Tile& tile) {
    QStringList parts{toQString(tile.title)};
    if (tile.size) parts << toQString(*tile.size);
    parts << toQString(tile.caption);
    if (tile.note) parts << toQString(*tile.note);
    return Spoken::join(parts);
}

TileView::TileView(QWidget* parent) : QWidget(parent) {
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(tileFactory); });
}

void TileView::setTile(const Tile& tile) {
    if (tile == tile_) return;
    tile_ = tile;
    size_.setValue(tile.size ? toQString(*tile.size) : QString());
    setAccessibleName(accessibleText(tile));
    arrange();
}

void TileView::resizeEvent(QResizeEvent*) {
    arrange();
}

void TileView::arrange() {
    layout_ = layout(tile_, width());
    update();
}

void TileView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    Shapes::fillRounded(painter, QRectF(rect()), kRadius, Theme::panel(), Theme::line());
    Shapes::fillRounded(painter, layout_.chip, kChipRadius, Theme::chip());
    Symbols::paint(painter, toQString(tile_.symbol), layout_.chip, kSymbolSize, Theme::ink());

    painter.setPen(Theme::ink());
    painter.setFont(titleFont());
    painter.drawText(layout_.title, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     toQString(tile_.title));
    if (tile_.size) {
        painter.setFont(sizeFont());
        size_.paint(painter, layout_.size, Qt::AlignLeft | Qt::AlignVCenter);
    }
    layout_.caption.paint(painter, layout_.captionAt, Theme::muted());
    layout_.note.paint(painter, layout_.noteAt, Theme::ink());
}

} // namespace kelvora
