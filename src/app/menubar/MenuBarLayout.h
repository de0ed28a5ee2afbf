#pragma once

#include "controller/AppModel.h"
#include "design/TextFlow.h"
#include "design/Theme.h"
#include "menubar/MenuBarModel.h"

#include <QFont>
#include <QRectF>
#include <QString>

#include <optional>
#include <vector>

namespace kelvora {

// What the menu bar popup shows, read from its model and the window's controller.
struct MenuBarInput {
    DiskSpace disk;
    std::optional<double> forecastDays;
    MenuBarModel::State state;
    std::optional<AppModel::Notice> notice;

    static MenuBarInput from(const MenuBarModel& menu, const AppModel& app);
    bool operator==(const MenuBarInput&) const = default;
};

namespace MenuBarText {

// The dial's shares of the disk: in use now, and after the caches on offer are cleared.
struct DialValues {
    double used = 0;
    double after = 0;
    int64_t totalBytes = 0;
    bool operator==(const DialValues&) const = default;
};
DialValues dial(const DiskSpace& disk, const MenuBarModel::State& state);

QString freeOf(const DiskSpace& disk);
QString clearTitle(int64_t bytes);

} // namespace MenuBarText

// A line of text in runs of more than one font and colour, broken into lines at word
// boundaries.
struct MixedText {
    struct Run {
        QString text;
        QFont font;
        Token color;
    };
    struct Word {
        QString text;
        QFont font;
        Token color;
        QPointF baseline; // where the word starts on its line's baseline
    };
    std::vector<Word> words;
    QSizeF size;

    static MixedText wrap(const std::vector<Run>& runs, qreal width);
    QString text() const;
    void paint(QPainter& painter, QPointF topLeft) const;
};

// Where everything of the popup goes: 300 wide, as tall as its content.
struct MenuBarLayout {
    static constexpr qreal kWidth = 300;
    static constexpr qreal kPadding = 16;
    static constexpr qreal kGap = 14;
    static constexpr qreal kDialWidth = 110;
    static constexpr qreal kDialHeight = 56.65;
    static constexpr qreal kSpinner = 14;
    static constexpr qreal kSignalHeight = 58;
    static constexpr qreal kSignalFont = 18;

    // What the quick clean section holds.
    enum class Section { checking, offer, nothing, cleaning, cleaned };

    using Text = PlacedText;

    MenuBarText::DialValues dialValues;
    QRectF dial;
    QString numberText;
    QString unitText;
    QRectF number; // the number and the unit share the number's baseline
    QRectF unit;
    Text freeOf;
    // The forecast's symbol and its words, which wrap in the narrow popup.
    std::optional<QRectF> forecastSymbol;
    std::optional<Text> forecast;
    std::vector<QRectF> separators;
    QRectF caption;

    Section section = Section::checking;
    std::optional<QRectF> spinner;
    std::optional<Text> status;
    std::optional<QRectF> signalButton;
    QString signalTitle;
    bool signalBusy = false;
    std::optional<MixedText> cleanedLine;
    QPointF cleanedAt;

    struct Notice {
        Text title;
        Text detail;
        QRectF review;
        QRectF dismiss;
    };
    std::optional<Notice> notice;

    QRectF open;
    QRectF quit;
    QSizeF size;

    static MenuBarLayout make(const MenuBarInput& input);
};

} // namespace kelvora
