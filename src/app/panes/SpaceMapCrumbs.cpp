#include "panes/SpaceMapCrumbs.h"

#include "design/Fonts.h"
#include "design/Symbols.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <limits>

namespace kelvora::SpaceMapCrumbs {

namespace {

// A step before it is placed: the room it may take, which cuts its name when short.
struct Piece {
    std::optional<size_t> crumb;
    QString text;
    QFont font;
    int width = 0;
};

int advance(const QString& text, const QFont& font) {
    return static_cast<int>(std::ceil(QFontMetricsF(font).horizontalAdvance(text)));
}

// The text whole when it fits the width, else cut short at its end with "…". Qt's cut may
// come out a fraction wider than asked, so it is asked again a little narrower.
QString cut(const QString& text, const QFont& font, int width) {
    QFontMetricsF metrics(font);
    QString shown = text;
    for (int room = std::max(width, 0); advance(shown, font) > width && room >= 0; --room)
        shown = metrics.elidedText(text, Qt::ElideRight, room);
    return advance(shown, font) > width ? QString() : shown;
}

// The narrowest a cut name gets: its first letter and "…".
int shortest(const Piece& piece) {
    return advance(piece.text.left(1) + kEllipsis, piece.font);
}

int jointWidth(const Style& style) {
    return style.spacing + style.chevron + style.spacing;
}

int widthOf(const std::vector<Piece>& pieces, const Style& style) {
    int width = 0;
    for (const Piece& piece : pieces)
        width += piece.width;
    return width + jointWidth(style) * static_cast<int>(pieces.size() - 1);
}

std::vector<size_t> range(size_t from, size_t to) {
    std::vector<size_t> indices;
    for (size_t i = from; i < to; ++i)
        indices.push_back(i);
    return indices;
}

Layout place(const std::vector<Piece>& pieces, std::vector<size_t> folded, const Style& style) {
    Layout layout;
    layout.folded = std::move(folded);
    int x = 0;
    for (const Piece& piece : pieces) {
        Step step;
        if (!layout.steps.empty()) {
            step.chevronLeft = x + style.spacing;
            x += jointWidth(style);
        }
        step.crumb = piece.crumb;
        step.label = cut(piece.text, piece.font, piece.width);
        step.left = x;
        step.width = advance(step.label, piece.font);
        x += step.width;
        layout.steps.push_back(std::move(step));
    }
    layout.width = x;
    return layout;
}

} // namespace

Style Style::standard() {
    return {Fonts::text(13.5), Fonts::text(13.5, QFont::DemiBold),
            static_cast<int>(std::ceil(Symbols::extent(9))), 6};
}

int naturalWidth(const std::vector<SpaceMapText::Crumb>& crumbs, const Style& style) {
    return layOut(crumbs, std::numeric_limits<int>::max() / 2, style).width;
}

Layout layOut(const std::vector<SpaceMapText::Crumb>& crumbs, int available, const Style& style) {
    const size_t n = crumbs.size();
    if (n == 0) return {};
    available = std::max(available, 0);
    auto pieceOf = [&](size_t i) {
        QFont font = crumbs[i].current ? style.current : style.folder;
        QString text = QString::fromStdString(crumbs[i].label);
        return Piece{i, text, font, advance(text, font)};
    };
    const Piece ellipsis{std::nullopt, kEllipsis, style.folder, advance(kEllipsis, style.folder)};

    // Whole, then with more and more of the folders below the first folded into "…".
    const size_t mostFolded = n >= 2 ? n - 2 : 0;
    std::vector<Piece> pieces;
    for (size_t fold = 0; fold <= mostFolded; ++fold) {
        pieces = {pieceOf(0)};
        if (fold > 0) pieces.push_back(ellipsis);
        for (size_t i = 1 + fold; i < n; ++i)
            pieces.push_back(pieceOf(i));
        if (widthOf(pieces, style) <= available) return place(pieces, range(1, 1 + fold), style);
    }
    Piece shown = pieceOf(n - 1);
    if (n == 1) {
        shown.width = available;
        return place({shown}, {}, style);
    }

    // The names are cut short, the folder shown keeping most of the room.
    Piece& first = pieces.front();
    Piece& last = pieces.back();
    const int room = available - (widthOf(pieces, style) - first.width - last.width);
    const int lastWidth = std::min(last.width, std::max(room - first.width, room * 3 / 5));
    const int firstWidth = std::min(first.width, room - lastWidth);
    if (firstWidth >= shortest(first) && lastWidth >= shortest(last)) {
        first.width = firstWidth;
        last.width = lastWidth;
        return place(pieces, n > 2 ? range(1, n - 1) : std::vector<size_t>{}, style);
    }

    // No room to name the first folder: "…" stands for every folder above the one shown.
    shown.width = available - ellipsis.width - jointWidth(style);
    if (shown.width >= shortest(shown)) return place({ellipsis, shown}, range(0, n - 1), style);
    shown.width = available;
    return place({shown}, {}, style);
}

} // namespace kelvora::SpaceMapCrumbs
