#include "panes/ReceiptLayout.h"

#include "catalog/PlainWords.h"
#include "design/Fonts.h"
#include "design/LocaleDates.h"
#include "design/TextFlow.h"
#include "model/Format.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace kelvora {

namespace {

constexpr qreal kSide = 26;
constexpr qreal kTop = 26;
constexpr qreal kBottom = 34;
constexpr qreal kGap = 14;        // between the parts of the paper
constexpr qreal kHeaderGap = 4;   // between the header's lines
constexpr qreal kCategoryGap = 8; // between category lines
constexpr qreal kDiskGap = 6;     // between disk lines
constexpr qreal kRowSpacing = 6;  // title, leader and value
constexpr qreal kFigureSpacing = 4;
constexpr qreal kTotalSpacing = 8; // the platform's spacing in a row
constexpr int kLeaderDots = 60;    // the most a leader prints

QFont tracked(QFont font, qreal tracking) {
    font.setLetterSpacing(QFont::AbsoluteSpacing, tracking);
    return font;
}

QFont titleFont() {
    return tracked(Fonts::number(30), 6);
}
QFont subtitleFont() {
    return tracked(Fonts::mono(11, QFont::DemiBold), 3);
}
QFont dateFont() {
    return Fonts::mono(11);
}
QFont rowTitleFont(bool muted) {
    return tracked(Fonts::mono(11.5, muted ? QFont::Normal : QFont::Medium), 0.5);
}
QFont leaderFont() {
    return Fonts::mono(11.5);
}
QFont valueFont() {
    return Fonts::mono(12, QFont::DemiBold);
}
QFont totalTitleFont() {
    return tracked(Fonts::mono(12, QFont::Bold), 1.5);
}
QFont totalNumberFont() {
    return Fonts::number(40);
}
QFont totalUnitFont() {
    return Fonts::number(16);
}
QFont privacyFont() {
    return Fonts::mono(10.5);
}
QFont signatureFont() {
    return Fonts::mono(11, QFont::DemiBold);
}

qreal lineHeight(const QFont& font) {
    return QFontMetricsF(font).height();
}

QString size(int64_t bytes) {
    return QString::fromStdString(Format::size(bytes));
}

QString upper(const std::string& text) {
    return QString::fromStdString(text).toUpper();
}

} // namespace

namespace ReceiptText {

QString dateLine(Date date, const QLocale& locale) {
    const QDateTime when = LocaleDates::local(date);
    return LocaleDates::withTime(LocaleDates::dayMonthYear(when.date(), locale), when.time(),
                                 locale);
}

std::vector<Row> categoryRows(const Receipt& receipt) {
    std::vector<Row> rows;
    for (const auto& line : receipt.lines)
        rows.push_back({upper(line.title), size(line.bytes), false});
    return rows;
}

std::vector<Row> diskRows(const Receipt& receipt) {
    std::vector<Row> rows = {{"FREE BEFORE", size(receipt.freeBefore), true},
                             {"FREE AFTER", size(receipt.freeAfter), true}};
    if (receipt.shelved >= 1)
        rows.push_back({upper("On Undo Shelf, " + PlainWords::counted(receipt.holdDays, "day")),
                        size(receipt.shelved), true});
    return rows;
}

} // namespace ReceiptText

ReceiptLayout::ReceiptLayout(const Receipt& receipt) : date_(ReceiptText::dateLine(receipt.date)) {
    Format::SizeParts total = Format::sizeParts(receipt.total);
    totalNumber_ = QString::fromStdString(total.number);
    totalUnit_ = QString::fromStdString(total.unit);

    left_ = kMargin + kSide;
    width_ = kPaperWidth - 2 * kSide;
    qreal y = kMargin + kTop;
    titleTop_ = y;
    y += lineHeight(titleFont()) + kHeaderGap;
    subtitleTop_ = y;
    y += lineHeight(subtitleFont()) + kHeaderGap;
    dateTop_ = y;
    y += lineHeight(dateFont()) + kGap;

    rules_.push_back(y);
    y += 1 + kGap;
    auto category = ReceiptText::categoryRows(receipt);
    for (size_t i = 0; i < category.size(); ++i) {
        if (i > 0) y += kCategoryGap;
        lines_.push_back(placeRow(category[i], y));
        y += rowHeight(false);
    }
    y += kGap;
    rules_.push_back(y);
    y += 1 + kGap;

    totalTop_ = y;
    QFontMetricsF title(totalTitleFont()), number(totalNumberFont()), unit(totalUnitFont());
    qreal ascent = std::max({title.ascent(), number.ascent(), unit.ascent()});
    qreal descent = std::max({title.descent(), number.descent(), unit.descent()});
    qreal figureWidth = number.horizontalAdvance(totalNumber_) + kFigureSpacing +
                        unit.horizontalAdvance(totalUnit_);
    totalFigure_ = QRectF(left_ + width_ - figureWidth, y + ascent - number.ascent(), figureWidth,
                          number.ascent());
    y += ascent + descent + kGap;

    auto disk = ReceiptText::diskRows(receipt);
    for (size_t i = 0; i < disk.size(); ++i) {
        if (i > 0) y += kDiskGap;
        lines_.push_back(placeRow(disk[i], y));
        y += rowHeight(true);
    }
    y += kGap;
    rules_.push_back(y);
    y += 1 + kGap;

    qreal privacyHeight = TextFlow::heightOf(ReceiptText::kPrivacy, privacyFont(), width_);
    privacy_ = QRectF(left_, y, width_, privacyHeight);
    y += privacyHeight + kGap;
    signatureTop_ = y;
    y += lineHeight(signatureFont()) + kBottom;

    paper_ = QRectF(kMargin, kMargin, kPaperWidth, y - kMargin);
    size_ = QSizeF(kPaperWidth + 2 * kMargin, y + kMargin);
}

