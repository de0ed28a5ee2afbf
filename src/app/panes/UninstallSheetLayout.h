#pragma once

#include "design/TextFlow.h"
#include "model/CleanReport.h"
#include "model/ScanItem.h"
#include "panes/UninstallText.h"

#include <QRectF>
#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace kelvora {

class AppModel;

// What the uninstall sheet shows, read from the controller and the sheet's item.
struct UninstallInput {
    ScanItem item;
    std::optional<CleanReport> report;
    int shelfDays = 7;
    std::string home;

    static UninstallInput from(const AppModel& model, const ScanItem& item);
};

// Where everything of the uninstall sheet goes: a fixed width, as tall as its state needs.
struct UninstallSheetLayout {
    static constexpr qreal kWidth = 480;
    static constexpr qreal kPadding = 24;
    static constexpr qreal kGap = 16;
    static constexpr qreal kIcon = 48;
    static constexpr qreal kCornerRadius = 14;

    enum class Button { cancel, move, ok, done, usePassword };
    struct PlacedButton {
        Button button;
        QString title;
        QRectF rect;
    };
    // How the message of a state is set.
    enum class Tone { plain, warning, quiet };

    UninstallText::State state = UninstallText::State::ready;
    QRectF icon;
    QString iconSymbol;
    QPointF titleAt;
    TextFlow title;
    QPointF subtitleAt;
    TextFlow subtitle;
    QRectF list;
    std::vector<QRectF> pathRects;
    std::vector<QString> paths;
    std::optional<QRectF> moreRect;
    QString more;
    QPointF messageAt;
    TextFlow message;
    Tone tone = Tone::plain;
    std::vector<PlacedButton> buttons; // left to right
    QSizeF size;

    static UninstallSheetLayout make(const UninstallInput& input);
    const PlacedButton* find(Button button) const;
};

} // namespace kelvora
