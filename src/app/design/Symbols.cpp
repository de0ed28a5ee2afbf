#include "design/Symbols.h"

#include "design/Fonts.h"

#include <QFontDatabase>
#include <QHash>
#include <QPainter>

namespace kelvora::Symbols {

namespace {

constexpr char16_t kNeutral = 0xe3c6; // crop_square

const QHash<QString, char16_t>& table() {
    static const QHash<QString, char16_t> glyphs{
        {"square.stack.3d.up", 0xe53b},
        {"doc.text.magnifyingglass", 0xe880},
        {"cpu", 0xe322},
        {"arrow.down.circle", 0xf181},
        {"envelope", 0xe158},
        {"camera.viewfinder", 0xe3b4},
        {"photo.on.rectangle.angled", 0xe413},
        {"doc.on.doc", 0xe14d},
        {"externaldrive", 0xe1c2},
        {"chevron.left.forwardslash.chevron.right", 0xe86f},
        {"sparkles", 0xe65f},
        {"internaldrive", 0xe1db},
        {"square.grid.2x2", 0xe5c3},
        {"puzzlepiece.extension", 0xe87b},
        {"trash", 0xe872},
        {"chevron.right", 0xe5cc},
        {"macwindow.badge.plus", 0xe05c},
        {"folder", 0xe2c7},
        {"person", 0xe7fd},
        {"clock.arrow.circlepath", 0xe889},
        {"minus.circle", 0xe15d},
        {"checkmark", 0xe5ca},
        {"checkmark.circle", 0xe92d},
        {"checkmark.circle.fill", 0xe86c},
        {"circle", 0xe836},
        {"chart.line.downtrend.xyaxis", 0xe8e3},
        {"arrow.triangle.2.circlepath", 0xe863},
        {"lock.shield", 0xe8e8},
        {"tray.full", 0xe97f},
        {"gauge.with.dots.needle.33percent", 0xe9e4},
        {"arrow.uturn.backward", 0xe166},
        {"arrow.uturn.backward.circle", 0xe8b3},
        {"square.grid.3x2", 0xe8f0},
        {"magnifyingglass", 0xe8b6},
        {"power", 0xe8ac},
        {"lock", 0xe897},
        {"lock.open", 0xe898},
        {"exclamationmark.triangle", 0xf083},
        {"gearshape", 0xe8b8},
        {"gearshape.2", 0xf10c},
        {"doc", 0xe873},
        {"hand.raised", 0xe925},
        {"iphone", 0xe325},
        {"photo", 0xe3f4},
    };
    return glyphs;
}

// The icons fill most of their em square while a text symbol sits within the cap height
// and a little over, so an icon is set a quarter larger than the text it stands beside.
constexpr qreal kScale = 1.25;

} // namespace

QChar glyph(const QString& name) {
    return QChar(table().value(name, kNeutral));
}

bool isKnown(const QString& name) {
    return table().contains(name);
}

QStringList names() {
    return table().keys();
}

QFont font(qreal size) {
    QFont icons("Material Icons");
    icons.setStyleStrategy(QFont::NoFontMerging);
    Fonts::setSize(icons, size * kScale);
    return icons;
}

qreal extent(qreal size) {
    return size * kScale;
}

void paint(QPainter& painter, const QString& name, const QRectF& box, qreal size,
           const QColor& color) {
    painter.save();
    painter.setPen(color);
    painter.setFont(font(size));
    painter.drawText(box, Qt::AlignCenter, QString(glyph(name)));
    painter.restore();
}

} // namespace kelvora::Symbols
