#include "onboarding/SystemDataHelp.h"

#include "design/Buttons.h"
#include "onboarding/SketchView.h"

#include <QHBoxLayout>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <set>

namespace kelvora {

namespace {

constexpr qreal kPadding = 30;
constexpr qreal kSpacing = 18;
constexpr qreal kTile = 32;

// The sheet's words, drawn as one sketch.
class HelpWords : public SketchView {
public:
    explicit HelpWords(SystemDataHelp::Words words) : words_(std::move(words)) {
        setObjectName("systemDataWords");
        relayout();
        QSizeF size = sketch().size;
        setFixedSize(static_cast<int>(size.width()), static_cast<int>(std::ceil(size.height())));
    }

protected:
    Sketch layout(QSizeF) const override { return SystemDataHelp::drawn(words_); }

private:
    SystemDataHelp::Words words_;
};

} // namespace

SystemDataHelp::SystemDataHelp(Words words, std::function<void()> close, QWidget* parent)
    : SheetFrame(parent) {
    setObjectName("SystemDataHelp");
    setAccessibleName(kTitle);
    setAccessibleDescription(spoken(words));
    auto* foot = new QWidget;
    foot->setObjectName("systemDataFoot");
    auto* gotIt = new InkButton("Got it", foot);
    gotIt->setObjectName("gotIt");
    gotIt->setKeyRole(KeyRole::confirm);
    connect(gotIt, &QPushButton::clicked, this, [close = std::move(close)] {
        if (close) close();
    });
    auto* row = new QHBoxLayout(foot);
    row->setContentsMargins(kPadding, 0, kPadding, kPadding);
    row->addStretch(1);
    row->addWidget(gotIt);
    setParts(new HelpWords(std::move(words)), foot);
}

const Sketch& SystemDataHelp::sketch() const {
    return static_cast<const HelpWords*>(body())->sketch();
}

namespace {

using Point = SystemDataHelp::Point;
using Kind = ScanItem::SystemInfo::Kind;

// The parts of System Data, in the order the sheet names them, each with the kinds of item
// it stands for.
struct Part {
    Point point;
    std::vector<Kind> kinds;
};

const std::vector<Part>& parts() {
    static const std::vector<Part> parts = {
        {{"clock.arrow.circlepath", "Space the system frees by itself",
          "Snapshots and files the system removes by itself when it needs room. Kelvora shows "
          "how much, and leaves it to the system."},
         {Kind::purgeable}},
        {{"iphone", "Installers and device backups",
          "Old system installers, iPhone and iPad backups and update files. Kelvora lists each "
          "with what it’s for."},
         {Kind::macOSInstaller, Kind::deviceBackup, Kind::deviceUpdate}},
        {{"internaldrive", "Docker’s images and containers",
          "Everything Docker keeps: images, containers, volumes and build cache. Kelvora shows "
          "how much, and Docker’s own commands free it."},
         {Kind::dockerDisk}},
    };
    return parts;
}

} // namespace

std::optional<SystemDataHelp::Words> SystemDataHelp::words(const ScanResult* result) {
    if (!result) return std::nullopt;
    std::set<Kind> found;
    for (const ScanItem& item : result->items)
        if (item.system()) found.insert(item.system()->kind);
    Words words;
    for (const Part& part : parts())
        if (std::any_of(part.kinds.begin(), part.kinds.end(),
                        [&](Kind kind) { return found.count(kind) > 0; }))
            words.points.push_back(part.point);
    if (words.points.empty()) return std::nullopt;
    words.intro = "Kelvora puts under “System Data” what takes space on this computer but is "
                  "neither an app nor a file of yours. Here it counts:";
    words.closing = words.points.size() == 1
                        ? "Detailed › System Data shows it on your computer, in plain words, "
                          "before anything moves."
                        : "Detailed › System Data shows these parts on your computer, in plain "
                          "words, before anything moves.";
    return words;
}

QString SystemDataHelp::spoken(const Words& words) {
    QStringList parts{words.intro};
    for (const Point& point : words.points)
        parts << point.title + ". " + point.text;
    parts << words.closing;
    return parts.join(' ');
}

Sketch SystemDataHelp::point(const Point& point, qreal width) {
    Sketch row;
    QRectF tile(0, 0, kTile, kTile);
    row.addFill(tile, 8, Token::chip);
    row.addSymbol(point.symbol, tile, 14, Token::ink);
    const qreal left = kTile + 12;
    QRectF title = row.addText(point.title, {left, 0}, Type::font(14, QFont::DemiBold), Token::ink);
    QRectF text = row.addText(point.text, {left, title.bottom() + 2}, Type::font(13), Token::muted,
                              width - left);
    row.size = QSizeF(width, std::max(kTile, text.bottom()));
    return row;
}

Sketch SystemDataHelp::drawn(const Words& words) {
    const qreal inner = kWidth - 2 * kPadding;
    Sketch content;
    qreal y = content.addCaption("Help", {0, 0}).bottom() + kSpacing;
    y = content.addText(kTitle, {0, y}, Type::font(26, QFont::DemiBold), Token::ink).bottom() +
        kSpacing;
    y = content.addText(words.intro, {0, y}, Type::font(14.5), Token::muted, inner).bottom() +
        kSpacing;
    for (size_t i = 0; i < words.points.size(); ++i) {
        if (i > 0) y += 12;
        Sketch row = point(words.points[i], inner);
        content.append(row, {0, y});
        y += row.size.height();
    }
    y += kSpacing;
    y = content.addText(words.closing, {0, y}, Type::font(14.5, QFont::Medium), Token::ink, inner)
            .bottom() +
        kSpacing;

    Sketch sheet;
    sheet.size = QSizeF(kWidth, kPadding + y);
    sheet.append(content, {kPadding, kPadding});
    return sheet;
}

} // namespace kelvora
