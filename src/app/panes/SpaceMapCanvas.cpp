#include "panes/SpaceMapCanvas.h"

#include "design/Focus.h"
#include "design/Fonts.h"
#include "design/Motion.h"
#include "design/Shapes.h"
#include "design/Symbols.h"
#include "design/Theme.h"
#include "model/Format.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEasingCurve>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QVariantAnimation>

#include <QPointer>

#include <algorithm>
#include <mutex>
#include <utility>

namespace kelvora {

namespace {

constexpr qreal kRadius = 6;
constexpr qreal kPadding = 8;
constexpr qreal kSelectionWidth = 3;
constexpr qreal kRingInset = 5;
constexpr int kZoomMilliseconds = 250;

QRectF between(const QRectF& from, const QRectF& to, double t) {
    auto mix = [t](qreal a, qreal b) { return a + (b - a) * t; };
    return {mix(from.x(), to.x()), mix(from.y(), to.y()), mix(from.width(), to.width()),
            mix(from.height(), to.height())};
}

} // namespace

// One tile to assistive technology: a button named "<name>, <size>" whose one action,
// "Open", does what a double click does.
class SpaceMapTileAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    SpaceMapTileAccessible(SpaceMapCanvas* canvas, int index) : canvas_(canvas), index_(index) {}

    bool isValid() const override {
        return canvas_ && index_ < static_cast<int>(canvas_->tiles().size());
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return canvas_ ? canvas_->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        return canvas_ ? QAccessible::queryAccessibleInterface(canvas_) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        if (!isValid()) return {};
        const SpaceMapTile& tile = canvas_->tiles()[index_];
        if (t == QAccessible::Name)
            return QString::fromStdString(SpaceMapTiles::accessibleLabel(tile));
        if (t == QAccessible::Help) return QString::fromStdString(SpaceMapTiles::helpText(tile));
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid()) return {};
        QRectF drawn = SpaceMapTiles::drawn(canvas_->tileRect(index_));
        return {canvas_->mapToGlobal(drawn.topLeft().toPoint()), drawn.size().toSize()};
    }
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.selectable = canvas_->tiles()[index_].entry.has_value();
        state.selected = canvas_->isSelected(index_);
        state.focused = canvas_->hasFocus() && canvas_->current() == index_;
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override { return {"Open"}; }
    void doAction(const QString& name) override {
        if (name == "Open" && isValid()) canvas_->open(index_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    int index() const { return index_; }

private:
    QPointer<SpaceMapCanvas> canvas_;
    int index_;
};

// The treemap holds its tiles as its children; nothing else of it is read.
class SpaceMapCanvasAccessible : public QAccessibleWidget {
public:
    explicit SpaceMapCanvasAccessible(SpaceMapCanvas* canvas)
        : QAccessibleWidget(canvas, QAccessible::Graphic) {}

    int childCount() const override { return static_cast<int>(canvas()->tiles().size()); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        auto& ids = canvas()->accessibleTiles_;
        while (static_cast<int>(ids.size()) <= index)
            ids.push_back(QAccessible::registerAccessibleInterface(
                new SpaceMapTileAccessible(canvas(), static_cast<int>(ids.size()))));
        return QAccessible::accessibleInterface(ids[index]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        auto* tile = dynamic_cast<const SpaceMapTileAccessible*>(child);
        return tile && tile->index() < childCount() ? tile->index() : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        int index = canvas()->tileAt(canvas()->mapFromGlobal(QPoint(x, y)));
        return index >= 0 ? child(index) : nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        return canvas()->hasFocus() && canvas()->current() >= 0 ? child(canvas()->current())
                                                                : nullptr;
    }

private:
    SpaceMapCanvas* canvas() const { return static_cast<SpaceMapCanvas*>(widget()); }
};

namespace {

QAccessibleInterface* canvasFactory(const QString& key, QObject* object) {
    if (key == "kelvora::SpaceMapCanvas")
        return new SpaceMapCanvasAccessible(static_cast<SpaceMapCanvas*>(object));
    return nullptr;
}

} // namespace

SpaceMapCanvas::SpaceMapCanvas(SpaceMapFolder& folder, QWidget* parent)
    : QWidget(parent), folder_(folder), animation_(new QVariantAnimation(this)) {
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(canvasFactory); });
    setObjectName("spaceMapTiles");
    setAccessibleName("Space map");
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    animation_->setDuration(kZoomMilliseconds);
    animation_->setEasingCurve(QEasingCurve::OutCubic);
    animation_->setStartValue(0.0);
    animation_->setEndValue(1.0);
    connect(animation_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { step(value.toDouble()); });
}

SpaceMapCanvas::~SpaceMapCanvas() {
    for (unsigned id : accessibleTiles_)
        QAccessible::deleteAccessibleInterface(id);
}

