#include "window/DetailedView.h"

#include "controller/AppModel.h"
#include "design/Buttons.h"
#include "design/Focus.h"
#include "design/Theme.h"
#include "panes/LoginItemsView.h"
#include "panes/SearchView.h"
#include "panes/ShelfView.h"
#include "panes/SimilarPhotosView.h"
#include "panes/SpaceMapView.h"
#include "window/CategoryDetail.h"
#include "window/DetailSidebar.h"
#include "window/FlowStates.h"
#include "window/OverviewList.h"
#include "window/PickFooter.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>

namespace kelvora {

namespace {

// A surface filled with one colour token, looked up at every paint.
class Fill : public QWidget {
public:
    Fill(Token token, QWidget* parent) : QWidget(parent), token_(token) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), Theme::color(token_));
    }

private:
    Token token_;
};

bool showsTool(const AppModel& model) {
    return model.showingSearch() || model.showingPhotos() || model.showingLoginItems() ||
           model.showingSpaceMap() || model.showingShelf();
}

} // namespace

DetailedPane detailedPane(const AppModel& model) {
    if (model.showingSearch()) return DetailedPane::search;
    if (model.showingPhotos()) return DetailedPane::photos;
    if (model.showingLoginItems()) return DetailedPane::loginItems;
    if (model.showingSpaceMap()) return DetailedPane::spaceMap;
    if (model.showingShelf()) return DetailedPane::shelf;
    switch (model.phase().kind) {
    case AppModel::Phase::Kind::scanning:
        return DetailedPane::scanning;
    case AppModel::Phase::Kind::done:
        return DetailedPane::done;
    default:
        return model.category() ? DetailedPane::category : DetailedPane::overview;
    }
}

bool showsPickFooter(const AppModel& model) {
    return model.result() && !model.phase().is(AppModel::Phase::Kind::done) && !showsTool(model);
}

DetailedView::DetailedView(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model), sidebar_(new DetailSidebar(model, this)),
      column_(new Fill(Token::panel, this)), topRule_(new Fill(Token::line, this)),
      footer_(new PickFooter(model, column_)) {
    setObjectName("DetailedView");
    auto* columnLayout = new QVBoxLayout(column_);
    columnLayout->setContentsMargins(0, 0, 0, 0);
    columnLayout->setSpacing(0);
    columnLayout->addWidget(footer_);

    auto* rule = new Fill(Token::line, this);
    rule->setFixedWidth(1);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(sidebar_);
    row->addWidget(rule);
    row->addWidget(column_, 1);

    model_.follow({&AppModel::navigationChanged, &AppModel::scanChanged}, this,
                  &DetailedView::refresh);
    // Return on the row of the pane already open takes the keyboard there too.
    connect(static_cast<DetailSidebar*>(sidebar_), &DetailSidebar::opened, this, [this] {
        if (Focus::inputNow() == Focus::Input::keyboard) enterPane();
    });
    pane_ = detailedPane(model_);
    paneWidget_ = makePane(pane_);
    columnLayout->insertWidget(0, paneWidget_, 1);
    Focus::placeAfter(*paneWidget_, *footer_->button());
    refresh();
}

QWidget* DetailedView::makePane(DetailedPane pane) {
    switch (pane) {
    case DetailedPane::search:
        return new SearchView(model_, column_);
    case DetailedPane::photos:
        return new SimilarPhotosView(model_, column_);
    case DetailedPane::loginItems:
        return new LoginItemsView(model_, column_);
    case DetailedPane::spaceMap:
        return new SpaceMapView(model_, kMapTiles, column_);
    case DetailedPane::shelf:
        return new ShelfView(model_, column_);
    case DetailedPane::scanning:
        return new ScanningState(model_, column_);
    case DetailedPane::done:
        return new DoneState(model_, column_);
    case DetailedPane::category:
        return new CategoryDetail(model_, column_);
    case DetailedPane::overview:
        return new OverviewList(model_, column_);
    }
    return new QWidget(column_);
}

// A pane is made when the column turns to it, not at every change: the lists read the
// controller themselves, so a new category or new picks reach them without a rebuild.
void DetailedView::refresh() {
    const DetailedPane wanted = detailedPane(model_);
    if (wanted != pane_) {
        auto* layout = static_cast<QVBoxLayout*>(column_->layout());
        QWidget* old = paneWidget_;
        QWidget* focused = QApplication::focusWidget();
        // A pane the keyboard opens takes the keyboard; one that takes the place of the pane
        // holding the focus does too, so the focus is never lost with it. So does the Done
        // page when a clean-up ends: the footer whose button started it goes with the lists.
        const bool cleanedUp = wanted == DetailedPane::done &&
                               (pane_ == DetailedPane::category || pane_ == DetailedPane::overview);
        // The search is for typing: its field takes the keyboard however the pane was chosen.
        const bool enter = Focus::inputNow() == Focus::Input::keyboard || cleanedUp ||
                           wanted == DetailedPane::search ||
                           (focused && (focused == old || old->isAncestorOf(focused)));
        pane_ = wanted;
        paneWidget_ = makePane(wanted);
        layout->replaceWidget(old, paneWidget_);
        layout->setStretchFactor(paneWidget_, 1);
        // The old pane may be the sender of the change (its own button), so it goes later.
        old->hide();
        old->deleteLater();
        paneWidget_->show();
        // Tab follows the column down: the pane, then the footer's button.
        Focus::placeAfter(*paneWidget_, *footer_->button());
        if (enter) enterPane();
    }
    footer_->setVisible(showsPickFooter(model_));
    topRule_->raise();
}

// Into the pane's first list or control (the search's field, even below earlier results); a
// pane with neither (the scanning state) leaves the keyboard in the sidebar.
void DetailedView::enterPane() {
    auto* search = qobject_cast<SearchView*>(paneWidget_);
    QWidget* entry = search ? search->field() : Focus::entryOf(*paneWidget_);
    if (!entry) entry = Focus::entryOf(*sidebar_);
    if (entry) Focus::give(*entry);
}

void DetailedView::resizeEvent(QResizeEvent*) {
    topRule_->setGeometry(0, 0, width(), 1);
    topRule_->raise();
}

} // namespace kelvora
