#pragma once

#include "clean/UndoShelf.h"
#include "engine/HeldOpen.h"
#include "model/CleanReport.h"
#include "model/ScanItem.h"
#include "model/ScanResult.h"
#include "platform/Date.h"
#include "platform/Url.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// Carries out a clean-up: re-checks every item at the moment of removal, stops the launch
// agents of removed applications, moves what belongs on the Undo Shelf there in one batch,
// runs the tools of tool items and deletes the rest for good. Never throws: every problem
// becomes a failure entry of the report.
struct Cleaner {
    using RunningAppsFunction = std::function<std::vector<RunningApp>()>;
    using ProcessPathsFunction = std::function<std::vector<std::string>()>;
    // Runs one tool command; its exit status, or none when it cannot start or runs too long.
    using ToolFunction = std::function<std::optional<int32_t>(const ScanItem::Action&)>;
    using LabelFunction = std::function<std::string(const ScanItem&)>;

    RunningAppsFunction runningApps;
    ProcessPathsFunction processPaths;
    ToolFunction runTool;
    // This user's processes with the files they hold, asked once per clean when an item
    // whose use is checked is to be removed.
    OpenFilesFunction openFiles;

    // Empty functions take the live sources.
    explicit Cleaner(RunningAppsFunction runningApps, ProcessPathsFunction processPaths = {},
                     ToolFunction runTool = {}, OpenFilesFunction openFiles = {});

    // Without a shelf nothing is moved: every item is deleted. The label names an item on
    // the shelf; by default the last path component of its location. Once `stop` is set
    // the item in hand is finished and the rest are left alone; the report tells only of
    // what was done.
    CleanReport clean(const std::vector<ScanItem>& items, const std::optional<UndoShelf>& shelf,
                      const LabelFunction& label, Date now, const StopToken& stop = {}) const;
    CleanReport clean(const std::vector<ScanItem>& items, const std::optional<UndoShelf>& shelf,
                      Date now) const;

    // What removing this one URL would free now, measured the way a scan measures items.
    static int64_t freedSize(const URL& url);
    // The same for each group of URLs removed together, in one walk.
    static std::vector<int64_t> freedSizes(const std::vector<std::vector<URL>>& groups);
    // Whether a duplicate still is one: both files readable, same size, same contents.
    static bool stillMatches(const URL& keptCopy, const URL& copy);
    // The default tool runner: the action's tool with its arguments, ten minutes at most.
    static std::optional<int32_t> liveRunTool(const ScanItem::Action& action);
};

} // namespace kelvora
