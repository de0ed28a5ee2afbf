#include "onboarding/SettingsView.h"

#include "controller/AppModel.h"
#include "controller/Prefs.h"
#include "design/Buttons.h"
#include "design/Caption.h"
#include "design/Focus.h"
#include "design/Fonts.h"
#include "design/Scrolling.h"
#include "design/Shapes.h"
#include "design/Spoken.h"
#include "design/Symbols.h"
#include "design/Theme.h"
#include "design/WindowFit.h"
#include "onboarding/SettingsControls.h"
#include "platform/AppPaths.h"

#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QShortcut>
#include <QShowEvent>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <utility>

namespace kelvora {

namespace {

using Switch = SettingsLayout::Switch;
using Choice = SettingsText::Choice;

constexpr Choice kChoices[] = {Choice::shelfDays,     Choice::appMonths,     Choice::downloadsDays,
                               Choice::aiSessionDays, Choice::projectMonths, Choice::scheduleDays};
constexpr Switch kSwitches[] = {Switch::helper, Switch::includeDocker, Switch::scheduledClean,
                                Switch::showMenuBar};

const char* switchKey(Switch which) {
    switch (which) {
    case Switch::includeDocker:
        return Prefs::Key::includeDocker;
    case Switch::scheduledClean:
        return Prefs::Key::scheduledClean;
    case Switch::showMenuBar:
        return Prefs::Key::showMenuBar;
    case Switch::helper:
        break;
    }
    return nullptr;
}

bool switchOn(const SettingsState& state, Switch which) {
    switch (which) {
    case Switch::helper:
        return SettingsText::helperSwitchOn(state.helper);
    case Switch::includeDocker:
        return state.values.includeDocker;
    case Switch::scheduledClean:
        return state.values.scheduledClean;
    case Switch::showMenuBar:
        break;
    }
    return state.values.showMenuBar;
}

// The toolkit's own dialog picks either files or folders; this one takes whatever is
// selected when the user confirms, folders and files alike.
class FilesAndFoldersDialog : public QFileDialog {
public:
    explicit FilesAndFoldersDialog(QWidget* parent) : QFileDialog(parent) {
        setOption(QFileDialog::DontUseNativeDialog);
        setFileMode(QFileDialog::ExistingFiles);
        setLabelText(QFileDialog::Accept, "Never touch");
        setWindowTitle("Never touch");
        setDirectory(QString::fromStdString(AppPaths::home()));
    }

    QStringList chosen;

protected:
    void accept() override {
        QStringList paths;
        for (const QString& path : selectedFiles())
            if (QFileInfo::exists(path)) paths << QDir::cleanPath(path);
        if (paths.isEmpty()) return;
        chosen = paths;
        QDialog::accept();
    }
};

} // namespace

SettingsView::Services SettingsView::Services::live() {
    Services services;
    services.helperStatus = [] { return ShelfSweeper::status(); };
    services.setHelper = [](bool on) { return ShelfSweeper::set(on); };
    services.chooseFiles = [](QWidget* parent) -> std::optional<QStringList> {
        FilesAndFoldersDialog dialog(parent);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.chosen;
    };
    services.applyAppearance = [] { Prefs::applyAppearance(); };
    // This desktop keeps its login agents as unit files in a folder of the user's; that
    // folder is where the helper can be looked at.
    services.openLoginItems = [] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(
            QString::fromStdString(ShelfSweeper::ServiceManager::live().unitFolder)));
    };
    return services;
}

SettingsView::SettingsView(AppModel& model, QWidget* parent)
    : SettingsView(model, Services::live(), parent) {}

SettingsView::SettingsView(AppModel& model, Services services, QWidget* parent)
    : QWidget(parent), model_(model), services_(std::move(services)) {
    setObjectName("SettingsView");
    setWindowTitle("Kelvora Settings");
    const Prefs::Settings& stored = model_.settings().document;
    state_.values = SettingsValues::from(stored);
    state_.neverTouch = Prefs::stringList(stored, Prefs::Key::neverTouch);
    state_.notice = model_.settingsError();
    state_.helper = services_.helperStatus();
    state_.home = AppPaths::home();
    state_.now = currentDate();
    build();
    apply();
    WindowFit::keep(*this, sizeHint(), kSmallestSize);
    // Closed as a sheet closes, or as a window closes.
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this,
                [this] { window()->close(); });
    // The file may change behind the window (another process, the controller's own writes).
    connect(&model_, &AppModel::settingsChanged, this, &SettingsView::reread);
}

