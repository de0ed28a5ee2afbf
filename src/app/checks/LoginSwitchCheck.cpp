#include "checks/LoginSwitchCheck.h"

#include "checks/CheckReport.h"
#include "checks/LoginStateText.h"
#include "login/LoginItemScanner.h"
#include "login/LoginItemSwitch.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <chrono>
#include <sstream>
#include <thread>

namespace kelvora::LoginSwitchCheck {

namespace {

std::optional<LoginItem> findTestAgent() {
    return findLoginItem(checkAgentLabel(), LoginItem::Source::userAgent);
}

std::string overrideText(const std::string& label) {
    std::string output =
        LoginItemScanner::liveLaunchctl({"print-disabled", currentUserDomain()}).value_or("");
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line))
        if (line.find("\"" + label + "\"") != std::string::npos) return trimmed(line);
    return "no override";
}

std::string loadText(const std::string& label) {
    auto output = LoginItemScanner::liveLaunchctl({"print", currentUserDomain() + "/" + label});
    if (!output) return "not loaded";
    auto pid = LoginItemScanner::parsePID("\n" + *output);
    return pid ? "running, pid " + std::to_string(*pid) : "loaded, not running";
}

std::string launchdText() {
    return "launchctl: " + overrideText(checkAgentLabel()) + " · " + loadText(checkAgentLabel());
}

bool contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

} // namespace

int run(const std::string& reportPath) {
    CheckReport report(reportPath);
    LoginItemSwitch toggle;

    auto before = findTestAgent();
    if (!before) {
        report.add("Test agent " + checkAgentLabel() + " not found in ~/Library/LaunchAgents");
        return report.finish(false);
    }
    report.add("Before: " + before->name + " · " + loginStateText(before->state) + " · " +
               launchdText());

    if (auto error = toggle.set(*before, false)) {
        report.add("Turn off failed: " + *error);
        return report.finish(false);
    }
    auto afterOff = findTestAgent();
    if (!afterOff) {
        report.add("Gone after turning off");
        return report.finish(false);
    }
    std::string offText = launchdText();
    report.add("After off: " + loginStateText(afterOff->state) + " · " + offText);
    bool offHolds = afterOff->state.kind == LoginItem::State::Kind::off &&
                    contains(offText, "disabled") && contains(offText, "not loaded");

    if (auto error = toggle.set(*afterOff, true)) {
        report.add("Turn on failed: " + *error);
        return report.finish(false);
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    auto afterOn = findTestAgent();
    if (!afterOn) {
        report.add("Gone after turning on");
        return report.finish(false);
    }
    std::string onText = launchdText();
    report.add("After on: " + loginStateText(afterOn->state) + " · " + onText);
    auto kind = afterOn->state.kind;
    bool onHolds =
        (kind == LoginItem::State::Kind::running || kind == LoginItem::State::Kind::waiting) &&
        contains(onText, "enabled") && !contains(onText, "not loaded");

    std::string file = before->file ? before->file->path() : std::string();
    report.add("File still there: " + reportText(!file.empty() && fileExists(file)));
    return report.finish(offHolds && onHolds);
}

} // namespace kelvora::LoginSwitchCheck