void SpaceMapCanvas::tilesChanged(bool animate) {
    bool moving = animate && Motion::animates(this) && !shown_.empty();
    std::map<std::string, QRectF> before;
    if (moving)
        for (size_t i = 0; i < shown_.size() && i < ids_.size(); ++i)
            before[ids_[i]] = shown_[i];
    animation_->stop();
    previous_ = std::move(before);
    const std::vector<std::string> ids = ids_;
    layOut();
    keepCurrent(ids);
    if (moving) {
        step(0);
        animation_->start();
    }
}

void SpaceMapCanvas::setSelection(const std::optional<URL>& selection) {
    if (selection == selection_) return;
    selection_ = selection;
    update();
}

QRectF SpaceMapCanvas::tileRect(int index) const {
    if (index < 0 || index >= static_cast<int>(shown_.size())) return {};
    return shown_[index];
}

int SpaceMapCanvas::tileAt(QPointF point) const {
    for (int i = 0; i < static_cast<int>(shown_.size()); ++i)
        if (SpaceMapTiles::drawn(shown_[i]).contains(point)) return i;
    return -1;
}

void SpaceMapCanvas::open(int index) {
    if (index < 0 || index >= static_cast<int>(tiles().size())) return;
    const auto& entry = tiles()[index].entry;
    if (entry && entry->isFolder) emit opened(entry->url);
}

bool SpaceMapCanvas::isSelected(int index) const {
    if (!selection_ || index < 0 || index >= static_cast<int>(tiles().size())) return false;
    const auto& entry = tiles()[index].entry;
    return entry && entry->url == *selection_;
}

bool SpaceMapCanvas::showsFocusOn(int index) const {
    return index == current_ && keyboardFocus_ && hasFocus();
}

void SpaceMapCanvas::moveTo(int index) {
    if (index < 0 || index >= static_cast<int>(tiles().size())) return;
    current_ = index;
    const auto& entry = tiles()[index].entry;
    emit selected(entry ? std::optional<URL>(entry->url) : std::nullopt);
    update();
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::Focus);
        event.setChild(index);
        QAccessible::updateAccessibility(&event);
    }
}

void SpaceMapCanvas::keepCurrent(const std::vector<std::string>& before) {
    const std::optional<URL> cameFrom = std::exchange(cameUpFrom_, std::nullopt);
    const std::string was = current_ >= 0 && current_ < static_cast<int>(before.size())
                                ? before[static_cast<size_t>(current_)]
                                : std::string();
    current_ = -1;
    for (int i = 0; i < static_cast<int>(tiles().size()); ++i) {
        const auto& entry = tiles()[i].entry;
        if ((cameFrom && entry && entry->url == *cameFrom) || (!cameFrom && tiles()[i].id == was))
            current_ = i;
    }
    if (!hasFocus()) return;
    if (current_ < 0 && !target_.empty()) current_ = SpaceMapTiles::readingOrder(target_).front();
    // A folder the keyboard opened or left shows with its tile chosen, so the inspector
    // says where the keyboard is.
    if (current_ >= 0) moveTo(current_);
}

void SpaceMapCanvas::layOut() {
    target_ = folder_.rectangles(size());
    ids_.clear();
    for (const auto& tile : tiles())
        ids_.push_back(tile.id);
    shown_ = target_;
    opacity_.assign(target_.size(), 1.0);
    update();
}

// Tiles that stay move from where they were; new ones fade in where they belong.
void SpaceMapCanvas::step(double progress) {
    for (size_t i = 0; i < target_.size(); ++i) {
        auto it = previous_.find(ids_[i]);
        shown_[i] = it == previous_.end() ? target_[i] : between(it->second, target_[i], progress);
        opacity_[i] = it == previous_.end() ? progress : 1.0;
    }
    if (progress >= 1) previous_.clear();
    update();
}

bool SpaceMapCanvas::event(QEvent* event) {
    // The keys the tiles use are theirs while they have the keyboard, even where the window
    // gives one to a button.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
        case Qt::Key_Backspace:
            event->accept();
            return true;
        default:
            break;
        }
    }
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        int index = tileAt(help->pos());
        if (index < 0) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(),
                               QString::fromStdString(SpaceMapTiles::helpText(tiles()[index])),
                               this, SpaceMapTiles::drawn(shown_[index]).toRect());
        }
        return true;
    }
    return QWidget::event(event);
}

void SpaceMapCanvas::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    animation_->stop();
    previous_.clear();
    layOut();
}

void SpaceMapCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    int index = tileAt(event->position());
    if (index < 0) return;
    current_ = index;
    const auto& entry = tiles()[index].entry;
    emit selected(entry ? std::optional<URL>(entry->url) : std::nullopt);
}