const SettingsLayout& SettingsView::layout() const {
    return page_->layout();
}

QSize SettingsView::sizeHint() const {
    return QSize(static_cast<int>(SettingsLayout::kWidth),
                 static_cast<int>(SettingsLayout::kHeight));
}

void SettingsView::build() {
    page_ = new SettingsPage(state_);
    page_->setObjectName("settingsPage");
    for (Choice which : kChoices) {
        std::vector<ChoiceButton::Entry> entries;
        for (const auto& entry : SettingsText::entries(which))
            entries.push_back({entry.value, entry.label});
        auto* button = new ChoiceButton(SettingsText::title(which), entries, page_);
        button->setObjectName(SettingsText::key(which));
        connect(button, &ChoiceButton::chosen, this,
                [this, which](int value) { choose(which, value); });
        choices_[which] = button;
    }
    for (Switch which : kSwitches) {
        auto* button = new SwitchButton(SettingsLayout::switchTitle(which), page_);
        button->setObjectName(which == Switch::helper ? "helper" : switchKey(which));
        connect(button, &QPushButton::clicked, this, [this, which] { flip(which); });
        switches_[which] = button;
    }
    QStringList looks;
    for (const auto& [raw, label] : SettingsText::appearances())
        looks << label;
    appearance_ = new SegmentedControl("Look", looks, page_);
    appearance_->setObjectName(Prefs::Key::appearance);
    connect(appearance_, &SegmentedControl::chosen, this, &SettingsView::chooseAppearance);
    // Read before the button that adds to it.
    neverTouchNote_ = new SpokenText(page_);
    neverTouchList_ = new SpokenText(page_, QAccessible::List);
    add_ = new OutlineButton(SettingsLayout::kAdd, SettingsLayout::kButtonHeight,
                             SettingsLayout::kButtonFont, page_);
    add_->setObjectName("addNeverTouch");
    // The keyboard reaches the button and not the words above it.
    add_->setAccessibleDescription(SettingsLayout::kNeverTouchNote);
    connect(add_, &QPushButton::clicked, this, &SettingsView::add);
    showWelcome_ = new OutlineButton(SettingsLayout::kShowWelcome, SettingsLayout::kButtonHeight,
                                     SettingsLayout::kButtonFont, page_);
    showWelcome_->setObjectName("showWelcome");
    connect(showWelcome_, &QPushButton::clicked, this, [this] {
        model_.setShowingWelcome(true);
        emit welcomeShown();
        window()->close();
    });
    openLoginItems_ = new TextLinkButton(SettingsLayout::kOpenLoginItems, 12, page_);
    openLoginItems_->setObjectName("openLoginItems");
    connect(openLoginItems_, &QPushButton::clicked, this, [this] { services_.openLoginItems(); });
    connect(page_, &SettingsPage::laidOut, this, &SettingsView::placeControls);

    notice_ = new SettingsNoticeBar(state_, this);
    notice_->setObjectName("settingsNotice");
    scrolling_ = new Scrolling(page_, this);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    box->addWidget(notice_);
    box->addWidget(scrolling_, 1);
    rebuildRemoveButtons();
}

// The state changed: lay out anew, which places the controls.
void SettingsView::apply() {
    notice_->relayout();
    page_->relayout();
}

