#include "panes/UninstallSheet.h"

#include "controller/AppModel.h"
#include "design/AppIcon.h"
#include "design/Buttons.h"
#include "design/Fonts.h"
#include "design/Shapes.h"
#include "design/Spoken.h"
#include "design/Symbols.h"
#include "design/Theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>
#include <functional>

namespace kelvora {

namespace {

using Button = UninstallSheetLayout::Button;

PaintedButton* makeButton(Button button, QWidget* parent) {
    switch (button) {
    case Button::cancel:
        return new OutlineButton("Cancel", 32, 13, parent);
    case Button::move:
        return new SignalButton({}, 58, 18, parent);
    case Button::ok:
        return new InkButton("OK", parent);
    case Button::done:
        return new InkButton("Done", parent);
    case Button::usePassword:
        break;
    }
    return new InkButton("Use password…", parent);
}

const char* nameOf(Button button) {
    switch (button) {
    case Button::cancel:
        return "cancel";
    case Button::move:
        return "move";
    case Button::ok:
        return "ok";
    case Button::done:
        return "done";
    case Button::usePassword:
        break;
    }
    return "usePassword";
}

// Return presses the move and done buttons and Escape cancels, but only where nothing is
// in the way: in use and administrator-installed, no button has a key.
KeyRole keyRole(Button button, UninstallText::State state) {
    if (button == Button::move || button == Button::done) return KeyRole::confirm;
    if (button == Button::cancel && state == UninstallText::State::ready) return KeyRole::cancel;
    return KeyRole::none;
}

QColor toneColor(UninstallSheetLayout::Tone tone) {
    switch (tone) {
    case UninstallSheetLayout::Tone::warning:
        return Theme::signalText();
    case UninstallSheetLayout::Tone::quiet:
        return Theme::muted();
    case UninstallSheetLayout::Tone::plain:
        break;
    }
    return Theme::ink();
}

// Where the row of buttons starts: the foot that stays in view in a short window.
int footTop(const UninstallSheetLayout& layout) {
    qreal top = layout.size.height() - UninstallSheetLayout::kPadding;
    for (const auto& placed : layout.buttons)
        top = std::min(top, placed.rect.top());
    return static_cast<int>(std::floor(top));
}

// The icon's 48 points at up to three device pixels each.
constexpr int kIconPixels = 144;

// Everything of the sheet above its buttons, painted by the sheet.
class UninstallBody : public QWidget {
public:
    explicit UninstallBody(std::function<void(QPainter&)> paint) : paint_(std::move(paint)) {
        setObjectName("uninstallBody");
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        paint_(painter);
    }

private:
    std::function<void(QPainter&)> paint_;
};

} // namespace

UninstallSheet::UninstallSheet(AppModel& model, const ScanItem& item, QWidget* parent)
    : SheetFrame(parent), model_(model), item_(item) {
    setObjectName("UninstallSheet");
    auto* foot = new QWidget;
    foot->setObjectName("uninstallButtons");
    auto* body = new UninstallBody([this](QPainter& painter) { paintBody(painter); });
    title_ = new SpokenText(body);
    subtitle_ = new SpokenText(body);
    files_ = new SpokenText(body, QAccessible::List);
    message_ = new SpokenText(body);
    setParts(body, foot);
    for (Button button :
         {Button::cancel, Button::move, Button::ok, Button::done, Button::usePassword}) {
        PaintedButton* widget = makeButton(button, foot);
        widget->setObjectName(nameOf(button));
        widget->hide();
        buttons_[button] = widget;
    }
    connect(buttons_[Button::cancel], &QPushButton::clicked, this,
            [this] { model_.closeUninstall(); });
    connect(buttons_[Button::ok], &QPushButton::clicked, this, [this] { model_.closeUninstall(); });
    connect(buttons_[Button::done], &QPushButton::clicked, this,
            [this] { model_.closeUninstall(); });
    connect(buttons_[Button::move], &QPushButton::clicked, this,
            [this] { model_.confirmUninstall(); });
    connect(buttons_[Button::usePassword], &QPushButton::clicked, this, [this] {
        ScanItem item = item_;
        model_.removeWithPassword(item);
    });
    model_.follow({&AppModel::uninstallChanged, &AppModel::settingsChanged}, this,
                  &UninstallSheet::refresh);
    refresh();
}

PaintedButton* UninstallSheet::button(Button button) const {
    return buttons_.at(button);
}

void UninstallSheet::refresh() {
    // The password route puts a freshly prepared item in place of the locked one.
    if (const auto& target = model_.uninstallTarget(); target && !(*target == item_))
        item_ = *target;
    const std::string iconName =
        item_.kind == JunkKind::apps && item_.app() ? item_.app()->icon : std::string();
    if (iconName != iconName_) {
        iconName_ = iconName;
        icon_ = AppIcon::image(iconName, kIconPixels);
    }
    UninstallSheetLayout next = UninstallSheetLayout::make(UninstallInput::from(model_, item_));
    bool resized = next.size != layout_.size || footTop(next) != footTop(layout_);
    layout_ = std::move(next);
    placeButtons();
    sayWords();
    if (resized) {
        const int top = footTop(layout_);
        const QSize size = layout_.size.toSize();
        body()->setFixedSize(size.width(), top);
        foot()->setFixedSize(size.width(), size.height() - top);
    }
    body()->update();
}

void UninstallSheet::placeButtons() {
    for (auto& [kind, widget] : buttons_) {
        const auto* placed = layout_.find(kind);
        if (!placed) {
            widget->setKeyRole(KeyRole::none);
            widget->hide();
            continue;
        }
        if (widget->text() != placed->title) widget->setText(placed->title);
        if (widget->keyRole() != keyRole(kind, layout_.state))
            widget->setKeyRole(keyRole(kind, layout_.state));
        widget->setGeometry(placed->rect.toAlignedRect().translated(0, -footTop(layout_)));
        widget->show();
    }
}

// The sheet is named by its title; its words are read in the order they are painted.
void UninstallSheet::sayWords() {
    const QString title = layout_.title.text();
    if (accessibleName() != title) setAccessibleName(title);
    title_->say(title, QRectF(layout_.titleAt, layout_.title.size()));
    subtitle_->say(layout_.subtitle.text(), QRectF(layout_.subtitleAt, layout_.subtitle.size()));
    files_->say(kFilesName, layout_.list);
    std::vector<std::pair<QString, QRectF>> files;
    for (size_t i = 0; i < layout_.paths.size(); ++i)
        files.emplace_back(layout_.paths[i], layout_.pathRects[i]);
    if (layout_.moreRect) files.emplace_back(layout_.more, *layout_.moreRect);
    files_->sayItems(files);
    message_->say(layout_.message.text(), QRectF(layout_.messageAt, layout_.message.size()));
}

void UninstallSheet::paintBody(QPainter& painter) const {
    paintIcon(painter);
    layout_.title.paint(painter, layout_.titleAt, Theme::ink());
    layout_.subtitle.paint(painter, layout_.subtitleAt, Theme::muted());

    Shapes::fillRounded(painter, layout_.list, 10, Theme::panel(), Theme::line());
    QFont mono = Fonts::mono(11.5);
    QFontMetricsF metrics(mono);
    painter.setFont(mono);
    painter.setPen(Theme::ink());
    for (size_t i = 0; i < layout_.paths.size(); ++i) {
        const QRectF& line = layout_.pathRects[i];
        painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         metrics.elidedText(layout_.paths[i], Qt::ElideMiddle, line.width()));
    }
    if (layout_.moreRect) {
        painter.setFont(Fonts::text(12));
        painter.setPen(Theme::faint());
        painter.drawText(*layout_.moreRect, Qt::AlignLeft | Qt::AlignVCenter, layout_.more);
    }
    layout_.message.paint(painter, layout_.messageAt, toneColor(layout_.tone));
}

// An app shows the icon its menu entry names. There is no icon a file manager shows for an
// application bundle here, so for one without the sheet draws its own: the apps symbol for
// an application, a folder for what one left behind.
void UninstallSheet::paintIcon(QPainter& painter) const {
    if (!icon_.isNull()) {
        QSizeF size = QSizeF(icon_.size()).scaled(layout_.icon.size(), Qt::KeepAspectRatio);
        QRectF place(QPointF(), size);
        place.moveCenter(layout_.icon.center());
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(place, icon_);
        painter.restore();
        return;
    }
    Shapes::fillRounded(painter, layout_.icon, 12, Theme::chip(), Theme::line());
    Symbols::paint(painter, layout_.iconSymbol, layout_.icon, 26, Theme::ink());
}

} // namespace kelvora
