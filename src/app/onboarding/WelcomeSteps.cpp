#include "onboarding/WelcomeSteps.h"

#include "controller/AppModel.h"
#include "design/Caption.h"
#include "design/DialView.h"
#include "design/Fonts.h"
#include "design/Symbols.h"
#include "model/Format.h"
#include "onboarding/AccessNote.h"
#include "onboarding/AccessPoll.h"
#include "onboarding/WelcomePage.h"

#include <algorithm>

namespace kelvora {

namespace {

constexpr qreal kStepSpacing = 26;
constexpr qreal kParagraphWidth = 520;

QString fromStd(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

// MeetYourDisk

MeetYourDisk::MeetYourDisk(DiskSpace disk, QWidget* parent)
    : SketchView(parent), disk_(disk), dial_(new DialView) {
    setObjectName("MeetYourDisk");
    double used = usedFraction(disk);
    // The dial sweeps up from empty as it comes on screen, unless motion is reduced or the
    // step is drawn for a still picture.
    dial_->setAppear(kSweep, kSweepDelay);
    dial_->setValues(used, used, disk.total);
    place("dial", dial_);
    relayout();
}

double MeetYourDisk::usedFraction(const DiskSpace& disk) {
    if (disk.total <= 0) return 0;
    double used = static_cast<double>(disk.used()) / static_cast<double>(disk.total);
    return std::clamp(used, 0.0, 1.0);
}

QString MeetYourDisk::freeNumber(const DiskSpace& disk) {
    Format::SizeParts parts = Format::sizeParts(disk.available);
    return fromStd(parts.number + " " + parts.unit);
}

QString MeetYourDisk::ofTotal(const DiskSpace& disk) {
    return "free of " + fromStd(Format::size(disk.total));
}

QString MeetYourDisk::paragraph() {
    return "Kelvora shows what’s filling your computer, in plain words, and helps you get space "
           "back without the guesswork.";
}

Sketch MeetYourDisk::step(const DiskSpace& disk, qreal width) {
    Sketch page;
    auto centredLeft = [width](qreal itemWidth) { return (width - itemWidth) / 2; };

    const QString caption = "Welcome to Kelvora";
    qreal y =
        page.addCaption(caption, {centredLeft(Caption::idealSize(caption).width()), 0}).bottom() +
        kStepSpacing;

    QSizeF dial = kDialFrame;
    if (dial.width() > width) dial.scale(width, dial.height(), Qt::KeepAspectRatio);
    page.places["dial"] = QRectF(QPointF(centredLeft(dial.width()), y), dial);
    y += dial.height() + kStepSpacing;

    // The free space and the disk's size share one baseline.
    QFont numberFont = Fonts::number(48);
    QFont totalFont = Type::font(17);
    QString number = freeNumber(disk), total = ofTotal(disk);
    QSizeF numberSize = Type::measure(number, numberFont);
    QSizeF totalSize = Type::measure(total, totalFont);
    qreal baseline = y + std::max(Type::ascent(numberFont), Type::ascent(totalFont));
    qreal left = centredLeft(numberSize.width() + 10 + totalSize.width());
    QRectF numberBox =
        page.addText(number, {left, baseline - Type::ascent(numberFont)}, numberFont, Token::ink);
    QRectF totalBox =
        page.addText(total, {numberBox.right() + 10, baseline - Type::ascent(totalFont)}, totalFont,
                     Token::muted);
    y = std::max(numberBox.bottom(), totalBox.bottom()) + kStepSpacing;

    y = page.addText("Meet your disk.", {0, y}, WelcomePage::titleFont(), Token::ink, width,
                     Qt::AlignHCenter)
            .bottom() +
        10;
    qreal paragraphWidth = std::min(kParagraphWidth, width);
    y = page.addText(paragraph(), {centredLeft(paragraphWidth), y}, Type::font(18), Token::muted,
                     paragraphWidth, Qt::AlignHCenter)
            .bottom();
    page.size = QSizeF(width, y);
    return page;
}

Sketch MeetYourDisk::layout(QSizeF size) const {
    return WelcomePage::centred(step(disk_, size.width()), size);
}

// PermissionsStep

PermissionsStep::PermissionsStep(AppModel& model, QWidget* parent)
    : SketchView(parent), model_(model) {
    setObjectName("PermissionsStep");
    poll_ = new AccessPoll(
        this, [this] { return model_.hasFullDiskAccess(); },
        [this](bool granted) { setFullDisk(granted); });
    state_.fullDisk = poll_->granted();
    if (!state_.fullDisk) state_.closed = AccessNote::current(model_);
    relayout();
}

QString PermissionsStep::paragraph() {
    return "Kelvora reads your folders with your account’s own permissions, only to find space, "
           "and nothing ever leaves your computer.";
}

QString PermissionsStep::rowTitle() {
    return "Your folders";
}

QString PermissionsStep::rowDetail() {
    return "Desktop, Documents, Downloads and the Trash, read as your account may read them.";
}

QString PermissionsStep::status(bool fullDisk) {
    return fullDisk ? "All set. Kelvora can look everywhere."
                    : AccessNote::check() +
                          " It’s optional: without them, Kelvora still finds caches, logs, temp "
                          "files and unused apps.";
}

namespace {

// The card's one row: the shield, what the access covers, and whether it is open.
Sketch accessRow(bool fullDisk, qreal width) {
    constexpr qreal kSide = 20, kTop = 16, kTile = 42, kSpacing = 16, kSpacerMin = 12;
    Sketch row;
    QFont stateFont = Type::font(14, QFont::DemiBold);
    const QString stateText = fullDisk ? "Allowed" : "Closed";
    const qreal icon = Symbols::extent(14);
    const QSizeF stateSize = Type::measure(stateText, stateFont);
    const QSizeF right(icon + 6 + stateSize.width(), std::max(icon, stateSize.height()));
    const qreal textLeft = kSide + kTile + kSpacing;
    const qreal textWidth =
        width - textLeft - kSpacing - kSpacerMin - kSpacing - right.width() - kSide;
    QFont titleFont = Type::font(16, QFont::DemiBold), detailFont = Type::font(14);
    const QString title = PermissionsStep::rowTitle();
    const QString detail = PermissionsStep::rowDetail();
    qreal titleHeight = Type::measure(title, titleFont, textWidth).height();
    qreal columnHeight = titleHeight + 4 + Type::measure(detail, detailFont, textWidth).height();
    qreal inner = std::max({kTile, columnHeight, right.height()});
    auto middle = [&](qreal height) { return kTop + (inner - height) / 2; };

    QRectF tile(kSide, middle(kTile), kTile, kTile);
    row.addFill(tile, 11, Token::chip);
    row.addSymbol("lock.shield", tile, 17, Token::ink);
    row.addText(title, {textLeft, middle(columnHeight)}, titleFont, Token::ink, textWidth);
    row.addText(detail, {textLeft, middle(columnHeight) + titleHeight + 4}, detailFont,
                Token::muted, textWidth);
    QPointF rightTop(width - kSide - right.width(), middle(right.height()));
    row.addSymbol(fullDisk ? "checkmark.circle.fill" : "lock",
                  QRectF(rightTop, QSizeF(icon, right.height())), 14, Token::ink);
    row.addText(stateText,
                {rightTop.x() + icon + 6, rightTop.y() + (right.height() - stateSize.height()) / 2},
                stateFont, Token::ink);
    row.size = QSizeF(width, inner + 2 * kTop);
    return row;
}

} // namespace

Sketch PermissionsStep::step(const State& state, qreal width) {
    Sketch page;
    qreal y = page.addCaption("Step 3 of 3", {0, 0}).bottom() + 8;
    y = page.addText("Let Kelvora look everywhere.", {0, y}, WelcomePage::titleFont(), Token::ink)
            .bottom() +
        8;
    y = page.addText(paragraph(), {0, y}, Type::font(17), Token::muted, std::min<qreal>(600, width))
            .bottom() +
        kStepSpacing;

    Sketch row = accessRow(state.fullDisk, width);
    page.addCard(QRectF(QPointF(0, y), row.size), 16, Token::panel, Token::line);
    page.append(row, {0, y});
    y += row.size.height() + kStepSpacing;

    const qreal lineWidth = std::min<qreal>(640, width);
    if (!state.fullDisk && !state.closed.isEmpty())
        y = page.addText(state.closed, {0, y}, Type::font(13), Token::muted, lineWidth).bottom() +
            kStepSpacing;
    y = page.addText(status(state.fullDisk), {0, y}, Type::font(13.5), Token::faint, lineWidth)
            .bottom();
    page.size = QSizeF(width, y);
    return page;
}

bool PermissionsStep::isPolling() const {
    return poll_->isRunning();
}

Sketch PermissionsStep::layout(QSizeF size) const {
    return WelcomePage::centred(step(state_, size.width()), size);
}

// Each tick reads the closed folders again while access is off: they may open or close
// one by one.
void PermissionsStep::setFullDisk(bool fullDisk) {
    State next = state_;
    next.fullDisk = fullDisk;
    next.closed = fullDisk ? QString() : AccessNote::current(model_);
    if (next == state_) return;
    state_ = next;
    relayout();
}

} // namespace kelvora
