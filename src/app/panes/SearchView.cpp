#include "panes/SearchView.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kelvora {

SearchView::SearchView(AppModel&, QWidget* parent) : QWidget(parent) {
    setObjectName("SearchView");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Search", this), 0, Qt::AlignCenter);
}

} // namespace kelvora
