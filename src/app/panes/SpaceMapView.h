#pragma once

#include "panes/SpaceMapFolder.h"

#include <QWidget>

#include <memory>
#include <optional>

class QStackedWidget;

namespace kelvora {

class AppModel;
class Spinner;
class PaintedText;
class SpaceMapCanvas;
class SpaceMapHeader;
class SpaceMapInspector;
class SymbolLabel;

// The space map pane: what fills a folder as a treemap, a path bar to move up and down the
// measured tree, an inspector explaining the tile clicked, and "Choose folder…" to map any
// other folder. It measures nothing itself: the controller measures, and the pane writes
// only the folder shown and the selection.
class SpaceMapView : public QWidget {
    Q_OBJECT

public:
    SpaceMapView(AppModel& model, int maxTiles, QWidget* parent = nullptr);

    // Shows another folder of the map and clears the selection.
    void zoom(const URL& folder);
    // Asks for a folder and has it measured.
    void chooseFolder();

    const SpaceMapFolder& shownFolder() const { return folder_; }
    SpaceMapCanvas* canvas() const { return canvas_; }
    SpaceMapHeader* header() const { return header_; }
    SpaceMapInspector* inspector() const { return inspector_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    void refresh();
    void refreshHeader();
    void refreshContent();
    void refreshInspector();
    void goOnToTiles();
    // The children of the selected item's folder: the folder shown's own listing when the
    // item lies there, else one listing kept for that folder.
    const std::vector<SpaceMap::Entry>& siblingsOf(const URL& selection);

    AppModel& model_;
    SpaceMapFolder folder_;
    SpaceMapHeader* header_;
    QStackedWidget* content_;
    Spinner* spinner_;
    PaintedText* measuringText_;
    QStackedWidget* mapOrNothing_;
    SpaceMapCanvas* canvas_;
    SymbolLabel* privateLine_;
    SpaceMapInspector* inspector_;

    // What the inspector was last worked out from, so a change elsewhere (the measuring
    // count ticking) does not ask the folder guide again.
    struct Inspected {
        std::shared_ptr<const SpaceMap> map;
        std::optional<URL> folder;
        std::optional<URL> selection;
        bool operator==(const Inspected&) const = default;
    };
    std::optional<Inspected> inspected_;
    SpaceMapFolder siblings_;
    bool tilesAfterMeasuring_ = false;
};

} // namespace kelvora
