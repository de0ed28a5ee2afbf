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

namespace kelvora {

namespace {

using Destination = Sidebar::Destination;

constexpr qreal kSideInset = 12;
constexpr qreal kTopInset = 16;
constexpr qreal kBottomInset = 16;
constexpr qreal kCaptionInset = 10;
constexpr qreal kRowInset = 10;
constexpr qreal kRowGap = 10;
constexpr qreal kSymbolSize = 13;
constexpr qreal kSymbolFrame = 18;
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

// Where the disk footer's hairline lies in a column of `height`.
qreal footerTopIn(int height) {
    qreal line = std::max(QFontMetricsF(labelFont()).height(), QFontMetricsF(freeFont()).height());
    return height - kBottomInset - (kFooterTop + line + kFooterGap + kBarHeight);
}

// The vertical spaces of the rows: the roomy ones wherever they fit, the tight ones where even
// those scroll, and in between whatever fills the column exactly.
struct Spacing {
    qreal row, gap, captionAbove, captionBelow;

    static Spacing between(const Spacing& roomy, const Spacing& tight, qreal t) {
        auto mix = [t](qreal a, qreal b) { return a + (b - a) * t; };
        return {mix(roomy.row, tight.row), mix(roomy.gap, tight.gap),
                mix(roomy.captionAbove, tight.captionAbove),
                mix(roomy.captionBelow, tight.captionBelow)};
    }
};
constexpr Spacing kRoomy{SidebarRowButton::kHeight, 2, 18, 6};
constexpr Spacing kTight{SidebarRowButton::kTightHeight, 0, 10, 4};

qreal captionHeight() {
    return Caption::idealSize("Found").height();
}

qreal contentHeight(const std::vector<Sidebar::Row>& rows, const Spacing& spacing) {
    qreal height = kTopInset;
    for (const Sidebar::Row& row : rows) {
        if (row.captionAbove)
            height += spacing.captionAbove + captionHeight() + spacing.captionBelow + spacing.gap;
        height += spacing.row + spacing.gap;
    }
    return height;
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

protected:
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

namespace {

QFont titleFont(const Sidebar::Row& row) {
    return Fonts::text(13, row.selected ? QFont::Medium : QFont::Normal);
}
QFont figureFont() {
    return Fonts::mono(11);
}
qreal figureWidth(const Sidebar::Row& row) {
    return row.size
               ? QFontMetricsF(figureFont()).horizontalAdvance(QString::fromStdString(*row.size))
               : 0;
}

} // namespace

// The flexible space between title and figure gives way before the title does: a long
// title next to a wide figure keeps one stack gap from it rather than being cut.
QString SidebarRowButton::shownTitle(const Sidebar::Row& row, qreal width) {
    qreal room = width - 2 * kRowInset - kSymbolFrame - kRowGap;
    if (row.size) room -= figureWidth(row) + kRowGap;
    return QFontMetricsF(titleFont(row))
        .elidedText(QString::fromStdString(row.title), Qt::ElideRight, std::max<qreal>(0, room));
}

void SidebarRowButton::paint(QPainter& painter, const QRectF& rect, const Sidebar::Row& row) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (row.selected) Shapes::fillRounded(painter, rect, 7, Theme::panel(), Theme::line());
    QColor color = row.selected ? Theme::ink() : Theme::muted();
    Symbols::paint(painter, QString::fromStdString(row.symbol),
                   QRectF(rect.left() + kRowInset, rect.top(), kSymbolFrame, rect.height()),
                   kSymbolSize, color);

    qreal right = rect.right() - kRowInset;
    if (row.size) {
        qreal width = figureWidth(row);
        painter.setFont(figureFont());
        painter.setPen(Theme::faint());
        painter.drawText(QRectF(right - width, rect.top(), width, rect.height()),
                         Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(*row.size));
    }
    qreal x = rect.left() + kRowInset + kSymbolFrame + kRowGap;
    painter.setFont(titleFont(row));
    painter.setPen(color);
    painter.drawText(QRectF(x, rect.top(), std::max<qreal>(0, right - x), rect.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, shownTitle(row, rect.width()));
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

DetailSidebar::Layout DetailSidebar::layout(const std::vector<Sidebar::Row>& rows, int height) {
    Layout layout;
    layout.footerTop = footerTopIn(height);
    const qreal room = std::floor(layout.footerTop);
    const qreal roomy = contentHeight(rows, kRoomy);
    const qreal tight = contentHeight(rows, kTight);
    qreal t = 0;
    if (roomy > room) t = tight < room ? (roomy - room) / (roomy - tight) : 1;
    const Spacing spacing = Spacing::between(kRoomy, kTight, t);

    const qreal width = kWidth - 2 * kSideInset;
    const qreal caption = captionHeight();
    qreal y = kTopInset;
    for (const Sidebar::Row& row : rows) {
        if (row.captionAbove) {
            layout.captions.emplace_back(QRectF(kSideInset + kCaptionInset,
                                                y + spacing.captionAbove, width - 2 * kCaptionInset,
                                                caption),
                                         QString::fromStdString(*row.captionAbove));
            y += spacing.captionAbove + caption + spacing.captionBelow + spacing.gap;
        }
        // Rounded at both edges, so rows of a fractional height still meet without a seam.
        int top = static_cast<int>(std::lround(y));
        int bottom = static_cast<int>(std::lround(y + spacing.row));
        layout.rows.emplace_back(static_cast<int>(kSideInset), top, static_cast<int>(width),
                                 bottom - top);
        y += spacing.row + spacing.gap;
    }
    layout.contentHeight = static_cast<int>(std::ceil(y - 1e-6));
    layout.rowsHeight = static_cast<int>(room);
    return layout;
}

void DetailSidebar::relayout() {
    Layout placed = layout(rows_, height());
    for (size_t i = 0; i < rows_.size(); ++i)
        buttonFor(rows_[i])->setGeometry(placed.rows[i]);
    rowsArea_->captions = std::move(placed.captions);
    rowsArea_->setMinimumHeight(placed.contentHeight);
    scrolling_->setGeometry(0, 0, kWidth, placed.rowsHeight);
    rowsArea_->update();
}

qreal DetailSidebar::footerTop() const {
    return footerTopIn(height());
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
