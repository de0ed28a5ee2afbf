#pragma once

#include "design/Motion.h"
#include "onboarding/SketchView.h"

#include <QPointer>

#include <optional>
#include <vector>

namespace kelvora {

class AppModel;
class InkButton;
class TextLinkButton;

// The footer's step indicator: one small square per step, the current one wide, those
// passed filled. Assistive technology hears it as one element: "Step 2 of 3".
class StepSquares : public QWidget {
    Q_OBJECT

public:
    StepSquares(int current, int total, QWidget* parent = nullptr);

    void setCurrent(int current);

    struct Square {
        QRectF rect;
        bool filled; // passed or current; the others are only outlined
    };
    static std::vector<Square> squares(int current, int total);
    static QSizeF idealSize(int current, int total);
    static QString accessibleLabel(int current, int total);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int current_;
    int total_;
};

// What the main window shows on a first start: three steps (the disk, the promises with the
// choice of view, the access Kelvora asks for) over a footer that moves between them.
// Finishing it, by Skip, by the last step's button or by Escape, starts the first scan.
class WelcomeView : public SketchView {
    Q_OBJECT

public:
    WelcomeView(AppModel& model, int step, QWidget* parent = nullptr);

    static constexpr int kSteps = 3;
    static constexpr qreal kMaxWidth = 760;
    static constexpr qreal kSideMargin = 60;
    static constexpr qreal kBottomMargin = 36;

    struct Footer {
        QString left;
        QString primary;
        // The step each button goes to; none when it finishes the welcome.
        std::optional<int> leftGoes;
        std::optional<int> primaryGoes;
        bool operator==(const Footer&) const = default;
    };
    static Footer footer(int step);
    // The frame at a size: the background and the places of the step ("page") and of the
    // footer's "left" button, "squares" and "primary" button.
    static Sketch frame(int step, QSizeF size);

    // A step change cross-fades the two steps: the outgoing one fades out as the incoming
    // one fades in.
    static constexpr Motion::EaseOut kStepChange{0.3};
    struct Fade {
        double outgoing;
        double incoming;
    };

    int step() const { return step_; }
    // Moves to a step, cross-fading unless motion is reduced or the welcome is drawn for a
    // still picture.
    void go(int step);
    QWidget* page() const { return page_; }
    // The opacities drawn now while a step change fades; none once it is over.
    std::optional<Fade> fading() const;

protected:
    Sketch layout(QSizeF size) const override;

private:
    void showStep();
    void follow(const std::optional<int>& step);
    void crossFadeFrom(const QPixmap& outgoing, const QRect& place);
    void endFade();
    void clearFade();

    AppModel& model_;
    int step_;
    QPointer<QWidget> page_;
    // The outgoing step, frozen as a picture, while it fades.
    QPointer<QWidget> outgoing_;
    QPointer<QVariantAnimation> fade_;
    TextLinkButton* left_;
    InkButton* primary_;
    StepSquares* squares_;
};

} // namespace kelvora
