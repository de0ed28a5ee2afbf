#include "window/OverviewList.h"

#include "controller/AppModel.h"
#include "design/Caption.h"
#include "design/DialView.h"
#include "design/Fonts.h"
#include "design/ForecastLine.h"
#include "design/Meter.h"
#include "design/RowText.h"
#include "design/Scrolling.h"
#include "design/Shapes.h"
#include "design/Spoken.h"
#include "design/Symbols.h"
#include "design/Theme.h"
#include "design/VerdictBadge.h"
#include "window/SidebarContent.h"

#include <QMouseEvent>
#include <QPainter>

#include <utility>

namespace kelvora {

namespace {

constexpr qreal kPaneInset = 28;
constexpr qreal kPaneGap = 22;
constexpr qreal kCardRadius = 14;
constexpr qreal kSummaryInset = 22;
constexpr qreal kDialWidth = 300;
constexpr qreal kDialHeight = 154;
constexpr qreal kSummaryGap = 32;
constexpr qreal kTextGap = 8;
constexpr qreal kNumberUnitGap = 8;
constexpr qreal kForecastSize = 13;

constexpr qreal kRowInset = 16;
constexpr qreal kRowGap = 14;
constexpr qreal kTile = 34;
constexpr qreal kTileRadius = 9;
constexpr qreal kTileSymbol = 15;
constexpr qreal kLineGap = 3;
constexpr qreal kMinSpacer = 12;
constexpr qreal kBadgeWidth = 96;
constexpr qreal kMeterWidth = 120;
constexpr qreal kSizeWidth = 76;
constexpr qreal kChevron = 11;

constexpr qreal kNoticeSize = 13;
constexpr qreal kNoticeGap = 6;

QFont foundFont() {
    return Fonts::text(14);
}
QFont hintFont() {
    return Fonts::text(13);
}
QFont noticeFont() {
    return Fonts::text(kNoticeSize);
}

} // namespace

// ---- OverviewRows ----

OverviewRows::OverviewRows(QWidget* parent)
    : QWidget(parent), PaintedRows(static_cast<QWidget&>(*this)) {
    setObjectName("overviewRows");
    setAccessibleName("Categories");
}

qreal OverviewRows::height(const std::vector<Overview::Row>& rows) {
    qreal height = 0;
    for (const Overview::Row& row : rows)
        height += kRowHeight + (row.divider ? 1 : 0);
    return height;
}

void OverviewRows::setRows(std::vector<Overview::Row> rows) {
    if (rows == rows_) return;
    rows_ = std::move(rows);
    places_.clear();
    int y = 0;
    for (const Overview::Row& row : rows_) {
        places_.emplace_back(0, y, width(), kRowHeight);
        y += kRowHeight + (row.divider ? 1 : 0);
    }
    rowsChanged();
    update();
}

const Overview::Row* OverviewRows::row(JunkKind kind) const {
    for (const Overview::Row& row : rows_)
        if (row.kind == kind) return &row;
    return nullptr;
}

QRect OverviewRows::rowRect(JunkKind kind) const {
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].kind == kind) return paintedRowRect(static_cast<int>(i));
    return {};
}

PaintedRow OverviewRows::paintedRow(int index) const {
    const Overview::Row& row = rows_[static_cast<size_t>(index)];
    PaintedRow painted;
    painted.name = QString::fromStdString(row.title);
    painted.description = Spoken::join({QString::fromStdString(row.subtitle),
                                        VerdictBadge::look(row.verdict).accessibleLabel,
                                        QString::fromStdString(row.size)});
    painted.actions = {PaintedRow::kShowDetails};
    return painted;
}

QRect OverviewRows::paintedRowRect(int row) const {
    if (row < 0 || row >= static_cast<int>(places_.size())) return {};
    QRect place = places_[static_cast<size_t>(row)];
    place.setWidth(width());
    return place;
}

void OverviewRows::actOnRow(int row, const QString& action) {
    if (action == PaintedRow::kShowDetails && row >= 0 && row < paintedRowCount())
        emit opened(rows_[static_cast<size_t>(row)].kind);
}

void OverviewRows::mousePressEvent(QMouseEvent* event) {
    if (!pressRow(event)) QWidget::mousePressEvent(event);
}

void OverviewRows::mouseReleaseEvent(QMouseEvent* event) {
    const int pressed = releaseRow(event);
    if (pressed < 0) return QWidget::mouseReleaseEvent(event);
    actOnRow(pressed, PaintedRow::kShowDetails);
}

void OverviewRows::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    for (int i = 0; i < paintedRowCount(); ++i) {
        const QRect rect = paintedRowRect(i);
        if (!rect.intersects(event->rect())) continue;
        paint(painter, rect, rows_[static_cast<size_t>(i)]);
        paintRowFocus(painter, i, rect);
    }
}

