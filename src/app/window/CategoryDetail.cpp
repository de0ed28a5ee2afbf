#include "window/CategoryDetail.h"

#include "controller/AppModel.h"
#include "design/Buttons.h"
#include "design/Fonts.h"
#include "design/Scrolling.h"
#include "design/Shapes.h"
#include "design/Symbols.h"
#include "design/Theme.h"
#include "onboarding/FullDiskAccessGuide.h"
#include "window/CategoryList.h"
#include "window/Inspector.h"

#include <QEvent>
#include <QPainter>

#include <cmath>

namespace kelvora {

namespace {

constexpr qreal kHeaderInset = 18;
constexpr qreal kHeaderSpacing = 12;
constexpr qreal kTitleGap = 3;
constexpr qreal kLinkSize = 13;
constexpr qreal kEmptySymbol = 22;
constexpr qreal kEmptyGap = 10;

QFont titleFont() {
    return Fonts::text(16, QFont::DemiBold);
}
QFont countFont() {
    return Fonts::mono(12);
}

// The card in the middle of the room below the header, at most its own width; a card taller
// than the room starts at its top.
QRectF guidePlace(const QRectF& body, const QWidget& guide) {
    const qreal width = std::min<qreal>(FullDiskAccessGuide::kMaxWidth, body.width());
    const qreal height = guide.heightForWidth(static_cast<int>(std::floor(width)));
    QRectF place(0, 0, width, height);
    place.moveCenter(body.center());
    if (place.top() < body.top()) place.moveTop(body.top());
    return place;
}

} // namespace

CategoryDetail::CategoryDetail(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model), pickAll_(new TextLinkButton("Pick all", kLinkSize, this)),
      pickNone_(new TextLinkButton("Pick none", kLinkSize, this)), rows_(new CategoryRows(this)),
      list_(new CategoryList(rows_)), scrolling_(new Scrolling(list_, this)),
      inspector_(new Inspector(model, this)) {
    setObjectName("CategoryDetail");
    list_->setObjectName("categoryItems");
    pickAll_->setObjectName("pickAll");
    pickNone_->setObjectName("pickNone");
    rows_->onToggle = [this](const ScanItem& item) { model_.toggle(item); };
    connect(list_, &CategoryList::toggleRequested, this, [this](int row) {
        if (const ScanItem* item = rows_->item(row)) model_.toggle(ScanItem(*item));
    });
    connect(list_, &CategoryList::focusRequested, this, [this](int row) {
        if (const ScanItem* item = rows_->item(row)) model_.setFocusedItem(item->location);
        list_->scrollTo(rows_->index(row));
    });
    connect(pickAll_, &QPushButton::clicked, this, [this] {
        if (rows_->kind()) model_.pickAll(*rows_->kind(), true);
    });
    connect(pickNone_, &QPushButton::clicked, this, [this] {
        if (rows_->kind()) model_.pickAll(*rows_->kind(), false);
    });
    model.follow({&AppModel::navigationChanged, &AppModel::scanChanged, &AppModel::settingsChanged},
                 this, &CategoryDetail::refresh);
    refresh();
}

FullDiskAccessGuide* CategoryDetail::guide() const {
    return guide_;
}

bool CategoryDetail::showsEmptyState() const {
    return rows_->kind() && rows_->rowCount() == 0 && !guide_;
}

void CategoryDetail::refresh() {
    const SharedResult& result = model_.sharedResult();
    std::optional<JunkKind> kind = result ? model_.category() : std::nullopt;
    rows_->show(result, kind, &model_.catalog());
    rows_->follow(model_.picks(), model_.focusedItem());
    list_->followRow(rows_->focusedRow());
    header_ =
        kind ? CategoryHeader::of(model_.catalog(), *kind, rows_->counts()) : CategoryHeader{};
    setAccessibleName(QString::fromStdString(header_.title));
    inspector_->setItem(rows_->item(rows_->focusedRow()));
    bool empty = kind && rows_->rowCount() == 0;
    showGuide(empty ? privateFolderPhrase(*result, *kind) : std::nullopt);
    relayout();
    update();
}

void CategoryDetail::showGuide(const std::optional<std::string>& phrase) {
    if (guide_ && (!phrase || *phrase != guidePhrase_)) {
        delete guide_;
        guidePhrase_.clear();
    }
    if (!phrase || guide_) return;
    guidePhrase_ = *phrase;
    guide_ = new FullDiskAccessGuide(model_, QString::fromStdString(*phrase), this);
    guide_->show();
}

QRectF CategoryDetail::listColumn() const {
    return QRectF(0, 0, std::max<qreal>(0, width() - 1 - Inspector::kWidth), height());
}

QRectF CategoryDetail::body() const {
    QRectF column = listColumn();
    return column.adjusted(0, kHeaderHeight + 1, 0, 0);
}

// The guide grows or shrinks when the folders open or close; it stays in the middle.
bool CategoryDetail::event(QEvent* event) {
    if (event->type() == QEvent::LayoutRequest) relayout();
    return QWidget::event(event);
}

void CategoryDetail::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}