void SpaceMapCanvas::keyPressEvent(QKeyEvent* event) {
    const bool alt = event->modifiers() & Qt::AltModifier;
    if (event->key() == Qt::Key_Backspace || (alt && event->key() == Qt::Key_Up)) {
        cameUpFrom_ = folder_.folder();
        emit up();
        cameUpFrom_.reset();
        return;
    }
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return QWidget::keyPressEvent(event);
    const std::vector<int> order = SpaceMapTiles::readingOrder(target_);
    if (order.empty()) return QWidget::keyPressEvent(event);
    const auto at = std::find(order.begin(), order.end(), current_);
    const int place = at == order.end() ? -1 : static_cast<int>(at - order.begin());
    const int last = static_cast<int>(order.size()) - 1;
    keyboardFocus_ = true;
    switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Down:
        return moveTo(order[static_cast<size_t>(std::min(place + 1, last))]);
    case Qt::Key_Left:
    case Qt::Key_Up:
        return moveTo(order[static_cast<size_t>(place < 0 ? last : std::max(place - 1, 0))]);
    case Qt::Key_Home:
        return moveTo(order.front());
    case Qt::Key_End:
        return moveTo(order.back());
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return current_ >= 0 ? open(current_) : moveTo(order.front());
    case Qt::Key_Space:
        return moveTo(current_ >= 0 ? current_ : order.front());
    default:
        return QWidget::keyPressEvent(event);
    }
}

void SpaceMapCanvas::focusInEvent(QFocusEvent* event) {
    Focus::track(keyboardFocus_, event);
    QWidget::focusInEvent(event);
    if (event->reason() == Qt::MouseFocusReason || target_.empty()) return update();
    if (current_ < 0) {
        // The keyboard starts on the chosen tile, else on the first.
        for (int i = 0; i < static_cast<int>(tiles().size()); ++i)
            if (isSelected(i)) current_ = i;
        if (current_ < 0) current_ = SpaceMapTiles::readingOrder(target_).front();
    }
    moveTo(current_);
}

void SpaceMapCanvas::focusOutEvent(QFocusEvent* event) {
    Focus::track(keyboardFocus_, event);
    QWidget::focusOutEvent(event);
    update();
}

void SpaceMapCanvas::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseDoubleClickEvent(event);
    open(tileAt(event->position()));
}

void SpaceMapCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (int i = 0; i < static_cast<int>(shown_.size()); ++i)
        paintTile(painter, i);
}

void SpaceMapCanvas::paintTile(QPainter& painter, int index) const {
    const SpaceMapTile& tile = tiles()[index];
    QRectF full = shown_[index];
    QRectF area = SpaceMapTiles::drawn(full);
    if (area.isEmpty()) return;
    TileShade shade = SpaceMapTiles::shade(index);
    painter.save();
    painter.setOpacity(opacity_[index]);
    Shapes::fillRounded(painter, area, kRadius, shade.fill);
    if (isSelected(index))
        Shapes::fillRounded(painter, area, kRadius, Qt::transparent, Theme::signal(),
                            kSelectionWidth);
    // Inside the selection's border, a ring of its own, so the keyboard's tile stands out
    // from one chosen with the pointer.
    if (showsFocusOn(index))
        Focus::paintRing(painter, area.adjusted(kRingInset, kRingInset, -kRingInset, -kRingInset),
                         std::max<qreal>(kRadius - kRingInset, 2));
    if (SpaceMapTiles::showsLabel(full.size())) {
        painter.setClipRect(area);
        painter.setPen(shade.text);
        QRectF label = area.adjusted(kPadding, kPadding, -kPadding, -kPadding);
        QFont nameFont = Fonts::text(12.5, QFont::DemiBold);
        QFontMetricsF name(nameFont);
        qreal left = label.left();
        if (tile.entry && tile.entry->isFolder) {
            qreal side = Symbols::extent(10.5);
            Symbols::paint(painter, "folder",
                           {left, label.top() + (name.height() - side) / 2, side, side}, 10.5,
                           shade.text);
            left += side + 5;
        }
        painter.setFont(nameFont);
        QString shown = name.elidedText(QString::fromStdString(tile.name), Qt::ElideRight,
                                        label.right() - left);
        painter.drawText(QPointF(left, label.top() + name.ascent()), shown);
        QFont sizeFont = Fonts::mono(11.5);
        painter.setFont(sizeFont);
        painter.drawText(QPointF(label.left(), label.top() + name.height() + 3 +
                                                   QFontMetricsF(sizeFont).ascent()),
                         QString::fromStdString(Format::size(tile.bytes)));
    }
    painter.restore();
}

} // namespace kelvora
