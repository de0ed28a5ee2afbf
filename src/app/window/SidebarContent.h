#pragma once

#include "model/JunkKind.h"
#include "model/ScanResult.h"
#include "window/PickTotals.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvora {

class AppModel;

// What the detailed view's sidebar shows, worked out from the controller alone.
namespace Sidebar {

enum class Destination { overview, category, shelf, spaceMap, search, photos, loginItems };

struct Row {
    Destination destination = Destination::overview;
    std::optional<JunkKind> kind; // category rows only
    std::string title;
    std::string symbol;
    std::optional<std::string> size;
    bool selected = false;
    std::optional<std::string> captionAbove; // the group label drawn over this row

    bool operator==(const Row&) const = default;
};

// Every row top to bottom: the overview, the listed categories, then the tools; `totals`
// are the picks of the controller's result, when there is one.
std::vector<Row> rows(const AppModel& model, const PickTotals& totals);
std::vector<Row> rows(const AppModel& model);

// The figure of a category's row: "locked" for a folder the scan was refused, else what is
// picked (or could be freed, see categoryFigure); after a clean-up, what is left to free of
// it; none before a result.
std::optional<std::string> size(const AppModel& model, JunkKind kind);

// Shows what a row stands for, as a click on it does.
void open(AppModel& model, const Row& row);
// Shows one category's list with its largest item in the inspector.
void openCategory(AppModel& model, JunkKind kind);

// The startup-disk bar at the foot of the column.
struct DiskFooter {
    std::string label;
    std::string freeText;   // "41.0 GB free"
    double inkShare = 0;    // what stays used after a clean-up of the picks
    double signalShare = 0; // what the picks would free; outside the ready phase the shelf
    // What the bar shows, in words: "62 percent used now, 58 percent after cleaning", or
    // only how much is used where no picks are counted.
    std::string spoken;
    bool operator==(const DiskFooter&) const = default;
};
DiskFooter diskFooter(const AppModel& model, const PickTotals& totals, const std::string& label);
DiskFooter diskFooter(const AppModel& model, const std::string& label);

// The picks of the controller's result; none counted before a result.
PickTotals totals(const AppModel& model);

} // namespace Sidebar
} // namespace kelvora