void CategoryDetail::relayout() {
    QRectF column = listColumn();
    inspector_->setGeometry(QRectF(column.right() + 1, 0, Inspector::kWidth, height()).toRect());
    bool rowsShown = rows_->rowCount() > 0;
    scrolling_->setVisible(rowsShown);
    if (rowsShown) scrolling_->setGeometry(body().toRect());
    if (guide_) guide_->setGeometry(guidePlace(body(), *guide_).toRect());

    pickAll_->setVisible(header_.pickLinks);
    pickNone_->setVisible(header_.pickLinks);
    if (header_.pickLinks) {
        QSize none = pickNone_->sizeHint();
        QSize all = pickAll_->sizeHint();
        qreal right = column.right() - kHeaderInset;
        qreal middle = kHeaderHeight / 2;
        pickNone_->setGeometry(
            QRectF(right - none.width(), middle - none.height() / 2.0, none.width(), none.height())
                .toRect());
        pickAll_->setGeometry(QRectF(right - none.width() - kHeaderSpacing - all.width(),
                                     middle - all.height() / 2.0, all.width(), all.height())
                                  .toRect());
    }
}

void CategoryDetail::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(listColumn(), Theme::panel());
    if (!rows_->kind()) return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QRectF column = listColumn();

    QFontMetricsF title(titleFont());
    QFontMetricsF count(countFont());
    qreal block = title.height() + kTitleGap + count.height();
    qreal top = (kHeaderHeight - block) / 2;
    qreal textWidth = column.width() - 2 * kHeaderInset;
    if (header_.pickLinks)
        textWidth -=
            pickAll_->sizeHint().width() + pickNone_->sizeHint().width() + 2 * kHeaderSpacing;
    painter.setFont(titleFont());
    painter.setPen(Theme::ink());
    painter.drawText(
        QRectF(kHeaderInset, top, textWidth, title.height()), Qt::AlignLeft | Qt::AlignVCenter,
        title.elidedText(QString::fromStdString(header_.title), Qt::ElideRight, textWidth));
    painter.setFont(countFont());
    painter.setPen(Theme::faint());
    painter.drawText(
        QRectF(kHeaderInset, top + title.height() + kTitleGap, textWidth, count.height()),
        Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(header_.countLine));

    Shapes::hairline(painter, QRectF(0, kHeaderHeight, column.width(), 1), Qt::Horizontal);
    Shapes::hairline(painter, QRectF(column.right(), 0, 1, height()), Qt::Vertical);

    if (!showsEmptyState()) return;
    QRectF area = body();
    QFont font = Fonts::text(15, QFont::Medium);
    QFontMetricsF metrics(font);
    qreal symbol = Symbols::extent(kEmptySymbol);
    qreal y = area.center().y() - (symbol + kEmptyGap + metrics.height()) / 2;
    Symbols::paint(painter, "checkmark.circle",
                   QRectF(area.center().x() - symbol / 2, y, symbol, symbol), kEmptySymbol,
                   Theme::muted());
    painter.setFont(font);
    painter.setPen(Theme::ink());
    painter.drawText(QRectF(area.left(), y + symbol + kEmptyGap, area.width(), metrics.height()),
                     Qt::AlignCenter, kEmpty);
}

} // namespace kelvora
