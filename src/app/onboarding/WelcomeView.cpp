#include "onboarding/WelcomeView.h"

#include "controller/AppModel.h"
#include "design/Buttons.h"
#include "design/Motion.h"
#include "design/Shapes.h"
#include "onboarding/Promises.h"
#include "onboarding/WelcomeSteps.h"

#include <QGraphicsOpacityEffect>
#include <QPainter>
#include <QShortcut>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace kelvora {

namespace {

constexpr qreal kSquareSide = 12;
constexpr qreal kCurrentWidth = 22;
constexpr qreal kSquareSpacing = 6;
constexpr qreal kFooterSpacing = 8;

QSize ceiled(QSizeF size) {
    return {static_cast<int>(std::ceil(size.width())), static_cast<int>(std::ceil(size.height()))};
}

// The outgoing step, frozen as a picture that fades away over the new one.
class FadingPicture : public QWidget {
public:
    FadingPicture(const QPixmap& picture, QWidget* parent) : QWidget(parent), picture_(picture) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    double opacity() const { return opacity_; }
    void setOpacity(double opacity) {
        opacity_ = opacity;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setOpacity(opacity_);
        painter.drawPixmap(0, 0, picture_);
    }

private:
    QPixmap picture_;
    double opacity_ = 1;
};

} // namespace

// StepSquares

StepSquares::StepSquares(int current, int total, QWidget* parent)
    : QWidget(parent), current_(current), total_(total) {
    setAccessibleName(accessibleLabel(current, total));
}

void StepSquares::setCurrent(int current) {
    current_ = current;
    setAccessibleName(accessibleLabel(current, total_));
    updateGeometry();
    update();
}

std::vector<StepSquares::Square> StepSquares::squares(int current, int total) {
    std::vector<Square> squares;
    qreal x = 0;
    for (int i = 0; i < total; ++i) {
        qreal width = i == current ? kCurrentWidth : kSquareSide;
        squares.push_back({QRectF(x, 0, width, kSquareSide), i <= current});
        x += width + kSquareSpacing;
    }
    return squares;
}

QSizeF StepSquares::idealSize(int current, int total) {
    auto all = squares(current, total);
    return all.empty() ? QSizeF() : QSizeF(all.back().rect.right(), kSquareSide);
}

QString StepSquares::accessibleLabel(int current, int total) {
    return "Step " + QString::number(current + 1) + " of " + QString::number(total);
}

QSize StepSquares::sizeHint() const {
    return ceiled(idealSize(current_, total_));
}

void StepSquares::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (const Square& square : squares(current_, total_)) {
        if (square.filled)
            Shapes::fillRounded(painter, square.rect, 2.5, Theme::ink());
        else
            Shapes::fillRounded(painter, square.rect, 2.5, QColor(), Theme::line(), 1);
    }
}

// WelcomeView

WelcomeView::WelcomeView(AppModel& model, int step, QWidget* parent)
    : SketchView(parent), model_(model), step_(std::clamp(step, 0, kSteps - 1)) {
    setObjectName("WelcomeView");
    left_ = new TextLinkButton({}, 14);
    left_->setObjectName("welcomeLeft");
    primary_ = new InkButton({});
    primary_->setObjectName("welcomePrimary");
    primary_->setKeyRole(KeyRole::confirm);
    squares_ = new StepSquares(step, kSteps);
    squares_->setObjectName("stepSquares");
    connect(left_, &QPushButton::clicked, this, [this] { follow(footer(step_).leftGoes); });
    connect(primary_, &QPushButton::clicked, this, [this] { follow(footer(step_).primaryGoes); });
    place("left", left_);
    place("primary", primary_);
    place("squares", squares_);
    // Escape leaves the welcome from any step, as Skip does.
    new QShortcut(QKeySequence(Qt::Key_Escape), this, [this] { model_.finishWelcome(); });
    showStep();
}

WelcomeView::Footer WelcomeView::footer(int step) {
    Footer footer;
    footer.left = step < 1 ? "Skip" : "Back";
    if (step >= 1) footer.leftGoes = step - 1;
    footer.primary = step < 2 ? "Continue" : "Check my computer";
    if (step <= 1) footer.primaryGoes = step + 1;
    return footer;
}

