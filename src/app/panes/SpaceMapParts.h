#pragma once

#include "design/PaintedText.h"
#include "design/SelectableText.h"
#include "design/Surfaces.h"
#include "panes/PaneParts.h"
#include "panes/SpaceMapText.h"

#include <QAbstractButton>
#include <QWidget>

#include <optional>
#include <vector>

namespace kelvora {

class Caption;
class OutlineButton;

// One step of the path bar: its name, semibold ink for the folder shown (which goes
// nowhere) and muted for the folders above it.
class CrumbButton : public QAbstractButton {
    Q_OBJECT

public:
    CrumbButton(const SpaceMapText::Crumb& crumb, QWidget* parent = nullptr);
    const SpaceMapText::Crumb& crumb() const { return crumb_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SpaceMapText::Crumb crumb_;
};

// The path bar: the crumbs with a chevron before each but the first. Its buttons are
// made again only when the crumbs change.
class CrumbBar : public QWidget {
    Q_OBJECT

public:
    explicit CrumbBar(QWidget* parent = nullptr);
    void setCrumbs(const std::vector<SpaceMapText::Crumb>& crumbs);
    const std::vector<CrumbButton*>& buttons() const { return buttons_; }

signals:
    void zoom(URL folder);

private:
    std::vector<SpaceMapText::Crumb> crumbs_;
    std::vector<CrumbButton*> buttons_;
};

// What the header shows of the folder on the map.
struct SpaceMapHeading {
    bool showsBack = false;
    URL back;
    std::vector<SpaceMapText::Crumb> crumbs;
    std::optional<Format::SizeParts> size;
};

// The header: "Back", the path bar and the folder's size, or the title before anything
// is measured; "Choose folder…" always.
class SpaceMapHeader : public QWidget {
    Q_OBJECT

public:
    explicit SpaceMapHeader(QWidget* parent = nullptr);
    void show(const std::optional<SpaceMapHeading>& heading);

    OutlineButton* back() const { return back_; }
    OutlineButton* choose() const { return choose_; }
    CrumbBar* crumbs() const { return crumbs_; }

signals:
    void zoom(URL folder);
    void chooseFolder();

private:
    OutlineButton* back_;
    PaintedText* title_;
    CrumbBar* crumbs_;
    SizeFigure* size_;
    OutlineButton* choose_;
    URL backTarget_;
};

// The inspector at the right: what the selected tile is, how much it takes and what it
// is for; a hint while nothing is selected.
class SpaceMapInspector : public Filled {
    Q_OBJECT

public:
    explicit SpaceMapInspector(QWidget* parent = nullptr);
    void show(const std::optional<SpaceMapText::Inspection>& inspection);

    OutlineButton* openButton() const { return open_; }
    OutlineButton* revealButton() const { return reveal_; }

signals:
    void open(URL folder);
    void reveal(URL item);

private:
    std::optional<SpaceMapText::Inspection> shown_;
    PaintedText* name_;
    SizeFigure* size_;
    PaintedText* share_;
    SelectableText* path_;
    QWidget* guide_;
    PaintedText* guideTitle_;
    PaintedText* guideText_;
    SymbolLabel* advice_;
    PaintedText* unknown_;
    QWidget* buttons_;
    OutlineButton* open_;
    OutlineButton* reveal_;
    PaintedText* hint_;
};

} // namespace kelvora
