#pragma once

#include "design/Theme.h"

#include <QFont>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QColor;
class QPainter;
class QTextLayout;

namespace kelvora {

struct TextFlowOptions {
    qreal lineSpacing = 0; // extra room between two lines
    // Each line within the width the flow was broken for.
    Qt::Alignment alignment = Qt::AlignLeft;
    // Every line exactly the font's height, fractions kept, rather than each line's own
    // height rounded up to a whole pixel: blocks that must line up with single lines drawn
    // from the font's metrics.
    bool fontLineHeight = false;
};

// A paragraph broken into lines for one width when it is made, so painting only draws. It
// is a plain value: layouts keep it and paint it as often as they need. Lines break between
// words, and inside a word too long for the width (paths, long names), so nothing runs
// past its frame. A size never breaks between its figure and its unit.
class TextFlow {
public:
    // A stretch of the text in a colour of its own; none: the colour the flow is painted in.
    struct Run {
        QString text;
        std::optional<Token> color;
        bool operator==(const Run&) const = default;
    };

    using Options = TextFlowOptions;

    TextFlow() = default;
    TextFlow(const QString& text, const QFont& font, qreal width, Options options = {});
    TextFlow(const std::vector<Run>& runs, const QFont& font, qreal width, Options options = {});

    // The height `text` takes broken for `width`.
    static qreal heightOf(const QString& text, const QFont& font, qreal width,
                          Options options = {});

    // An empty text has no lines and takes no room.
    const QString& text() const { return text_; }
    // The width of the longest line and the height of all lines with the spacing between
    // them.
    QSizeF size() const { return size_; }
    qreal naturalWidth() const { return size_.width(); }
    qreal height() const { return size_.height(); }
    // The first line's baseline, down from the top.
    qreal firstBaseline() const { return firstBaseline_; }
    int lineCount() const;

    // Paints the lines from `topLeft` in `color`; runs with a colour of their own take it
    // from the Theme now, so a change of appearance needs no new flow.
    void paint(QPainter& painter, QPointF topLeft, const QColor& color) const;

private:
    QString text_;
    std::vector<std::pair<std::pair<int, int>, Token>> colored_; // start and length, colour
    std::shared_ptr<QTextLayout> layout_;
    QSizeF size_{0, 0};
    qreal firstBaseline_ = 0;
};

// `text` with each blank between a figure and its unit ("27 MB", "12.6 GB") made a no-break
// space, so a wrapped line never ends between the two. Same length, same places.
QString unbrokenSizes(const QString& text);

// A flow where a layout placed it, with the colour it is painted in.
struct PlacedText {
    QPointF at;
    TextFlow lines;
    Token color = Token::ink;

    void paint(QPainter& painter) const;
};

} // namespace kelvora