Sketch WelcomeView::frame(int step, QSizeF size) {
    Sketch frame;
    frame.size = size;
    frame.addFill(QRectF(QPointF(0, 0), size), 0, Token::ground);
    const qreal width = std::min(kMaxWidth, size.width() - 2 * kSideMargin);
    const qreal left = (size.width() - width) / 2;

    Footer words = footer(step);
    QSizeF back = TextLinkButton::idealSize(words.left, 14);
    QSizeF squares = StepSquares::idealSize(step, kSteps);
    QSizeF primary = InkButton::idealSize(words.primary);
    const qreal height = std::max({back.height(), squares.height(), primary.height()});
    const qreal top = size.height() - kBottomMargin - height;
    auto middle = [&](QSizeF item) { return top + (height - item.height()) / 2; };
    // Two flexible spaces share what the three items leave, so the squares sit between.
    qreal flexible =
        (width - back.width() - squares.width() - primary.width() - 4 * kFooterSpacing) / 2;
    frame.places["left"] = QRectF(QPointF(left, middle(back)), back);
    frame.places["squares"] = QRectF(
        QPointF(left + back.width() + 2 * kFooterSpacing + flexible, middle(squares)), squares);
    frame.places["primary"] =
        QRectF(QPointF(left + width - primary.width(), middle(primary)), primary);
    frame.places["page"] = QRectF(left, 0, width, top);
    return frame;
}

Sketch WelcomeView::layout(QSizeF size) const {
    return frame(step_, size);
}

void WelcomeView::follow(const std::optional<int>& step) {
    if (step)
        go(*step);
    else
        model_.finishWelcome();
}

void WelcomeView::go(int step) {
    if (step == step_) return;
    step_ = step;
    showStep();
}

std::optional<WelcomeView::Fade> WelcomeView::fading() const {
    auto* picture = static_cast<FadingPicture*>(outgoing_.data());
    auto* effect = page_ ? qobject_cast<QGraphicsOpacityEffect*>(page_->graphicsEffect()) : nullptr;
    if (!picture || !effect) return std::nullopt;
    return Fade{picture->opacity(), effect->opacity()};
}

// Each step is made anew when it comes: the dial sweeps again, the access is probed again.
void WelcomeView::showStep() {
    endFade();
    const bool fades = page_ && isVisible() && Motion::animates(this);
    QPixmap outgoing;
    QRect outgoingPlace;
    if (page_) {
        if (fades) {
            outgoing = page_->grab();
            outgoingPlace = page_->geometry();
        }
        page_->hide();
        page_->deleteLater();
    }
    QWidget* page = nullptr;
    if (step_ == 0)
        page = new MeetYourDisk(model_.initialDisk());
    else if (step_ == 1)
        page = new Promises(model_);
    else
        page = new PermissionsStep(model_);
    page_ = page;
    place("page", page);
    Footer words = footer(step_);
    left_->setText(words.left);
    primary_->setText(words.primary);
    squares_->setCurrent(step_);
    relayout();
    if (fades) crossFadeFrom(outgoing, outgoingPlace);
}

void WelcomeView::crossFadeFrom(const QPixmap& outgoing, const QRect& place) {
    auto* picture = new FadingPicture(outgoing, this);
    picture->setGeometry(place);
    picture->show();
    picture->raise();
    outgoing_ = picture;
    auto* effect = new QGraphicsOpacityEffect(page_);
    effect->setOpacity(0);
    page_->setGraphicsEffect(effect);
    fade_ = Motion::animate(this, kStepChange, [this](double shown) {
        if (auto* picture = static_cast<FadingPicture*>(outgoing_.data()))
            picture->setOpacity(1 - shown);
        if (auto* effect =
                page_ ? qobject_cast<QGraphicsOpacityEffect*>(page_->graphicsEffect()) : nullptr)
            effect->setOpacity(shown);
        if (shown >= 1) clearFade();
    });
}

// A change that comes while the last one still fades cuts it short.
void WelcomeView::endFade() {
    if (fade_) fade_->stop();
    clearFade();
}

void WelcomeView::clearFade() {
    delete outgoing_;
    if (page_) page_->setGraphicsEffect(nullptr);
}

} // namespace kelvora
