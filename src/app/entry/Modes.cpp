#include "entry/Modes.h"

#include "artwork/Artwork.h"
#include "checks/AIShelfCheck.h"
#include "checks/AppRemovalCheck.h"
#include "checks/DevRemovalCheck.h"
#include "checks/LeftoverAgentCheck.h"
#include "checks/LoginSwitchCheck.h"
#include "controller/ShelfSweeper.h"
#include "platform/AppPaths.h"
#include "platform/FileSystem.h"
#include "snapshot/SnapshotRun.h"

#include <cstdio>

namespace kelvora {

namespace {

int printAgentReport(const Arguments& arguments, const std::string& action) {
    std::printf("%s\n", agentReport(arguments, action).c_str());
    std::fflush(stdout);
    return 0;
}

} // namespace

std::string agentReport(const Arguments& arguments, const std::string& action) {
    std::string line;
    if (action == "register" || action == "unregister") {
        auto error = ShelfSweeper::set(action == "register");
        line = action + ": " + error.value_or("ok") + " · ";
    }
    line += "status: " + ShelfSweeper::status().description() + " · app at " +
            AppPaths::executableFolder();
    if (auto file = arguments.valueAfter(action)) writeFileAtomically(*file, line + "\n");
    return line;
}

std::optional<int> runCommandLineMode(const Arguments& arguments) {
    if (auto folder = arguments.valueAfter("--render-icon")) return Artwork::writeIconSet(*folder);
    if (auto folder = arguments.valueAfter("--dmg-background"))
        return Artwork::writeBackground(*folder);
    if (auto action = arguments.valueAfter("--debug-helper"))
        return printAgentReport(arguments, *action);
    if (arguments.contains("--empty-expired-shelf"))
        return ShelfSweeper::emptyExpired(arguments.valueAfter("--shelf-root"));
    if (auto report = arguments.valueAfter("--debug-app-removal-check"))
        return AppRemovalCheck::run(*report, arguments.valueAfter("--app"));
    if (auto report = arguments.valueAfter("--debug-leftover-agent-check"))
        if (auto label = arguments.valueAfter("--label"))
            return LeftoverAgentCheck::run(*report, *label);
    if (auto report = arguments.valueAfter("--debug-ai-shelf-check"))
        return AIShelfCheck::run(*report);
    if (auto report = arguments.valueAfter("--debug-login-switch-check"))
        return LoginSwitchCheck::run(*report);
    if (auto report = arguments.valueAfter("--debug-dev-removal-check"))
        return DevRemovalCheck::run(*report);
    if (auto options = snapshotOptions(arguments)) {
        if (auto problem = snapshotProblem(arguments)) {
            std::fprintf(stderr, "%s\n", problem->c_str());
            return 2;
        }
        return Snapshot::run(*options);
    }
    return std::nullopt;
}

} // namespace kelvora
