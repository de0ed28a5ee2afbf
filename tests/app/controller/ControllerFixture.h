#pragma once

#include "app/support/EventLoop.h"
#include "app/support/IsolatedHome.h"
#include "controller/AppModel.h"
#include "controller/Prefs.h"
#include "platform/Plist.h"
#include "snapshot/DemoData.h"

#include <gtest/gtest.h>

#include <QThreadPool>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace kelvora::testing {

// Holds the shelf's lock, as another process working on the shelf would, so that shelf
// work started meanwhile waits. Let go when asked, or after a while at most, so that work
// wrongly done on this thread cannot hang the test.
class HeldShelf {
public:
    explicit HeldShelf(const std::string& root)
        : fd_(open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        EXPECT_EQ(flock(fd_, LOCK_EX), 0);
        watchdog_ = std::thread([this] {
            std::unique_lock lock(mutex_);
            released_.wait_for(lock, std::chrono::seconds(10), [this] { return letGo_; });
            flock(fd_, LOCK_UN);
        });
    }
    ~HeldShelf() {
        letGo();
        close(fd_);
    }
    void letGo() {
        {
            std::lock_guard lock(mutex_);
            letGo_ = true;
        }
        released_.notify_all();
        if (watchdog_.joinable()) watchdog_.join();
    }

private:
    int fd_;
    std::mutex mutex_;
    std::condition_variable released_;
    bool letGo_ = false;
    std::thread watchdog_;
};

// A controller over a home folder of its own: settings, data folder and shelf all under a
// temporary folder, nothing of the machine's outside world reached.
class ControllerTest : public ::testing::Test {
protected:
    ControllerTest() { eventLoop(); }
    // Background work still running would outlive the temporary home.
    ~ControllerTest() override {
        testOver_ = true;
        waitForPoolWork();
        QCoreApplication::processEvents();
    }

    // Holds a fake's background run until the condition holds, as a long walk runs until
    // it is stopped; let go when the test ends, so that a run nothing releases cannot hang
    // it. Whether the condition held.
    bool holdUntil(const std::function<bool()>& condition) const {
        while (!condition()) {
            if (testOver_) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    URL home() const { return URL::fileURL(env.home(), true); }
    URL appsFolder() const { return home().appending("Applications", true); }
    std::string shelfRoot() const { return env.data() + "/Kelvora/Undo Shelf"; }

    DiskScanner scanner() const {
        DiskScanner scanner = Snapshot::demoScanner(
            env.dir().url(), [](const URL&) { return std::optional<AppUsage>(); });
        scanner.openFiles = [] { return std::vector<RunningProcess>{}; };
        scanner.isInstalled = [this](const std::string& bundleID) {
            if (installedGate) installedGate->wait();
            std::lock_guard lock(idsMutex);
            return installedIDs.count(bundleID) > 0;
        };
        return scanner;
    }

    Cleaner cleaner() {
        return Cleaner(
            [this] {
                if (cleanGate) cleanGate->wait();
                return std::vector<RunningApp>();
            },
            [] { return std::vector<std::string>(); },
            [](const ScanItem::Action&) { return std::optional<int32_t>(0); });
    }

    AppModel::Tools tools() {
        AppModel::Tools tools;
        tools.search = [](const PlainQuery&, const URL&, int, const StopToken&) {
            return std::vector<PlainQuery::Hit>();
        };
        tools.findPhotos = [](const std::vector<URL>&, const std::function<void(double)>&,
                              const StopToken&) { return std::vector<SimilarPhotos::Group>(); };
        tools.measure = [](const URL&, const std::set<std::string>&, const SpaceMap::Progress&,
                           const StopToken&) { return std::shared_ptr<const SpaceMap>(); };
        tools.readLoginItems = [](bool, const std::vector<LoginItemScanner::OpenAtLoginApp>&) {
            return std::vector<LoginItem>();
        };
        tools.switchLoginItem = [](const LoginItem&, bool) { return std::optional<std::string>(); };
        tools.releaseAsAdmin = [](const std::string&, const std::string&) {
            return AppModel::AdminOutcome{};
        };
        tools.reveal = [this](const URL& url) { revealed.push_back(url); };
        tools.setSweeper = [this](bool) {
            ++sweeperRegistrations;
            return std::optional<std::string>();
        };
        tools.hasFullDiskAccess = [] { return true; };
        tools.openFiles = [this] {
            std::lock_guard lock(openMutex);
            RunningProcess holder{
                4242, "/usr/bin/viewer", "viewer", {openPaths.begin(), openPaths.end()}};
            std::sort(holder.openFiles.begin(), holder.openFiles.end());
            return std::vector<RunningProcess>{holder};
        };
        return tools;
    }

    std::unique_ptr<AppModel> makeModel() { return makeModel(tools()); }
    // Once it has read the shelf and listed the installed apps, which it does in the
    // background at the start.
    std::unique_ptr<AppModel> makeModel(AppModel::Tools customTools) {
        auto model = std::make_unique<AppModel>(scanner(), cleaner(),
                                                UndoShelf(URL::fileURL(shelfRoot(), true), 7),
                                                std::move(customTools));
        waitUntil([&] { return model->shelfRead() && model->appsRead(); });
        return model;
    }

    // An application bundle in the home's application folder.
    std::string writeApp(const std::string& name, const std::string& bundleID) {
        std::string bundle = appsFolder().path() + "/" + name + ".app";
        createDirectories(bundle + "/Contents");
        writePlist({{"CFBundleIdentifier", bundleID}, {"CFBundleName", name}},
                   bundle + "/Contents/Info.plist");
        env.dir().write("home/Applications/" + name + ".app/Contents/MacOS/" + name, "binary");
        std::lock_guard lock(idsMutex);
        installedIDs.insert(bundleID);
        return bundle;
    }

    std::string write(const std::string& relativeToHome, const std::string& contents = "x") {
        return env.dir().write("home/" + relativeToHome, contents);
    }

    // A download written into the home, as an item whose removal frees its size.
    ScanItem download(const std::string& relativeToHome, const std::string& contents) {
        ScanItem item;
        item.kind = JunkKind::downloads;
        item.location = URL::fileURL(write(relativeToHome, contents));
        item.targets = {item.location};
        item.bytes = static_cast<int64_t>(contents.size());
        return item;
    }

    void holdOpen(const std::string& path) {
        std::lock_guard lock(openMutex);
        openPaths.insert(path);
    }

    // Takes an application away as another program would: gone from disk and unknown.
    void removeApp(const std::string& bundle, const std::string& bundleID) {
        {
            std::lock_guard lock(idsMutex);
            installedIDs.erase(bundleID);
        }
        removeItem(bundle);
    }

    IsolatedHome env;
    mutable std::mutex idsMutex;
    std::set<std::string> installedIDs;
    std::shared_ptr<Gate> installedGate;
    std::shared_ptr<Gate> cleanGate;
    std::vector<URL> revealed;
    int sweeperRegistrations = 0;
    std::mutex openMutex;
    std::unordered_set<std::string> openPaths;

private:
    std::atomic<bool> testOver_{false};
};

} // namespace kelvora::testing