OverviewRows::Geometry OverviewRows::geometry(const QRectF& rect) {
    Geometry g;
    qreal middle = rect.center().y();
    g.tile = QRectF(rect.left() + kRowInset, middle - kTile / 2, kTile, kTile);
    qreal chevron = Symbols::extent(kChevron);
    g.chevron = QRectF(rect.right() - kRowInset - chevron, rect.top(), chevron, rect.height());
    g.size = QRectF(g.chevron.left() - kRowGap - kSizeWidth, rect.top(), kSizeWidth, rect.height());
    g.meter = QRectF(g.size.left() - kRowGap - kMeterWidth, middle - Meter::kHeight / 2,
                     kMeterWidth, Meter::kHeight);
    g.badge =
        QRectF(g.meter.left() - kRowGap - kBadgeWidth, rect.top(), kBadgeWidth, rect.height());
    qreal textLeft = g.tile.right() + kRowGap;
    qreal textRight = g.badge.left() - kRowGap - kMinSpacer - kRowGap;
    g.text = QRectF(textLeft, rect.top(), std::max<qreal>(0, textRight - textLeft), rect.height());
    return g;
}

void OverviewRows::paint(QPainter& painter, const QRectF& rect, const Overview::Row& row) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    Geometry g = geometry(rect);
    Shapes::fillRounded(painter, g.tile, kTileRadius, Theme::chip());
    Symbols::paint(painter, QString::fromStdString(row.symbol), g.tile, kTileSymbol, Theme::ink());

    paintTitleAndDetail(
        painter, g.text,
        {QString::fromStdString(row.title), Fonts::text(14, QFont::Medium), Theme::ink()},
        {QString::fromStdString(row.subtitle), Fonts::text(12.5), Theme::faint()}, kLineGap);

    QSizeF badge = VerdictBadge::idealSize(row.verdict);
    VerdictBadge::paint(painter, QPointF(g.badge.left(), g.badge.center().y() - badge.height() / 2),
                        row.verdict);
    Meter::paint(painter, g.meter, row.meter);

    painter.setFont(Fonts::mono(13, QFont::Medium));
    painter.setPen(row.faintSize ? Theme::faint() : Theme::ink());
    painter.drawText(g.size, Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(row.size));
    Symbols::paint(painter, "chevron.right", g.chevron, kChevron, Theme::faint());
    painter.restore();
}

// ---- OverviewPane ----

OverviewPane::OverviewPane(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model), dial_(new DialView(this)), list_(new OverviewRows(this)) {
    setObjectName("OverviewPane");
    // A scroll area asks the policy, not the widget, whether height follows width.
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    dial_->setObjectName("overviewDial");
    connect(list_, &OverviewRows::opened, this,
            [this](JunkKind kind) { Sidebar::openCategory(model_, kind); });
}

void OverviewPane::setContent(const Overview::Summary& summary, std::optional<double> forecastDays,
                              std::vector<Overview::Row> rows, std::optional<std::string> notice) {
    bool sameShape = rows.size() == rows_.size() && notice_.has_value() == notice.has_value() &&
                     ForecastLine::isShown(forecastDays) == ForecastLine::isShown(forecastDays_);
    summary_ = summary;
    forecastDays_ = forecastDays;
    notice_ = std::move(notice);
    rows_ = std::move(rows);
    dial_->setValues(summary_.used, summary_.after, summary_.totalBytes);
    number_.setValue(QString::fromStdString(summary_.number));
    if (!sameShape) updateGeometry();
    relayout();
    update();
}

OverviewPane::Layout OverviewPane::layoutFor(qreal width) const {
    Layout l;
    qreal cardWidth = std::max<qreal>(0, width - 2 * kPaneInset);
    qreal textLeft = kPaneInset + kSummaryInset + kDialWidth + kSummaryGap;
    qreal textWidth = std::max<qreal>(0, kPaneInset + cardWidth - kSummaryInset - textLeft);
    qreal captionHeight = Caption::idealSize("Picked to free up").height();
    qreal numberHeight = QFontMetricsF(Fonts::number(56)).height();
    qreal foundHeight = QFontMetricsF(foundFont()).height();
    bool forecast = ForecastLine::isShown(forecastDays_);
    qreal forecastHeight =
        forecast ? ForecastLine::idealSize(*forecastDays_, kForecastSize).height() : 0;
    l.hint = TextFlow(Overview::kHint, hintFont(), textWidth, {.fontLineHeight = true});
    qreal stack = captionHeight + kTextGap + numberHeight + kTextGap + foundHeight +
                  (forecast ? kTextGap + forecastHeight : 0) + kTextGap + l.hint.height();
    qreal inner = std::max(kDialHeight, stack);

    qreal top = kPaneInset;
    l.summaryCard = QRectF(kPaneInset, top, cardWidth, inner + 2 * kSummaryInset);
    qreal innerTop = top + kSummaryInset;
    l.dial = QRectF(kPaneInset + kSummaryInset, innerTop + (inner - kDialHeight) / 2, kDialWidth,
                    kDialHeight);
    qreal y = innerTop + (inner - stack) / 2;
    l.text = QRectF(textLeft, y, textWidth, stack);
    l.numberTop = y + captionHeight + kTextGap;
    l.foundTop = l.numberTop + numberHeight + kTextGap;
    l.forecastTop = l.foundTop + foundHeight + kTextGap;
    l.hintTop = l.forecastTop + (forecast ? forecastHeight + kTextGap : 0);

    qreal cardTop = l.summaryCard.bottom() + kPaneGap;
    const qreal cardHeight = OverviewRows::height(rows_);
    l.categoryCard = QRectF(kPaneInset, cardTop, cardWidth, cardHeight);
    qreal bottom = l.categoryCard.bottom();
    if (notice_) {
        l.noticeTop = bottom + kPaneGap;
        l.notice = TextFlow(QString::fromStdString(*notice_), noticeFont(),
                            cardWidth - Symbols::extent(kNoticeSize) - kNoticeGap,
                            {.fontLineHeight = true});
        bottom = l.noticeTop + l.notice.height();
    }
    l.height = bottom + kPaneInset;
    return l;
}

