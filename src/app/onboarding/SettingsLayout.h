#pragma once

#include "controller/ShelfSweeper.h"
#include "design/TextFlow.h"
#include "design/Theme.h"
#include "onboarding/SettingsText.h"
#include "platform/Date.h"

#include <QRectF>
#include <QString>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// Everything the settings window shows: the stored settings with the never-touch list, what
// the controller says about the settings file, and the helper as last read.
struct SettingsState {
    SettingsValues values;
    std::vector<std::string> neverTouch;
    std::optional<std::string> notice;
    ShelfSweeper::Status helper;
    std::optional<std::string> helperError;
    std::string home;
    Date now{};
};

// Where everything of the settings window's column goes at one width.
struct SettingsLayout {
    static constexpr qreal kWidth = 560;
    static constexpr qreal kHeight = 700;
    static constexpr qreal kPadding = 26;
    static constexpr qreal kSectionGap = 22;
    static constexpr qreal kRowGap = 10;
    static constexpr qreal kPathRowHeight = 34;
    static constexpr qreal kButtonHeight = 32;
    static constexpr qreal kButtonFont = 13;
    static constexpr qreal kAppearanceWidth = 300;
    static inline const QString kNeverTouchTitle = QStringLiteral("Never touch");
    static inline const QString kNeverTouchNote =
        QStringLiteral("Kelvora won’t list anything in these folders or files, or anything that "
                       "contains them.");
    static inline const QString kNothingAdded = QStringLiteral("Nothing added yet");
    static inline const QString kAdd = QStringLiteral("Add folder or file…");
    static inline const QString kShowWelcome = QStringLiteral("Show the welcome again");
    static inline const QString kOpenLoginItems = QStringLiteral("Open its folder");

    enum class Switch { helper, includeDocker, scheduledClean, showMenuBar };
    using Choice = SettingsText::Choice;

    using Text = PlacedText;
    struct PathRow {
        QRectF rect;
        QRectF path;
        QString shown;
        std::string stored;
        QRectF remove;
    };

    std::vector<std::pair<QRectF, QString>> captions;
    std::vector<Text> texts;
    std::map<Choice, QRectF> choices;
    std::map<Switch, QRectF> switches;
    // What the column says of each switch, in reading order: its description and the notes
    // that follow it, as assistive technology hears them.
    std::map<Switch, QString> explanations;
    std::optional<QRectF> openLoginItems;
    QRectF listBox;
    std::vector<PathRow> rows; // empty: the box says "Nothing added yet"
    QRectF add;
    QRectF appearance;
    QRectF showWelcome;
    QSizeF size;

    static SettingsLayout make(const SettingsState& state, qreal width = kWidth);
    // The text shown first with these words, if any.
    const Text* find(const QString& words) const;
    static QString switchTitle(Switch which);
    static QString switchDescription(Switch which);
};

// The strip above the scrolled column that says what went wrong with the settings file: a
// change that was not saved, or a file that could not be read. It stays in sight however far
// the column is scrolled.
struct SettingsBanner {
    static constexpr qreal kPaddingY = 12;
    static constexpr qreal kSymbolSize = 15;
    static constexpr qreal kTextSize = 12.5;

    QRectF symbol;
    PlacedText text;
    QRectF rule; // along the bottom edge
    QSizeF size;

    // None while there is nothing to say.
    static std::optional<SettingsBanner> make(const SettingsState& state,
                                              qreal width = SettingsLayout::kWidth);
};

} // namespace kelvora