qreal ReceiptLayout::rowHeight(bool muted) const {
    QFontMetricsF title(rowTitleFont(muted)), leader(leaderFont()), value(valueFont());
    return std::max({title.ascent(), leader.ascent(), value.ascent()}) +
           std::max({title.descent(), leader.descent(), value.descent()});
}

QPainterPath ReceiptLayout::tornEdge(qreal width, qreal height) {
    QPainterPath path;
    path.moveTo(0, 0);
    path.lineTo(width, 0);
    path.lineTo(width, height - kTooth);
    bool low = true;
    for (qreal x = width; x > 0; low = !low) {
        x = std::max(x - kTooth, 0.0);
        path.lineTo(x, low ? height : height - kTooth);
    }
    path.closeSubpath();
    return path;
}

void ReceiptLayout::paint(QPainter& painter) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.fillRect(QRectF(QPointF(0, 0), size_), ReceiptInk::surround());
    painter.fillPath(tornEdge(paper_.width(), paper_.height()).translated(paper_.topLeft()),
                     ReceiptInk::paper());

    paintCentred(painter, ReceiptText::kTitle, titleFont(), ReceiptInk::ink(), titleTop_);
    paintCentred(painter, ReceiptText::kSubtitle, subtitleFont(), ReceiptInk::faint(),
                 subtitleTop_);
    paintCentred(painter, date_, dateFont(), ReceiptInk::faint(), dateTop_);
    for (qreal rule : rules_)
        paintRule(painter, rule);
    for (const auto& line : lines_)
        paintRow(painter, line);

    QFontMetricsF unit(totalUnitFont());
    qreal baseline = totalFigure_.bottom();
    painter.setPen(ReceiptInk::ink());
    painter.setFont(totalTitleFont());
    painter.drawText(QPointF(left_, baseline), ReceiptText::kTotalTitle);
    painter.setPen(ReceiptInk::signal());
    painter.setFont(totalNumberFont());
    painter.drawText(QPointF(totalFigure_.left(), baseline), totalNumber_);
    painter.setFont(totalUnitFont());
    painter.drawText(QPointF(totalFigure_.right() - unit.horizontalAdvance(totalUnit_), baseline),
                     totalUnit_);

    TextFlow(ReceiptText::kPrivacy, privacyFont(), privacy_.width(),
             {.alignment = Qt::AlignHCenter})
        .paint(painter, privacy_.topLeft(), ReceiptInk::faint());
    paintCentred(painter, ReceiptText::kSignature, signatureFont(), ReceiptInk::ink(),
                 signatureTop_);
    painter.restore();
}

ReceiptLayout::Line ReceiptLayout::placeRow(const ReceiptText::Row& row, qreal top) const {
    QFontMetricsF title(rowTitleFont(row.muted)), leader(leaderFont()), value(valueFont());
    Line line;
    line.row = row;
    line.top = top;
    line.baseline = top + std::max({title.ascent(), leader.ascent(), value.ascent()});
    const qreal right = left_ + width_;
    line.valueLeft = right - value.horizontalAdvance(row.value);
    // The value stays whole and the leader gives way first; only then is the title cut.
    const qreal titleRoom = std::max(0.0, width_ - (right - line.valueLeft) - 2 * kRowSpacing);
    line.title = title.elidedText(row.title, Qt::ElideRight, titleRoom);
    line.titleRight = left_ + std::min(title.horizontalAdvance(line.title), titleRoom);
    // As many whole dots as fit, set against the value: every row's last dot stands the
    // same spacing from its figure, and any slack falls after the title.
    const qreal leaderRight = line.valueLeft - kRowSpacing;
    const qreal room = leaderRight - (line.titleRight + kRowSpacing);
    const qreal dot = leader.horizontalAdvance(QChar('.'));
    const int dots = room > 0 ? std::min(kLeaderDots, static_cast<int>(room / dot + 1e-6)) : 0;
    line.leader = QString(dots, QChar('.'));
    const qreal width = leader.horizontalAdvance(line.leader);
    line.leaderBox =
        QRectF(leaderRight - width, top, width, line.baseline - top + leader.descent());
    return line;
}

void ReceiptLayout::paintRow(QPainter& painter, const Line& line) const {
    painter.setPen(line.row.muted ? ReceiptInk::faint() : ReceiptInk::ink());
    painter.setFont(rowTitleFont(line.row.muted));
    painter.drawText(QPointF(left_, line.baseline), line.title);
    painter.setFont(valueFont());
    painter.drawText(QPointF(line.valueLeft, line.baseline), line.row.value);
    if (line.leader.isEmpty()) return;
    QColor dots = ReceiptInk::faint();
    dots.setAlphaF(0.6);
    painter.setPen(dots);
    painter.setFont(leaderFont());
    painter.drawText(QPointF(line.leaderBox.left(), line.baseline), line.leader);
}

void ReceiptLayout::paintRule(QPainter& painter, qreal top) const {
    QColor color = ReceiptInk::faint();
    color.setAlphaF(0.7);
    QPen pen(color, 1, Qt::CustomDashLine, Qt::FlatCap);
    pen.setDashPattern({3, 3});
    painter.save();
    painter.setPen(pen);
    qreal middle = top + 0.5;
    painter.drawLine(QPointF(left_, middle), QPointF(left_ + width_, middle));
    painter.restore();
}

void ReceiptLayout::paintCentred(QPainter& painter, const QString& text, const QFont& font,
                                 const QColor& color, qreal top) const {
    painter.setPen(color);
    painter.setFont(font);
    painter.drawText(QRectF(left_, top, width_, lineHeight(font)),
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, text);
}

} // namespace kelvora