void SettingsView::placeControls() {
    const SettingsLayout& layout = page_->layout();
    for (auto& [which, button] : choices_) {
        button->setValue(SettingsText::value(state_.values, which));
        auto place = layout.choices.find(which);
        button->setVisible(place != layout.choices.end());
        if (place != layout.choices.end()) button->setGeometry(place->second.toAlignedRect());
    }
    for (auto& [which, button] : switches_) {
        button->setOn(switchOn(state_, which));
        button->setGeometry(layout.switches.at(which).toAlignedRect());
        button->setAccessibleDescription(layout.explanations.at(which));
    }
    // Without a service manager the helper cannot be turned on; the note under it says why.
    switches_.at(Switch::helper)
        ->setEnabled(state_.helper.which != ShelfSweeper::Status::Case::unavailable);
    int look = -1;
    const auto& appearances = SettingsText::appearances();
    for (size_t i = 0; i < appearances.size(); ++i)
        if (appearances[i].first == state_.values.appearance) look = static_cast<int>(i);
    appearance_->setCurrent(look);
    appearance_->setGeometry(layout.appearance.toAlignedRect());
    add_->setGeometry(layout.add.toAlignedRect());
    sayNeverTouch();
    showWelcome_->setGeometry(layout.showWelcome.toAlignedRect());
    openLoginItems_->setVisible(layout.openLoginItems.has_value());
    if (layout.openLoginItems) openLoginItems_->setGeometry(layout.openLoginItems->toAlignedRect());
    for (size_t i = 0; i < removeButtons_.size() && i < layout.rows.size(); ++i)
        removeButtons_[i]->setGeometry(layout.rows[i].remove.toAlignedRect());
    // Made in kinds, the controls would take Tab in kinds: it follows the page instead.
    const std::vector<QWidget*> order = controlsInOrder();
    for (size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

// The list is named by its section.
void SettingsView::sayNeverTouch() {
    const SettingsLayout& layout = page_->layout();
    if (const SettingsLayout::Text* note = layout.find(SettingsLayout::kNeverTouchNote))
        neverTouchNote_->say(note->lines.text(), QRectF(note->at, note->lines.size()));
    neverTouchList_->say(SettingsLayout::kNeverTouchTitle, layout.listBox);
    std::vector<std::pair<QString, QRectF>> rows;
    for (const SettingsLayout::PathRow& row : layout.rows)
        rows.emplace_back(row.shown, row.path);
    if (!rows.empty()) {
        neverTouchList_->sayItems(rows);
    } else if (const SettingsLayout::Text* nothing = layout.find(SettingsLayout::kNothingAdded)) {
        neverTouchList_->sayItems(
            {{nothing->lines.text(), QRectF(nothing->at, nothing->lines.size())}},
            QAccessible::StaticText);
    }
}

std::vector<QWidget*> SettingsView::controlsInOrder() const {
    std::vector<QWidget*> controls;
    for (QWidget* child : page_->findChildren<QWidget*>())
        if (child->focusPolicy() & Qt::TabFocus) controls.push_back(child);
    std::stable_sort(controls.begin(), controls.end(), [](QWidget* a, QWidget* b) {
        return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x());
    });
    return controls;
}

// One button per stored path; made again only when the list itself changes.
void SettingsView::rebuildRemoveButtons() {
    // The button pressed may be among them, still inside its own click: it goes later.
    for (RemoveButton* button : removeButtons_) {
        button->hide();
        button->setParent(nullptr);
        button->deleteLater();
    }
    removeButtons_.clear();
    for (const std::string& path : state_.neverTouch) {
        const SettingsText::RemoveWords words = SettingsText::removeWords(path, state_.home);
        auto* button = new RemoveButton(words.name, words.description, page_);
        button->setObjectName("removeNeverTouch");
        connect(button, &QPushButton::clicked, this, [this, path] { remove(path); });
        button->show();
        removeButtons_.push_back(button);
    }
}

void SettingsView::reread() {
    const Prefs::Settings& stored = model_.settings().document;
    SettingsValues values = SettingsValues::from(stored);
    std::vector<std::string> neverTouch = Prefs::stringList(stored, Prefs::Key::neverTouch);
    std::optional<std::string> notice = model_.settingsError();
    if (values == state_.values && neverTouch == state_.neverTouch && notice == state_.notice)
        return;
    state_.values = std::move(values);
    state_.notice = std::move(notice);
    if (neverTouch != state_.neverTouch) {
        state_.neverTouch = std::move(neverTouch);
        rebuildRemoveButtons();
    }
    apply();
}

bool SettingsView::saved(const SettingsStore::Write& write) {
    bool ok = model_.noteSettingsWrite(write);
    reread();
    return ok;
}

void SettingsView::choose(Choice which, int value) {
    saved(Prefs::setInteger(SettingsText::key(which), value));
}

void SettingsView::flip(Switch which) {
    bool on = !switchOn(state_, which);
    if (which == Switch::helper) {
        setHelper(on);
        return;
    }
    if (saved(Prefs::setBoolean(switchKey(which), on)) && which == Switch::showMenuBar)
        emit showMenuBarChanged(state_.values.showMenuBar);
}

void SettingsView::chooseAppearance(int index) {
    const auto& appearances = SettingsText::appearances();
    if (index < 0 || index >= static_cast<int>(appearances.size())) return;
    if (saved(Prefs::setString(Prefs::Key::appearance, appearances[index].first)))
        services_.applyAppearance();
}

void SettingsView::setHelper(bool on) {
    // Decided by the user now: finishing the welcome no longer registers it by itself.
    saved(Prefs::setBoolean(Prefs::Key::shelfHelperDecided, true));
    state_.helperError = services_.setHelper(on);
    state_.helper = services_.helperStatus();
    apply();
}

// The list shown is the one stored: a path that could not be saved does not show.
void SettingsView::add() {
    std::optional<QStringList> chosen = services_.chooseFiles(this);
    if (!chosen) return;
    std::vector<std::string> next = SettingsText::adding(state_.neverTouch, *chosen);
    if (next == state_.neverTouch) return;
    saved(Prefs::setStringList(Prefs::Key::neverTouch, next));
}

void SettingsView::remove(const std::string& path) {
    saved(Prefs::setStringList(Prefs::Key::neverTouch,
                               SettingsText::removing(state_.neverTouch, path)));
}

void SettingsView::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), Theme::ground());
}

