#pragma once

#include "design/Focus.h"
#include "design/PaintedText.h"
#include "design/SelectableText.h"
#include "design/Surfaces.h"
#include "panes/PaneParts.h"
#include "panes/SpaceMapCrumbs.h"
#include "panes/SpaceMapText.h"

#include <QAbstractButton>
#include <QPointer>
#include <QWidget>

#include <optional>
#include <vector>

namespace kelvora {

class Caption;
class OutlineButton;

// One step of the path bar: its name, semibold ink for the folder shown (which goes
// nowhere) and muted for the folders above it; or "…" for the folders folded away. Space or
// Return press it; the keyboard's ring stands clear of its text.
class CrumbButton : public Focus::Ringed<QAbstractButton> {
    Q_OBJECT

public:
    CrumbButton(const SpaceMapText::Crumb& crumb, QWidget* parent = nullptr);
    const SpaceMapText::Crumb& crumb() const { return crumb_; }
    void setCrumb(const SpaceMapText::Crumb& crumb);
    // What is drawn: the name, or the name cut short when the bar is short.
    QString shown() const { return shown_; }
    void setShown(const QString& label);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusRingChanged() override;

private:
    SpaceMapText::Crumb crumb_;
    QString shown_;
    // Made on the first keyboard focus: the crumb's own rectangle is only its text.
    QPointer<Focus::Halo> halo_;
};

// The path bar: the crumbs with a chevron before each but the first, fitted to the width
// it is given (SpaceMapCrumbs). Asks for the whole path but takes any width, so a deep
// folder never widens the pane. Its buttons are made again only when the crumbs change.
class CrumbBar : public QWidget {
    Q_OBJECT

public:
    explicit CrumbBar(QWidget* parent = nullptr);
    void setCrumbs(const std::vector<SpaceMapText::Crumb>& crumbs);
    // One per crumb, shown or not.
    const std::vector<CrumbButton*>& buttons() const { return buttons_; }
    CrumbButton* ellipsis() const { return ellipsis_; }
    const SpaceMapCrumbs::Layout& layout() const { return layout_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void zoom(URL folder);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void relayout();

    SpaceMapCrumbs::Style style_;
    std::vector<SpaceMapText::Crumb> crumbs_;
    std::vector<CrumbButton*> buttons_;
    CrumbButton* ellipsis_;
    SpaceMapCrumbs::Layout layout_;
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
    SizeFigure* sizeFigure() const { return size_; }

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
    SymbolLabel* advice() const { return advice_; }

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
