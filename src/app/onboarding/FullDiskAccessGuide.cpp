#include "onboarding/FullDiskAccessGuide.h"

#include "controller/AppModel.h"
#include "design/Buttons.h"
#include "design/Caption.h"
#include "design/Fonts.h"
#include "design/Symbols.h"
#include "onboarding/AccessNote.h"
#include "onboarding/AccessPoll.h"

#include <cmath>

namespace kelvora {

namespace {

constexpr qreal kPadding = 24;
constexpr qreal kSpacing = 18;
constexpr qreal kTile = 40;
constexpr qreal kNumberBox = 18;
constexpr qreal kStepSpacing = 12;
const QString kOpenSettings = "Open Full Disk Access";

// The header: the lock in its tile, the title over the subtitle.
qreal addHeader(Sketch& sketch, const FullDiskAccessGuide::State& state, qreal width) {
    const qreal textLeft = kTile + 12;
    const qreal textWidth = width - textLeft;
    QFont titleFont = Type::font(17, QFont::DemiBold);
    QFont subtitleFont = Type::font(13.5);
    QString title = FullDiskAccessGuide::title(state);
    QString subtitle = FullDiskAccessGuide::subtitle(state.granted);
    qreal titleHeight = Type::measure(title, titleFont, textWidth).height();
    qreal columnHeight =
        titleHeight + 3 + Type::measure(subtitle, subtitleFont, textWidth).height();
    qreal height = std::max(kTile, columnHeight);
    QRectF tile(0, (height - kTile) / 2, kTile, kTile);
    sketch.addFill(tile, 10, Token::chip);
    sketch.addSymbol(FullDiskAccessGuide::symbol(state.granted), tile, 18, Token::ink);
    qreal top = (height - columnHeight) / 2;
    sketch.addText(title, {textLeft, top}, titleFont, Token::ink, textWidth);
    sketch.addText(subtitle, {textLeft, top + titleHeight + 3}, subtitleFont, Token::muted,
                   textWidth);
    return height;
}

// One step: its number beside the first line of its text, and under the text its button
// and, once pressed, what the button had to say.
qreal addStep(Sketch& sketch, int number, const FullDiskAccessGuide::Step& step,
              const std::optional<QString>& note, qreal top, qreal width) {
    const qreal textLeft = kNumberBox + 12;
    const qreal textWidth = width - textLeft;
    QFont textFont = Type::font(14);
    QFont numberFont = Fonts::number(18);
    qreal numberTop = top + Type::ascent(textFont) - Type::ascent(numberFont);
    sketch.items.emplace_back(
        Sketch::Text{QString::number(number),
                     QRectF(0, numberTop, kNumberBox, Type::measure("0", numberFont).height()),
                     numberFont, Token::ink, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine});
    qreal y =
        top + sketch.addText(step.text, {textLeft, top}, textFont, Token::ink, textWidth).height();
    if (!step.button.isEmpty()) {
        QSizeF button = OutlineButton::idealSize(step.button, 30, 12.5);
        sketch.places["openSettings"] = QRectF(QPointF(textLeft, y + 8), button);
        y += 8 + button.height();
        if (note) {
            QRectF said =
                sketch.addText(*note, {textLeft, y + 8}, Type::font(13), Token::muted, textWidth);
            y = said.bottom();
        }
    }
    return y - top;
}

qreal addPromises(Sketch& sketch, qreal top, qreal width) {
    qreal y = top + sketch.addCaption(FullDiskAccessGuide::promiseCaption(), {0, top}).height();
    QFont font = Type::font(13);
    const qreal icon = Symbols::extent(13);
    const qreal lineHeight = Type::measure("M", font).height();
    for (const QString& promise : FullDiskAccessGuide::promises()) {
        y += 6;
        sketch.addSymbol("checkmark", QRectF(0, y, icon, lineHeight), 13, Token::muted);
        y += sketch.addText(promise, {icon + 6, y}, font, Token::muted, width - icon - 6).height();
    }
    return y - top;
}

} // namespace

FullDiskAccessGuide::FullDiskAccessGuide(AppModel& model, const QString& unlocks, QWidget* parent)
    : SketchView(parent), model_(model) {
    setObjectName("FullDiskAccessGuide");
    state_.unlocks = unlocks;
    poll_ = new AccessPoll(
        this, [this] { return model_.hasFullDiskAccess(); },
        [this](bool granted) { setGranted(granted); });
    state_.granted = poll_->granted();

    auto* open = new OutlineButton(kOpenSettings, 30, 12.5);
    open->setObjectName("openFullDiskAccess");
    connect(open, &QPushButton::clicked, this, &FullDiskAccessGuide::explainAccess);
    place("openSettings", open);
    auto* checkAgain = new InkButton("Check again");
    checkAgain->setObjectName("checkAgain");
    connect(checkAgain, &QPushButton::clicked, this, [this] { model_.scan(); });
    place("checkAgain", checkAgain);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    relayout();
}

QString FullDiskAccessGuide::title(const State& state) {
    return state.granted ? "Full Disk Access is on." : "macOS keeps " + state.unlocks + " private.";
}

QString FullDiskAccessGuide::subtitle(bool granted) {
    return granted ? "Check again to see what’s here."
                   : "Kelvora needs Full Disk Access to see them. It’s one switch in System "
                     "Settings.";
}

QString FullDiskAccessGuide::symbol(bool granted) {
    return granted ? "lock.open" : "lock";
}

const std::vector<FullDiskAccessGuide::Step>& FullDiskAccessGuide::steps() {
    static const std::vector<Step> steps = {
        {"Open Privacy & Security › Full Disk Access.", kOpenSettings},
        {"Turn on Kelvora. If it isn’t in the list, click + and choose Kelvora in Applications.",
         {}},
        {"macOS asks to quit and reopen Kelvora. Say yes; Kelvora checks again when it opens.", {}},
    };
    return steps;
}

QString FullDiskAccessGuide::promiseCaption() {
    return "What Kelvora does with it";
}

const QStringList& FullDiskAccessGuide::promises() {
    static const QStringList promises = {
        "Reads only names, sizes and dates. Never what’s inside your files, emails or messages.",
        "Removes only what you tick, onto the Undo Shelf first.",
        "Nothing leaves your computer. One switch covers Desktop, Documents, Downloads, the "
        "Trash, and Mail and Messages.",
    };
    return promises;
}

Sketch FullDiskAccessGuide::card(const State& state, qreal width) {
    const qreal cardWidth = std::min(kMaxWidth, width);
    const qreal inner = cardWidth - 2 * kPadding;
    Sketch content;
    qreal y = addHeader(content, state, inner) + kSpacing;
    if (state.granted) {
        QSizeF button = InkButton::idealSize("Check again");
        content.places["checkAgain"] = QRectF(QPointF(0, y), button);
        y += button.height();
    } else {
        for (size_t i = 0; i < steps().size(); ++i) {
            if (i > 0) y += kStepSpacing;
            y += addStep(content, static_cast<int>(i) + 1, steps()[i],
                         i == 0 ? state.note : std::nullopt, y, inner);
        }
    }
    y += kSpacing;
    y += addPromises(content, y, inner);

    Sketch card;
    card.size = QSizeF(cardWidth, y + 2 * kPadding);
    card.addCard(QRectF(QPointF(0, 0), card.size), 14, Token::panel, Token::line);
    card.append(content, {kPadding, kPadding});
    return card;
}

Sketch FullDiskAccessGuide::layout(QSizeF size) const {
    return card(state_, size.width());
}

bool FullDiskAccessGuide::isPolling() const {
    return poll_->isRunning();
}

int FullDiskAccessGuide::heightForWidth(int width) const {
    return static_cast<int>(std::ceil(card(state_, width).size.height()));
}

QSize FullDiskAccessGuide::sizeHint() const {
    return {static_cast<int>(kMaxWidth), heightForWidth(static_cast<int>(kMaxWidth))};
}

void FullDiskAccessGuide::setGranted(bool granted) {
    State next = state_;
    next.granted = granted;
    next.note = AccessNote::follow(next.note, granted, model_.catalog());
    if (next.granted == state_.granted && next.note == state_.note) return;
    state_ = next;
    updateGeometry();
    relayout();
}

// There is no privacy list to open here: the button says what to look at instead, and the
// controller is still told, as the window's one place that knows how settings are opened.
void FullDiskAccessGuide::explainAccess() {
    model_.openFullDiskAccessSettings();
    state_.note = AccessNote::current(model_.catalog());
    updateGeometry();
    relayout();
}

} // namespace kelvora