void SettingsView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) reread();
    if (event->type() == QEvent::PaletteChange) update();
}

// SettingsNoticeBar

SettingsNoticeBar::SettingsNoticeBar(const SettingsState& state, QWidget* parent)
    : QWidget(parent), state_(state) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    relayout();
}

void SettingsNoticeBar::relayout() {
    qreal width = isVisible() ? this->width() : SettingsLayout::kWidth;
    banner_ = SettingsBanner::make(state_, width);
    setAccessibleName(state_.notice ? QString::fromStdString(*state_.notice) : QString());
    setVisible(banner_.has_value());
    updateGeometry();
    update();
}

int SettingsNoticeBar::heightForWidth(int width) const {
    auto banner = SettingsBanner::make(state_, width);
    return banner ? static_cast<int>(banner->size.height()) : 0;
}

QSize SettingsNoticeBar::sizeHint() const {
    return banner_ ? banner_->size.toSize() : QSize(0, 0);
}

void SettingsNoticeBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!banner_ || banner_->size.width() == width()) return;
    qreal height = banner_->size.height();
    banner_ = SettingsBanner::make(state_, width());
    if (banner_->size.height() != height) updateGeometry();
}

void SettingsNoticeBar::paintEvent(QPaintEvent*) {
    if (!banner_) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.fillRect(rect(), Theme::panel());
    Symbols::paint(painter, "exclamationmark.triangle", banner_->symbol,
                   SettingsBanner::kSymbolSize, Theme::signalText());
    banner_->text.paint(painter);
    Shapes::hairline(painter, banner_->rule, Qt::Horizontal);
}

// SettingsPage

SettingsPage::SettingsPage(const SettingsState& state, QWidget* parent)
    : QWidget(parent), state_(state), layout_(SettingsLayout::make(state)) {
    // The scroll area asks the policy, not the widget, whether the height follows the width.
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void SettingsPage::relayout() {
    // Until it is shown the page has whatever size its scroll area gave it; the window's width
    // is what it will get.
    qreal width = isVisible() ? this->width() : SettingsLayout::kWidth;
    SettingsLayout next = SettingsLayout::make(state_, width);
    bool taller = next.size.height() != layout_.size.height();
    layout_ = std::move(next);
    if (taller) updateGeometry();
    emit laidOut();
    update();
}

int SettingsPage::heightForWidth(int width) const {
    return static_cast<int>(std::ceil(SettingsLayout::make(state_, width).size.height()));
}

QSize SettingsPage::sizeHint() const {
    return QSize(static_cast<int>(layout_.size.width()),
                 static_cast<int>(std::ceil(layout_.size.height())));
}

void SettingsPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}

void SettingsPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    relayout();
}

void SettingsPage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    Shapes::fillRounded(painter, layout_.listBox, 10, Theme::panel(), Theme::line());
    for (const auto& [rect, title] : layout_.captions)
        Caption::paint(painter, rect, title);
    for (const auto& text : layout_.texts)
        text.paint(painter);
    QFont mono = Fonts::mono(12);
    QFontMetricsF metrics(mono);
    painter.setFont(mono);
    for (size_t i = 0; i < layout_.rows.size(); ++i) {
        const auto& row = layout_.rows[i];
        painter.setPen(Theme::ink());
        painter.drawText(row.path, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         metrics.elidedText(row.shown, Qt::ElideMiddle, row.path.width()));
        // The last row's rule would lie on the box's own border and cut its corners.
        if (i + 1 < layout_.rows.size())
            Shapes::hairline(painter,
                             QRectF(row.rect.left(), row.rect.bottom() - 1, row.rect.width(), 1),
                             Qt::Horizontal);
    }
}

} // namespace kelvora
