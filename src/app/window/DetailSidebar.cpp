#include "window/DetailSidebar.h"

#include "controller/AppModel.h"
#include "design/Caption.h"
#include "design/Fonts.h"
#include "design/Scrolling.h"
#include "design/Shapes.h"
#include "design/Snapshot.h"
#include "design/Symbols.h"
#include "design/Theme.h"
#include "window/HomeDisk.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

namespace kelvora {

namespace {

using Destination = Sidebar::Destination;

constexpr qreal kSideInset = 12;
constexpr qreal kTopInset = 16;
constexpr qreal kBottomInset = 16;
constexpr qreal kStackGap = 2;
constexpr qreal kCaptionInset = 10;
constexpr qreal kCaptionAbove = 18;
constexpr qreal kCaptionBelow = 6;
constexpr qreal kRowInset = 10;
constexpr qreal kRowGap = 10;
constexpr qreal kSymbolSize = 13;
constexpr qreal kSymbolFrame = 18;
constexpr qreal kMinSpacer = 6;
constexpr qreal kFooterInset = 10;
constexpr qreal kFooterTop = 14;
constexpr qreal kFooterGap = 8;
constexpr qreal kBarHeight = 6;

constexpr std::array kTools{Destination::shelf, Destination::spaceMap, Destination::search,
                            Destination::photos, Destination::loginItems};

QFont labelFont() {
    return Fonts::text(12, QFont::Medium);
}
QFont freeFont() {
    return Fonts::mono(11.5);
}

qreal footerHeight() {
    qreal line = std::max(QFontMetricsF(labelFont()).height(), QFontMetricsF(freeFont()).height());
    return kFooterTop + line + kFooterGap + kBarHeight;
}

// The slot of a row among the buttons: the overview, then the 15 categories, then the tools.
size_t slot(Destination destination, std::optional<JunkKind> kind) {
    if (destination == Destination::overview) return 0;
    if (destination == Destination::category) return 1 + static_cast<size_t>(kind.value());
    auto tool = std::find(kTools.begin(), kTools.end(), destination);
    return 16 + static_cast<size_t>(tool - kTools.begin());
}

} // namespace

// ---- SidebarRows ----

// The rows and their group labels, above the disk footer. In a window too short for all of
// them they scroll under it instead of running into it.
class SidebarRows : public QWidget {
public:
    using QWidget::QWidget;

    std::vector<std::pair<QRectF, QString>> captions;

    QSize sizeHint() const override { return minimumSize(); }

    // Called when a scroll bar comes or goes and the rows must narrow or widen with it.
    std::function<void()> resized;

protected:
    void resizeEvent(QResizeEvent*) override {
        if (resized) resized();
    }

    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::TextAntialiasing);
        for (const auto& [rect, text] : captions)
            Caption::paint(painter, rect, text);
    }
};

// ---- SidebarRowButton ----

SidebarRowButton::SidebarRowButton(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setFocusPolicy(Qt::TabFocus);
}

void SidebarRowButton::setRow(Sidebar::Row row) {
    if (row == row_) return;
    row_ = std::move(row);
    setText(QString::fromStdString(row_.title));
    setChecked(row_.selected);
    setAccessibleName(QString::fromStdString(row_.title));
    setAccessibleDescription(row_.size ? QString::fromStdString(*row_.size) : QString());
    update();
}

QSize SidebarRowButton::sizeHint() const {
    return {DetailSidebar::kWidth - 2 * static_cast<int>(kSideInset), kHeight};
}

void SidebarRowButton::paint(QPainter& painter, const QRectF& rect, const Sidebar::Row& row) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (row.selected) Shapes::fillRounded(painter, rect, 7, Theme::panel(), Theme::line());
    QColor color = row.selected ? Theme::ink() : Theme::muted();
    qreal x = rect.left() + kRowInset;
    Symbols::paint(painter, QString::fromStdString(row.symbol),
                   QRectF(x, rect.top(), kSymbolFrame, rect.height()), kSymbolSize, color);
    x += kSymbolFrame + kRowGap;

    qreal right = rect.right() - kRowInset;
    if (row.size) {
        QFont font = Fonts::mono(11);
        QString size = QString::fromStdString(*row.size);
        qreal width = QFontMetricsF(font).horizontalAdvance(size);
        painter.setFont(font);
        painter.setPen(Theme::faint());
        painter.drawText(QRectF(right - width, rect.top(), width, rect.height()),
                         Qt::AlignRight | Qt::AlignVCenter, size);
        right -= width + kRowGap + kMinSpacer + kRowGap;
    }
    QFont font = Fonts::text(13, row.selected ? QFont::Medium : QFont::Normal);
    QFontMetricsF metrics(font);
    painter.setFont(font);
    painter.setPen(color);
    qreal width = std::max<qreal>(0, right - x);
    painter.drawText(QRectF(x, rect.top(), width, rect.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(QString::fromStdString(row.title), Qt::ElideRight, width));
    painter.restore();
}

void SidebarRowButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, rect(), row_);
}

// ---- DetailSidebar ----