int OverviewPane::heightForWidth(int width) const {
    return static_cast<int>(std::ceil(layoutFor(width).height));
}

QSize OverviewPane::sizeHint() const {
    int width = std::max(this->width(), 760);
    return {width, heightForWidth(width)};
}

void OverviewPane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}

void OverviewPane::relayout() {
    layout_ = layoutFor(width());
    summaryCard_ = layout_.summaryCard;
    categoryCard_ = layout_.categoryCard;
    dial_->setGeometry(layout_.dial.toRect());
    list_->setGeometry(layout_.categoryCard.toAlignedRect());
    list_->setRows(rows_);
    list_->setVisible(!rows_.empty());
}

void OverviewPane::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const Layout& l = layout_;
    Shapes::fillRounded(painter, l.summaryCard, kCardRadius, Theme::sidebar(), Theme::line());

    Caption::paint(painter,
                   QRectF(l.text.left(), l.text.top(), l.text.width(),
                          Caption::idealSize("Picked to free up").height()),
                   "Picked to free up");
    QFont numberFont = Fonts::number(56);
    QFont unitFont = Fonts::number(24);
    QFontMetricsF numberMetrics(numberFont);
    painter.setPen(Theme::ink());
    painter.setFont(numberFont);
    number_.paint(painter,
                  QRectF(l.text.left(), l.numberTop, l.text.width(), numberMetrics.height()),
                  Qt::AlignLeft | Qt::AlignTop);
    painter.setFont(unitFont);
    painter.drawText(
        QPointF(l.text.left() + numberMetrics.horizontalAdvance(number_.value()) + kNumberUnitGap,
                l.numberTop + numberMetrics.ascent()),
        QString::fromStdString(summary_.unit));
    painter.setFont(foundFont());
    painter.setPen(Theme::muted());
    painter.drawText(
        QRectF(l.text.left(), l.foundTop, l.text.width(), QFontMetricsF(foundFont()).height()),
        Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(summary_.foundLine));
    if (ForecastLine::isShown(forecastDays_))
        ForecastLine::paint(painter,
                            QRectF(l.text.left(), l.forecastTop, l.text.width(),
                                   ForecastLine::idealSize(*forecastDays_, kForecastSize).height()),
                            *forecastDays_, kForecastSize);
    l.hint.paint(painter, QPointF(l.text.left(), l.hintTop), Theme::faint());

    if (!rows_.empty()) {
        Shapes::fillRounded(painter, l.categoryCard, kCardRadius, Theme::panel(), Theme::line());
        qreal y = l.categoryCard.top();
        for (const Overview::Row& row : rows_) {
            y += OverviewRows::kRowHeight;
            if (!row.divider) continue;
            Shapes::hairline(painter, QRectF(l.categoryCard.left(), y, l.categoryCard.width(), 1),
                             Qt::Horizontal);
            y += 1;
        }
    }

    if (notice_) {
        qreal icon = Symbols::extent(kNoticeSize);
        Symbols::paint(painter, "lock", QRectF(kPaneInset, l.noticeTop, icon, icon), kNoticeSize,
                       Theme::muted());
        l.notice.paint(painter, QPointF(kPaneInset + icon + kNoticeGap, l.noticeTop),
                       Theme::muted());
    }
}

// ---- OverviewList ----

OverviewList::OverviewList(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model), pane_(new OverviewPane(model)),
      scrolling_(new Scrolling(pane_, this)) {
    setObjectName("OverviewList");
    model.follow({&AppModel::scanChanged, &AppModel::diskChanged, &AppModel::settingsChanged}, this,
                 &OverviewList::refresh);
    refresh();
}

void OverviewList::refresh() {
    const ScanResult* result = model_.result();
    if (!result) {
        pane_->setContent({}, std::nullopt, {}, std::nullopt);
        return;
    }
    PickTotals totals = PickTotals::count(*result, model_.picks());
    pane_->setContent(Overview::summary(*result, totals), model_.forecastDays(),
                      Overview::rows(model_.catalog(), *result, totals),
                      Overview::inUseNotice(*result));
}

void OverviewList::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    scrolling_->setGeometry(rect());
}

void OverviewList::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), Theme::panel());
}

} // namespace kelvora
