#pragma once

#include "controller/Receipt.h"

#include <QColor>
#include <QFont>
#include <QLocale>
#include <QPainterPath>
#include <QRectF>
#include <QString>

#include <vector>

class QPainter;

namespace kelvora {

// The receipt's own colours: a printed paper looks the same whatever the appearance, so
// none of them is a theme token.
namespace ReceiptInk {
inline QColor paper() {
    return QColor(0xFB, 0xFA, 0xF6);
}
inline QColor ink() {
    return QColor(0x1A, 0x1A, 0x18);
}
inline QColor faint() {
    return QColor(0x6B, 0x69, 0x63);
}
inline QColor signal() {
    return QColor(0xB4, 0x44, 0x0A);
}
// The table the paper lies on.
inline QColor surround() {
    return QColor(0xE6, 0xE2, 0xD9);
}
} // namespace ReceiptInk

// The words and figures printed on a receipt.
namespace ReceiptText {

// One printed line: a title, a dot leader and a size. Muted lines are the disk's.
struct Row {
    QString title; // already in capitals
    QString value;
    bool muted = false;
    bool operator==(const Row&) const = default;
};

// Day, short month, year, hour and minute, as the locale writes them.
QString dateLine(Date date, const QLocale& locale = QLocale());
std::vector<Row> categoryRows(const Receipt& receipt);
// Free before, free after and, when anything went there, what waits on the Undo Shelf.
std::vector<Row> diskRows(const Receipt& receipt);
inline const QString kTitle = "KELVORA";
inline const QString kSubtitle = "RECEIPT";
inline const QString kTotalTitle = "SPACE BACK";
inline const QString kPrivacy = "Sizes only. No file names. Nothing left the computer.";
inline const QString kSignature = "Cleaned with Kelvora";

} // namespace ReceiptText

// Where everything of one receipt goes, worked out once: a 360 px paper with a torn bottom
// edge, lying on a 24 px margin of the table's colour.
class ReceiptLayout {
public:
    static constexpr qreal kPaperWidth = 360;
    static constexpr qreal kMargin = 24;
    static constexpr qreal kTooth = 9;

    explicit ReceiptLayout(const Receipt& receipt);

    // The whole picture, margin included.
    QSizeF size() const { return size_; }
    QRectF paper() const { return paper_; }
    // Where the total's figure is printed.
    QRectF totalFigure() const { return totalFigure_; }

    // One printed line, placed: its title (cut only when the value leaves it no room), a
    // leader of whole dots ending one row spacing before the value, and the value.
    struct Line {
        ReceiptText::Row row;
        qreal top = 0;
        qreal baseline = 0;
        QString title;
        qreal titleRight = 0;
        QString leader;
        QRectF leaderBox; // the dots' advance, from the top of the line to below the baseline
        qreal valueLeft = 0;
    };
    // The category lines, then the disk lines.
    const std::vector<Line>& lines() const { return lines_; }

    void paint(QPainter& painter) const;

    // The paper's outline in a rectangle at the origin: straight top and sides, and a
    // bottom edge of 9 px teeth from the right, the first one going down.
    static QPainterPath tornEdge(qreal width, qreal height);

private:
    qreal rowHeight(bool muted) const;
    Line placeRow(const ReceiptText::Row& row, qreal top) const;
    void paintRow(QPainter& painter, const Line& line) const;
    void paintRule(QPainter& painter, qreal top) const;
    void paintCentred(QPainter& painter, const QString& text, const QFont& font,
                      const QColor& color, qreal top) const;

    QString date_;
    QString totalNumber_;
    QString totalUnit_;
    std::vector<Line> lines_;
    QSizeF size_;
    QRectF paper_;
    qreal left_ = 0;
    qreal width_ = 0;
    qreal titleTop_ = 0, subtitleTop_ = 0, dateTop_ = 0;
    std::vector<qreal> rules_;
    qreal totalTop_ = 0;
    QRectF totalFigure_;
    QRectF privacy_;
    qreal signatureTop_ = 0;
};

} // namespace kelvora
