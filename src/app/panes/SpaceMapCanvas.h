#pragma once

#include "panes/SpaceMapFolder.h"

#include <QWidget>

#include <map>
#include <optional>
#include <string>
#include <vector>

class QVariantAnimation;

namespace kelvora {

// The treemap of the folder shown: one painted tile per tile of the folder, shaded by rank,
// labelled where the label fits. A click selects a tile's item, a double click opens a
// folder tile. To the keyboard the tiles are one stop of Tab: the arrows walk them in
// reading order and select as they go, Return opens a folder, Backspace or Alt+Up goes up a
// level, and the tile the keyboard is on wears the ring. The tiles are laid out when the
// folder or the size changes; a paint only draws them.
class SpaceMapCanvas : public QWidget {
    Q_OBJECT

public:
    SpaceMapCanvas(SpaceMapFolder& folder, QWidget* parent = nullptr);
    ~SpaceMapCanvas() override;

    // The folder shows other tiles: lay them out, moving those that stay and fading in the
    // rest when `animate` is on.
    void tilesChanged(bool animate);
    void setSelection(const std::optional<URL>& selection);

    const std::vector<SpaceMapTile>& tiles() const { return folder_.tiles(); }
    // The rectangle a tile is given (its drawn part leaves the gap); empty for no tile.
    QRectF tileRect(int index) const;
    // The tile whose drawn part holds the point; -1 for none.
    int tileAt(QPointF point) const;
    // What a double click on the tile does: opens it when it is a folder.
    void open(int index);
    bool isSelected(int index) const;
    // The tile the keyboard is on, -1 for none.
    int current() const { return current_; }
    bool showsFocusOn(int index) const;

signals:
    void selected(std::optional<URL> url);
    void opened(URL folder);
    // Backspace or Alt+Up: the folder above, please.
    void up();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    friend class SpaceMapCanvasAccessible;

    // Puts the keyboard on a tile and selects what it stands for.
    void moveTo(int index);
    // After the tiles changed: the keyboard stays on the same tile, or on the folder it came
    // up from, or, while it is here, on the first.
    void keepCurrent(const std::vector<std::string>& before);
    void layOut();
    void step(double progress);
    void paintTile(QPainter& painter, int index) const;

    SpaceMapFolder& folder_;
    std::vector<std::string> ids_;           // the tiles laid out, by id
    std::vector<QRectF> target_;             // as laid out
    std::vector<QRectF> shown_;              // where the animation has them now
    std::vector<double> opacity_;            // new tiles fade in
    std::map<std::string, QRectF> previous_; // where each tile was before a change
    QVariantAnimation* animation_;
    std::optional<URL> selection_;
    int current_ = -1;
    bool keyboardFocus_ = false;
    std::optional<URL> cameUpFrom_;
    mutable std::vector<unsigned> accessibleTiles_; // ids of the tiles' interfaces
};

} // namespace kelvora
