#pragma once

#ifndef Q_MOC_RUN
#include "panes/SpaceMapText.h"
#endif

#include <QFont>
#include <QString>

#include <optional>
#include <vector>

namespace kelvora::SpaceMapCrumbs {

inline constexpr const char* kEllipsis = "…";

// The faces and spacing the path bar is set in.
struct Style {
    QFont folder;    // the folders above the one shown
    QFont current;   // the folder shown
    int chevron = 0; // the width of the chevron between two steps
    int spacing = 0; // between a step and a chevron

    static Style standard();
};

// One step as drawn: a crumb, or "…" standing for the folded ones.
struct Step {
    std::optional<size_t> crumb; // none for "…"
    QString label;               // as drawn: whole, or cut short with "…"
    int left = 0;
    int width = 0;
    std::optional<int> chevronLeft; // the chevron before it
};

struct Layout {
    std::vector<Step> steps;
    std::vector<size_t> folded; // the crumbs "…" stands for, from the top down
    int width = 0;              // of everything drawn
};

// The width of the whole path with every name in full.
int naturalWidth(const std::vector<SpaceMapText::Crumb>& crumbs, const Style& style);

// The path bar within `available`: whole when it fits; else the folders next to the first
// fold into one "…", from the top down, until it fits; else the names are cut short, the
// folder shown keeping the most room. Nothing drawn runs past `available`, and the folder
// shown is always there.
Layout layOut(const std::vector<SpaceMapText::Crumb>& crumbs, int available, const Style& style);

} // namespace kelvora::SpaceMapCrumbs
