#pragma once

#include "design/RollingNumber.h"
#include "design/TextFlow.h"

#include <QRectF>
#include <QWidget>

#include <optional>
#include <string>

namespace kelvora {

// One tile under the simple view's dial: a symbol on a chip, a title, an optional size, a
// caption, and an optional note under it.
struct Tile {
    std::string symbol;
    std::string title;
    std::optional<std::string> size;
    std::string caption;
    std::optional<std::string> note;
    bool operator==(const Tile&) const = default;
};

// Draws a tile on a panel card that fills whatever it is given, content from the top left.
// The size rolls when it changes. Assistive technology reads the tile as one element, its
// texts joined.
class TileView : public QWidget {
    Q_OBJECT

public:
    static constexpr qreal kPadding = 20;
    static constexpr qreal kSpacing = 10;
    static constexpr qreal kChip = 44;
    static constexpr qreal kRadius = 16;

    // Where everything of a tile goes at a width; `height` is what it needs.
    struct Layout {
        QRectF chip;
        QRectF title;
        QRectF size; // empty without a size
        TextFlow caption;
        QPointF captionAt;
        TextFlow note; // empty without a note
        QPointF noteAt;
        qreal height = 0;
    };
    static Layout layout(const Tile& tile, qreal width);
    static QFont titleFont();
    static QFont sizeFont();
    static QFont captionFont();
    static QFont noteFont();
    // The texts a screen reader hears for the tile, joined.
    static QString accessibleText(const Tile& tile);

    explicit TileView(QWidget* parent = nullptr);

    const Tile& tile() const { return tile_; }
    void setTile(const Tile& tile);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void arrange();

    Tile tile_;
    Layout layout_;
    RollingNumber size_{this};
};

} // namespace kelvora
