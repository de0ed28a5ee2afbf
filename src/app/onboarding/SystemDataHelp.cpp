#include "onboarding/SystemDataHelp.h"

#include "design/Buttons.h"
#include "onboarding/SketchView.h"

#include <QHBoxLayout>

#include <cmath>

namespace kelvora {

namespace {

constexpr qreal kPadding = 30;
constexpr qreal kSpacing = 18;
constexpr qreal kTile = 32;

// The sheet's words, drawn as one sketch.
class HelpWords : public SketchView {
public:
    HelpWords() {
        setObjectName("systemDataWords");
        relayout();
        QSizeF size = sketch().size;
        setFixedSize(static_cast<int>(size.width()), static_cast<int>(std::ceil(size.height())));
    }

protected:
    Sketch layout(QSizeF) const override { return SystemDataHelp::words(); }
};

} // namespace

SystemDataHelp::SystemDataHelp(std::function<void()> close, QWidget* parent) : SheetFrame(parent) {
    setObjectName("SystemDataHelp");
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
    setParts(new HelpWords, foot);
}

const Sketch& SystemDataHelp::sketch() const {
    return static_cast<const HelpWords*>(body())->sketch();
}

const std::vector<SystemDataHelp::Point>& SystemDataHelp::points() {
    static const std::vector<Point> points = {
        {"square.stack.3d.up", "App caches",
         "Files apps keep to load faster. Kelvora can clear these, and they rebuild."},
        {"doc.text.magnifyingglass", "Logs and temp files",
         "Records and scratch files apps leave behind. Old ones are safe to remove."},
        {"cpu", "AI models and tool caches",
         "Compiled models and package downloads, often several GB."},
        {"clock.arrow.circlepath", "Purgeable space and snapshots",
         "Local Time Machine snapshots and iCloud files macOS frees by itself when it needs "
         "room. Kelvora shows how much, and leaves it to macOS."},
        {"iphone", "Installers and device backups",
         "Old macOS installers, iPhone and iPad backups and update files. Kelvora lists each "
         "with what it’s for."},
        {"gearshape.2", "macOS itself",
         "Parts of the system that must stay. Kelvora never touches them."},
    };
    return points;
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

Sketch SystemDataHelp::words() {
    const qreal inner = kWidth - 2 * kPadding;
    Sketch content;
    qreal y = content.addCaption("Help", {0, 0}).bottom() + kSpacing;
    y = content
            .addText("What is “System Data”?", {0, y}, Type::font(26, QFont::DemiBold), Token::ink)
            .bottom() +
        kSpacing;
    y = content
            .addText("In System Settings › General › Storage, macOS puts everything it can’t "
                     "sort into a neat group under “System Data”. On a busy computer it can be "
                     "tens of gigabytes.",
                     {0, y}, Type::font(14.5), Token::muted, inner)
            .bottom() +
        kSpacing;
    for (size_t i = 0; i < points().size(); ++i) {
        if (i > 0) y += 12;
        Sketch row = point(points()[i], inner);
        content.append(row, {0, y});
        y += row.size.height();
    }
    y += kSpacing;
    y = content
            .addText("Detailed › System Data shows these parts on your computer, in plain "
                     "words, before anything moves.",
                     {0, y}, Type::font(14.5, QFont::Medium), Token::ink, inner)
            .bottom() +
        kSpacing;

    Sketch words;
    words.size = QSizeF(kWidth, kPadding + y);
    words.append(content, {kPadding, kPadding});
    return words;
}

} // namespace kelvora
