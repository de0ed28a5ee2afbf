#pragma once

#include "app/support/EventLoop.h"
#include "app/support/IsolatedHome.h"
#include "menubar/MenuBarModel.h"

#include <gtest/gtest.h>

#include <QThreadPool>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <ostream>

namespace kelvora {

inline void PrintTo(const MenuBarModel::State& state, std::ostream* out) {
    static const char* names[] = {"checking", "ready", "cleaning", "cleaned"};
    *out << names[static_cast<int>(state.kind)] << "(" << state.bytes << ")";
}

} // namespace kelvora

namespace kelvora::testing {

inline ScanItem cacheItem(const std::string& name, int64_t bytes, bool inUse = false) {
    ScanItem item;
    item.kind = JunkKind::caches;
    item.location = URL::fileURL("/home/al/.cache/" + name, true);
    item.targets = {item.location};
    item.bytes = bytes;
    if (inUse) item.inUseBy = name;
    return item;
}

// A world for the menu bar model that the test steers: what each check finds, when a check
// or the clean may end, and what the clean was handed.
class MenuBarWorld {
public:
    // What the check numbered `index` (from 0, in the order the checks start) finds, and a
    // gate it waits at when given one.
    void onCheck(int index, std::vector<ScanItem> items, std::shared_ptr<Gate> gate = {}) {
        std::lock_guard lock(mutex_);
        answers_[index] = {std::move(items), std::move(gate)};
    }
    std::shared_ptr<Gate> cleanGate;
    std::atomic<int> checks{0};
    std::atomic<int> cleans{0};
    DiskSpace disk{1'000'000'000'000, 200'000'000'000};

    std::vector<ScanItem> lastCleaned() {
        std::lock_guard lock(mutex_);
        return cleaned_;
    }

    MenuBarModel::Environment environment(std::string historyFile) {
        MenuBarModel::Environment environment;
        environment.diskSpace = [this] { return disk; };
        environment.historyFile = [historyFile] { return URL::fileURL(historyFile); };
        environment.scanCaches = [this] {
            int index = checks++;
            std::pair<std::vector<ScanItem>, std::shared_ptr<Gate>> answer;
            {
                std::lock_guard lock(mutex_);
                auto found = answers_.upper_bound(index);
                if (found != answers_.begin()) answer = std::prev(found)->second;
            }
            if (answer.second) answer.second->wait();
            return answer.first;
        };
        environment.clean = [this](const std::vector<ScanItem>& items) {
            ++cleans;
            {
                std::lock_guard lock(mutex_);
                cleaned_ = items;
            }
            if (cleanGate) cleanGate->wait();
            CleanReport report;
            for (const ScanItem& item : items)
                report.freed += item.bytes;
            return report;
        };
        return environment;
    }

private:
    std::mutex mutex_;
    // A check without an answer of its own finds what the last answer before it found.
    std::map<int, std::pair<std::vector<ScanItem>, std::shared_ptr<Gate>>> answers_;
    std::vector<ScanItem> cleaned_;
};

class MenuBarTest : public ::testing::Test {
protected:
    MenuBarTest() { eventLoop(); }
    // Checks and cleans still running would outlive the temporary home.
    ~MenuBarTest() override {
        for (const auto& gate : gates_)
            gate->open();
        waitForPoolWork();
        QCoreApplication::processEvents();
    }

    std::unique_ptr<MenuBarModel> makeMenu() {
        return std::make_unique<MenuBarModel>(world.environment(historyFile()));
    }
    // A gate that is opened at the latest when the test ends, pass or fail.
    std::shared_ptr<Gate> gate() {
        gates_.push_back(std::make_shared<Gate>());
        return gates_.back();
    }
    std::string historyFile() const { return env.data() + "/Kelvora/disk-history.json"; }

    static bool settledIn(const MenuBarModel& menu, MenuBarModel::State::Kind kind) {
        return waitUntil([&] { return menu.state().kind == kind; });
    }

    IsolatedHome env;
    MenuBarWorld world;

private:
    std::vector<std::shared_ptr<Gate>> gates_;
};

} // namespace kelvora::testing
