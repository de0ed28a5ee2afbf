#include "panes/ShelfView.h"

#include "controller/AppModel.h"
#include "design/Scrolling.h"
#include "panes/ShelfPage.h"

#include <QVBoxLayout>

namespace kelvora {

ShelfView::ShelfView(AppModel& model, QWidget* parent)
    : QWidget(parent), page_(new ShelfPage(model)) {
    setObjectName("ShelfView");
    scrolling_ = new Scrolling(page_, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scrolling_);
    model.follow({&AppModel::shelfChanged, &AppModel::settingsChanged}, page_, &ShelfPage::refresh);
}

} // namespace kelvora