DetailSidebar::DetailSidebar(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model), rowsArea_(new SidebarRows),
      scrolling_(new Scrolling(rowsArea_, this)) {
    setObjectName("DetailSidebar");
    setFixedWidth(kWidth);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    for (size_t i = 0; i < 16 + kTools.size(); ++i) {
        auto* button = new SidebarRowButton(rowsArea_);
        button->hide();
        connect(button, &QAbstractButton::clicked, this,
                [this, button] { Sidebar::open(model_, button->row()); });
        buttons_.push_back(button);
    }
    rowsArea_->resized = [this] { relayout(); };
    model.follow({&AppModel::navigationChanged, &AppModel::scanChanged, &AppModel::shelfChanged,
                  &AppModel::diskChanged, &AppModel::photosChanged, &AppModel::loginItemsChanged},
                 this, &DetailSidebar::refresh);
    refresh();
}

QSize DetailSidebar::sizeHint() const {
    return {kWidth, 720};
}

SidebarRowButton* DetailSidebar::buttonFor(const Sidebar::Row& row) const {
    return buttons_[slot(row.destination, row.kind)];
}

SidebarRowButton* DetailSidebar::button(Destination destination,
                                        std::optional<JunkKind> kind) const {
    SidebarRowButton* found = buttons_[slot(destination, kind)];
    return found->isHidden() ? nullptr : found;
}

void DetailSidebar::refresh() {
    PickTotals totals = Sidebar::totals(model_);
    std::vector<Sidebar::Row> rows = Sidebar::rows(model_, totals);
    std::string label = HomeDisk::label(model_.scanner().home.path(), Snapshot::isSnapshot(this));
    Sidebar::DiskFooter footer = Sidebar::diskFooter(model_, totals, label);
    if (rows == rows_ && footer == footer_) return;
    rows_ = std::move(rows);
    footer_ = std::move(footer);
    for (SidebarRowButton* button : buttons_)
        button->hide();
    for (const Sidebar::Row& row : rows_) {
        SidebarRowButton* button = buttonFor(row);
        button->setRow(row);
        button->setObjectName(QString::fromStdString(
            "sidebar." + (row.kind ? JunkKinds::rawValue(*row.kind) : row.title)));
        button->show();
    }
    relayout();
    update();
}

void DetailSidebar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}

void DetailSidebar::relayout() {
    rowsArea_->captions.clear();
    qreal width = std::min(kWidth, rowsArea_->width()) - 2 * kSideInset;
    qreal captionHeight = Caption::idealSize("Found").height();
    qreal y = kTopInset;
    for (const Sidebar::Row& row : rows_) {
        if (row.captionAbove) {
            rowsArea_->captions.emplace_back(QRectF(kSideInset + kCaptionInset, y + kCaptionAbove,
                                                    width - 2 * kCaptionInset, captionHeight),
                                             QString::fromStdString(*row.captionAbove));
            y += kCaptionAbove + captionHeight + kCaptionBelow + kStackGap;
        }
        buttonFor(row)->setGeometry(
            QRectF(kSideInset, y, width, SidebarRowButton::kHeight).toRect());
        y += SidebarRowButton::kHeight + kStackGap;
    }
    rowsArea_->setMinimumHeight(static_cast<int>(std::ceil(y)));
    scrolling_->setGeometry(0, 0, kWidth, static_cast<int>(std::floor(footerTop())));
    rowsArea_->update();
}

qreal DetailSidebar::footerTop() const {
    return height() - kBottomInset - footerHeight();
}

QRectF DetailSidebar::diskBar() const {
    qreal bottom = height() - kBottomInset;
    return QRectF(kSideInset + kFooterInset, bottom - kBarHeight,
                  kWidth - 2 * kSideInset - 2 * kFooterInset, kBarHeight);
}

void DetailSidebar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.fillRect(rect(), Theme::sidebar());

    QRectF bar = diskBar();
    Shapes::hairline(painter, QRectF(kSideInset, footerTop(), kWidth - 2 * kSideInset, 1),
                     Qt::Horizontal);
    qreal lineTop = footerTop() + kFooterTop;
    qreal lineHeight = bar.top() - kFooterGap - lineTop;
    painter.setFont(labelFont());
    painter.setPen(Theme::ink());
    painter.drawText(QRectF(bar.left(), lineTop, bar.width(), lineHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(footer_.label));
    painter.setFont(freeFont());
    painter.setPen(Theme::muted());
    painter.drawText(QRectF(bar.left(), lineTop, bar.width(), lineHeight),
                     Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(footer_.freeText));

    painter.save();
    painter.setClipPath(Shapes::capsule(bar));
    painter.fillRect(bar, Theme::chip());
    qreal inkWidth = bar.width() * footer_.inkShare;
    painter.fillRect(QRectF(bar.left(), bar.top(), inkWidth, bar.height()), Theme::ink());
    painter.fillRect(
        QRectF(bar.left() + inkWidth, bar.top(), bar.width() * footer_.signalShare, bar.height()),
        Theme::signal());
    painter.restore();
}

} // namespace kelvora
