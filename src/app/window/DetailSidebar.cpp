#include "window/DetailSidebar.h"

#include "controller/AppModel.h"
#include "design/Accessibility.h"
#include "design/Caption.h"
#include "design/Focus.h"
#include "design/Fonts.h"
#include "design/Scrolling.h"
#include "design/Shapes.h"
#include "design/Snapshot.h"
#include "design/Spoken.h"
#include "design/Symbols.h"
#include "design/Theme.h"
#include "window/HomeDisk.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>

namespace kelvora {

namespace {

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
constexpr qreal kRowCorner = 7;

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
constexpr Spacing kRoomy{SidebarList::kRowHeight, 2, 18, 6};
constexpr Spacing kTight{SidebarList::kTightRowHeight, 0, 10, 4};

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

} // namespace

// ---- SidebarList ----

SidebarList::SidebarList(QWidget* parent)
    : QWidget(parent), PaintedRows(static_cast<QWidget&>(*this)) {
    setObjectName("sidebarList");
    setAccessibleName("Sidebar");
}

void SidebarList::setRows(std::vector<Sidebar::Row> rows, std::vector<QRect> places,
                          std::vector<std::pair<QRectF, QString>> captions) {
    const bool same = rows == rows_;
    rows_ = std::move(rows);
    places_ = std::move(places);
    captions_ = std::move(captions);
    if (!same) rowsChanged();
    update();
}

QRect SidebarList::rowRect(Sidebar::Destination destination, std::optional<JunkKind> kind) const {
    for (size_t i = 0; i < rows_.size() && i < places_.size(); ++i)
        if (rows_[i].destination == destination && rows_[i].kind == kind) return places_[i];
    return {};
}

PaintedRow SidebarList::paintedRow(int index) const {
    const Sidebar::Row& row = rows_[static_cast<size_t>(index)];
    PaintedRow painted;
    painted.name = QString::fromStdString(row.title);
    if (row.size) painted.description = QString::fromStdString(*row.size);
    painted.selected = row.selected;
    painted.actions = {kOpen};
    return painted;
}

QRect SidebarList::paintedRowRect(int row) const {
    return row >= 0 && row < static_cast<int>(places_.size()) ? places_[static_cast<size_t>(row)]
                                                              : QRect();
}

void SidebarList::actOnRow(int row, const QString& action) {
    if (action == kOpen && row >= 0 && row < paintedRowCount()) emit opened(row);
}

void SidebarList::mousePressEvent(QMouseEvent* event) {
    if (!pressRow(event)) QWidget::mousePressEvent(event);
}

void SidebarList::mouseReleaseEvent(QMouseEvent* event) {
    const int pressed = releaseRow(event);
    if (pressed < 0) return QWidget::mouseReleaseEvent(event);
    emit opened(pressed);
}

void SidebarList::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (const auto& [rect, text] : captions_)
        Caption::paint(painter, rect, text);
    for (int i = 0; i < paintedRowCount() && i < static_cast<int>(places_.size()); ++i) {
        const QRectF rect = places_[static_cast<size_t>(i)];
        if (!rect.intersects(event->rect())) continue;
        paintRow(painter, rect, rows_[static_cast<size_t>(i)]);
        // The ring follows the row's own rounded shape.
        if (showsFocusOn(i)) Focus::paintRing(painter, rect, kRowCorner);
    }
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
QString SidebarList::shownTitle(const Sidebar::Row& row, qreal width) {
    qreal room = width - 2 * kRowInset - kSymbolFrame - kRowGap;
    if (row.size) room -= figureWidth(row) + kRowGap;
    return QFontMetricsF(titleFont(row))
        .elidedText(QString::fromStdString(row.title), Qt::ElideRight, std::max<qreal>(0, room));
}

void SidebarList::paintRow(QPainter& painter, const QRectF& rect, const Sidebar::Row& row) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (row.selected) Shapes::fillRounded(painter, rect, kRowCorner, Theme::panel(), Theme::line());
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

// ---- DetailSidebar ----

DetailSidebar::DetailSidebar(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model), list_(new SidebarList),
      scrolling_(new Scrolling(list_, this)), disk_(new QWidget(this)) {
    setObjectName("DetailSidebar");
    disk_->setObjectName("diskFooter");
    disk_->setAttribute(Qt::WA_TransparentForMouseEvents);
    Accessibility::markRole(*disk_, QAccessible::StaticText);
    setFixedWidth(kWidth);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    connect(list_, &SidebarList::opened, this, &DetailSidebar::open);
    model.follow({&AppModel::navigationChanged, &AppModel::scanChanged, &AppModel::shelfChanged,
                  &AppModel::diskChanged, &AppModel::photosChanged, &AppModel::loginItemsChanged},
                 this, &DetailSidebar::refresh);
    refresh();
}

QSize DetailSidebar::sizeHint() const {
    return {kWidth, 720};
}

void DetailSidebar::open(int row) {
    // A copy: opening changes the rows.
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    Sidebar::open(model_, Sidebar::Row(rows_[static_cast<size_t>(row)]));
    emit opened();
}

void DetailSidebar::refresh() {
    PickTotals totals = Sidebar::totals(model_);
    std::vector<Sidebar::Row> rows = Sidebar::rows(model_, totals);
    std::string label = HomeDisk::label(model_.scanner().home.path(), Snapshot::isSnapshot(this));
    Sidebar::DiskFooter footer = Sidebar::diskFooter(model_, totals, label);
    if (rows == rows_ && footer == footer_) return;
    const int selectedBefore = selectedRow();
    rows_ = std::move(rows);
    footer_ = std::move(footer);
    disk_->setAccessibleName(Spoken::join(
        {QString::fromStdString(footer_.label), QString::fromStdString(footer_.freeText)}));
    disk_->setAccessibleDescription(QString::fromStdString(footer_.spoken));
    relayout();
    // The keyboard goes with the selection when something else moved it, so Tab comes back
    // to the row that is open.
    if (const int selected = selectedRow(); selected != selectedBefore) list_->followRow(selected);
    update();
}

int DetailSidebar::selectedRow() const {
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].selected) return static_cast<int>(i);
    return -1;
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
    list_->setMinimumHeight(placed.contentHeight);
    list_->setRows(rows_, std::move(placed.rows), std::move(placed.captions));
    scrolling_->setGeometry(0, 0, kWidth, placed.rowsHeight);
    const int footer = static_cast<int>(placed.footerTop);
    disk_->setGeometry(0, footer, kWidth, std::max(0, height() - footer));
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
