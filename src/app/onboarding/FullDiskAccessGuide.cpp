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

// One step: its number beside the first line of its text.
qreal addStep(Sketch& sketch, int number, const QString& text, qreal top, qreal width) {
    const qreal textLeft = kNumberBox + 12;
    const qreal textWidth = width - textLeft;
    QFont textFont = Type::font(14);
    QFont numberFont = Fonts::number(18);
    qreal numberTop = top + Type::ascent(textFont) - Type::ascent(numberFont);
    sketch.items.emplace_back(
        Sketch::Text{QString::number(number),
                     QRectF(0, numberTop, kNumberBox, Type::measure("0", numberFont).height()),
                     numberFont, Token::ink, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine});
    return sketch.addText(text, {textLeft, top}, textFont, Token::ink, textWidth).height();
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
    : SketchView(parent), model_(model), unlocks_(unlocks) {
    setObjectName("FullDiskAccessGuide");
    poll_ = new AccessPoll(
        this, [this] { return open(); }, [this](bool granted) { setGranted(granted); });
    state_ = stateNow(poll_->granted());

    auto* checkAgain = new InkButton("Check again");
    checkAgain->setObjectName("checkAgain");
    connect(checkAgain, &QPushButton::clicked, this, [this] { model_.scan(); });
    place("checkAgain", checkAgain);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    relayout();
}

QString FullDiskAccessGuide::title(const State& state) {
    return state.granted ? "Kelvora can read " + state.unlocks + " now."
                         : "Kelvora can’t read " + state.unlocks + ".";
}

QString FullDiskAccessGuide::subtitle(bool granted) {
    return granted ? "Check again to see what’s here."
                   : "The folders’ own permissions keep it out. Here’s what to check.";
}

QString FullDiskAccessGuide::symbol(bool granted) {
    return granted ? "lock.open" : "lock";
}

QStringList FullDiskAccessGuide::steps(const State& state) {
    return {state.closed, AccessNote::check(),
            "Kelvora looks again every few seconds. Once they open, check again to see what’s "
            "here."};
}

QString FullDiskAccessGuide::promiseCaption() {
    return "What Kelvora does with what it reads";
}

const QStringList& FullDiskAccessGuide::promises() {
    static const QStringList promises = {
        "Reads only names, sizes and dates. Never what’s inside your files, emails or messages.",
        "Removes only what you tick, onto the Undo Shelf first.",
        "Nothing leaves your computer.",
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
        const QStringList texts = steps(state);
        for (int i = 0; i < texts.size(); ++i) {
            if (i > 0) y += kStepSpacing;
            y += addStep(content, i + 1, texts[i], y, inner);
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

bool FullDiskAccessGuide::open() const {
    return model_.hasFullDiskAccess() && model_.closedFolders().empty();
}

// The heading and the first step name the folders closed at this moment, no more.
FullDiskAccessGuide::State FullDiskAccessGuide::stateNow(bool granted) const {
    State state;
    state.granted = granted;
    const QString closed = AccessNote::named(model_.closedFolders(), model_.catalog().home);
    state.unlocks = closed.isEmpty() ? unlocks_ : closed;
    if (!granted) state.closed = AccessNote::current(model_);
    return state;
}

// Each tick reads the closed folders again while access is off: they may open or close
// one by one.
void FullDiskAccessGuide::setGranted(bool granted) {
    State next = stateNow(granted);
    // Once open, the heading keeps what it could not read, now readable.
    if (granted) next.unlocks = state_.unlocks;
    if (next.granted == state_.granted && next.closed == state_.closed &&
        next.unlocks == state_.unlocks)
        return;
    state_ = next;
    updateGeometry();
    relayout();
}

} // namespace kelvora
