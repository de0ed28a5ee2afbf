#pragma once

#include <QRectF>
#include <QString>
#include <QWidget>

namespace kelvora {

class OutlineButton;
class PaintedText;

// Where the login items header puts its title, its counts and its two buttons at one
// width. The counts stand under the title beside the buttons while they fit; in a narrower
// pane they move under the row of the title and the buttons, so no text wraps or is cut.
struct LoginHeaderLayout {
    static constexpr qreal kHeight = 60;
    static constexpr qreal kSide = 18;
    static constexpr qreal kSpacing = 12;
    static constexpr qreal kLineGap = 3;
    static constexpr qreal kButtonHeight = 28;
    static constexpr qreal kButtonFont = 12.5;
    static constexpr qreal kStackedMargin = 12; // above and below, with the counts under the row

    QRectF title;
    QRectF counts; // empty while nothing is loaded
    QRectF settings;
    QRectF refresh;
    qreal height = kHeight;
    bool countsBelow = false;

    // `counts` is empty while nothing is loaded; `settings` is the settings button's title.
    static LoginHeaderLayout make(qreal width, const QString& counts, const QString& settings);
};

// The header of the login items pane: "Login items", the counts of what starts and what
// runs, the button that opens the desktop's settings of what starts, and "Refresh".
class LoginItemsHeader : public QWidget {
    Q_OBJECT

public:
    explicit LoginItemsHeader(QWidget* parent = nullptr);

    // The counts line; empty while nothing is loaded.
    void setCounts(const QString& counts);
    // The settings button names what it opens (LoginItemsText::settingsTitle).
    void setSettingsTitle(const QString& title);
    OutlineButton* settingsButton() const { return settings_; }
    OutlineButton* refreshButton() const { return refresh_; }
    const LoginHeaderLayout& layout() const { return layout_; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void place();

    PaintedText* title_;
    PaintedText* counts_;
    OutlineButton* settings_;
    OutlineButton* refresh_;
    LoginHeaderLayout layout_;
};

} // namespace kelvora
