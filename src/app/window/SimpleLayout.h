#pragma once

#include "design/TextFlow.h"
#include "window/SimpleState.h"

#include <QFont>
#include <QRectF>
#include <QString>

#include <array>
#include <optional>

namespace kelvora {

// Where everything of the simple view goes in a frame of a given size: the dial with the
// free space under it on the left, the summary on the right, the four tiles below them and
// the footnote under the tiles, all centred vertically above a 40 px margin. Worked out when
// the state or the size changes; painting only reads it.
struct SimpleLayout {
    static constexpr qreal kSideMargin = 72;
    static constexpr qreal kBottomMargin = 40;
    static constexpr qreal kRowSpacing = 30;
    static constexpr qreal kDialWidth = 520;
    static constexpr qreal kDialHeight = 267.8; // 1.3 times the dial's design box
    static constexpr qreal kDialToSummary = 64;
    static constexpr qreal kForecastSize = 15;
    static constexpr qreal kTileSpacing = 18;
    static constexpr qreal kButtonHeight = 58;
    static constexpr qreal kButtonFont = 18;
    static constexpr qreal kLinkSize = 16;
    static constexpr qreal kNoteSize = 14.5;

    // A symbol and a text on one line, such as each half of the reassurance row.
    struct Label {
        QString symbol;
        QString text;
        QRectF symbolBox;
        QRectF textBox;
    };

    // A line of the footnote: an optional symbol, a text that wraps, an optional link after
    // the text on its first line.
    struct Note {
        QString symbol; // empty: none
        QRectF symbolBox;
        TextFlow text;
        QPointF textAt;
        QRectF link; // empty: none
    };

    // The dial region.
    QRectF dial; // the dial's widget, with room under the design box for its hub
    QRectF freeSpace;
    QRectF freeOf;
    QRectF forecast; // empty when the forecast line is not shown

    // The summary.
    QRectF status;
    QPointF spinnerCenter;
    TextFlow headline;
    QPointF headlineAt;
    TextFlow body;
    QPointF bodyAt;
    QRectF meter;
    QRectF cleanButton;
    QRectF seeInside;
    QRectF freeNow;
    QRectF openShelf;
    QRectF shareReceipt;
    std::array<Label, 2> reassurance;

    std::array<QRectF, 4> tiles;
    std::optional<Note> optIn;
    std::optional<Note> mail;
    std::optional<Note> inUse;

    // Everything laid out, from the top of the dial to the end of the footnote.
    QRectF content;

    static SimpleLayout make(const SimpleState& state, QSizeF size);

    static QFont freeSpaceFont();
    static QFont freeOfFont();
    static QFont statusFont();
    static QFont headlineFont();
    static QFont bodyFont();
    static QFont reassuranceFont();
    static QFont noteFont();
};

} // namespace kelvora
