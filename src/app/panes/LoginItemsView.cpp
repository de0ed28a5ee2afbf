#include "panes/LoginItemsView.h"

#include "controller/AppModel.h"
#include "design/Buttons.h"
#include "design/Fonts.h"
#include "design/PaintedText.h"
#include "design/Scrolling.h"
#include "design/Spinner.h"
#include "design/Surfaces.h"
#include "design/Theme.h"
#include "panes/LoginItemInspector.h"
#include "panes/LoginItemsHeader.h"
#include "panes/LoginItemsList.h"
#include "panes/LoginItemsText.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QStackedLayout>

namespace kelvora {

namespace {

QWidget* loadingView(QWidget* parent) {
    auto* view = new Filled(Token::ground, parent);
    auto* column = new QVBoxLayout(view);
    column->setSpacing(12);
    column->addStretch(1);
    column->addWidget(new Spinner(32, view), 0, Qt::AlignHCenter);
    auto* text = new PaintedText(Fonts::text(14), Token::muted, view);
    text->setText(LoginItemsText::kLoading);
    text->setAlignment(Qt::AlignHCenter);
    column->addWidget(text, 0, Qt::AlignHCenter);
    column->addStretch(1);
    return view;
}

} // namespace

LoginItemsView::LoginItemsView(AppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setObjectName("LoginItemsView");

    header_ = new LoginItemsHeader(this);
    connect(header_->settingsButton(), &QPushButton::clicked, this,
            [this] { openSettings(model_); });
    connect(header_->refreshButton(), &QPushButton::clicked, this,
            [this] { model_.loadLoginItems(); });

    loading_ = loadingView(this);
    list_ = new LoginItemsList(model_);
    auto* ground = new Filled(Token::ground, this);
    scrolling_ = new Scrolling(list_, ground);
    auto* groundLayout = new QVBoxLayout(ground);
    groundLayout->setContentsMargins(0, 0, 0, 0);
    groundLayout->addWidget(scrolling_);
    auto* content = new QWidget(this);
    content_ = new QStackedLayout(content);
    content_->addWidget(loading_);
    content_->addWidget(ground);

    auto* left = new QVBoxLayout;
    left->setSpacing(0);
    left->addWidget(header_);
    left->addWidget(new Hairline(Qt::Horizontal, this));
    left->addWidget(content, 1);

    inspector_ = new LoginItemInspector(model_, this);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addLayout(left, 1);
    row->addWidget(new Hairline(Qt::Vertical, this));
    row->addWidget(inspector_);

    model_.follow({&AppModel::loginItemsChanged, &AppModel::settingsChanged}, this,
                  &LoginItemsView::refresh);
    refresh();
}

void LoginItemsView::perform(AppModel& model, const LoginItem& item) {
    switch (LoginItemsText::action(item, 0).kind) {
    case LoginItemsText::Action::Kind::remove:
        model.removeLeftover(item);
        break;
    case LoginItemsText::Action::Kind::turnOn:
        model.setLoginItem(item, true);
        break;
    case LoginItemsText::Action::Kind::turnOff:
        model.setLoginItem(item, false);
        break;
    case LoginItemsText::Action::Kind::settings:
        openSettings(model);
        break;
    }
}

void LoginItemsView::openSettings(AppModel& model) {
    model.openLoginSettings();
}

void LoginItemsView::refresh() {
    const auto& items = model_.loginItems();
    header_->setCounts(items ? LoginItemsText::countsLine(*items) : QString());
    header_->setSettingsTitle(LoginItemsText::settingsTitle(model_.loginSettingsPlace()));
    content_->setCurrentIndex(items ? 1 : 0);
    list_->refresh();
    inspector_->refresh();
}

void LoginItemsView::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), Theme::panel());
}

} // namespace kelvora
