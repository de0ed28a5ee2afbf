#include "snapshot/SnapshotRun.h"

#include "catalog/PlainWords.h"
#include "checks/LoginStateText.h"
#include "controller/AppModel.h"
#include "controller/LoginItemsOrder.h"
#include "design/Fonts.h"
#include "design/Render.h"
#include "design/Snapshot.h"
#include "design/Theme.h"
#include "engine/DiskScanner.h"
#include "login/LoginItemScanner.h"
#include "panes/ReceiptImage.h"
#include "platform/AppPaths.h"
#include "platform/FileSystem.h"
#include "search/PlainQuery.h"
#include "snapshot/DemoData.h"
#include "snapshot/Marketing.h"
#include "snapshot/Summary.h"
#include "spacemap/SpaceMap.h"
#include "window/RootView.h"

#include <cstdio>

namespace kelvora::Snapshot {

namespace {

constexpr int kSearchLimit = 300;

AppModel::ViewMode viewMode(SnapshotOptions::Mode mode) {
    return mode == SnapshotOptions::Mode::detailed ? AppModel::ViewMode::detailed
                                                   : AppModel::ViewMode::simple;
}

URL homeFolder() {
    return URL::fileURL(AppPaths::home(), true);
}

// What the run made on disk and must take away again, whatever way it ends.
struct DemoFolder {
    std::optional<URL> url;
    ~DemoFolder() {
        if (url) removeItem(url->path());
    }
};

// Draws everything for a still picture while the run lasts.
struct StillPictures {
    bool previous = Snapshot::processDefault();
    StillPictures() { Snapshot::setProcessDefault(true); }
    ~StillPictures() { Snapshot::setProcessDefault(previous); }
};

struct Staged {
    std::unique_ptr<AppModel> model;
    ScanResult result;
};

// The marketing result is an imaginary computer: naming its caches after the applications
// installed here would make the pictures differ from machine to machine.
bool namesNoApplications(const SnapshotOptions& options) {
    return options.marketing && options.demo != SnapshotOptions::Demo::downloads;
}

AppNames::Lookup noApplications() {
    return [](const std::string&) { return std::optional<std::string>(); };
}

Staged stage(const SnapshotOptions& options, const Environment& environment, DemoFolder& demo) {
    ScanResult result;
    if (options.demo == SnapshotOptions::Demo::downloads) {
        DemoDownloads downloads = demoDownloads();
        demo.url = downloads.folder;
        result = std::move(downloads.result);
    } else if (options.marketing) {
        result = Marketing::result();
    } else {
        result = environment.scanDisk();
    }
    printSummary(result, environment.print);

    const AppModel::ViewMode mode = viewMode(options.mode);
    Staged staged{nullptr, result};
    if (options.demo == SnapshotOptions::Demo::shelf ||
        options.demo == SnapshotOptions::Demo::done) {
        DemoShelf shelf = demoShelf();
        demo.url = shelf.folder;
        CleanReport report = std::move(shelf.report);
        if (options.marketing) {
            dressForWebsite(shelf.shelf, shelf.folder.appending("home", true));
            report = Marketing::report(result);
        }
        std::optional<AppModel::Phase> phase;
        if (options.demo == SnapshotOptions::Demo::done) {
            DiskSpace disk = result.disk;
            if (options.marketing) disk.available += report.freed;
            phase = AppModel::Phase::done(result, std::move(report), disk);
        }
        staged.model = std::make_unique<AppModel>(result, mode, shelf.shelf, std::move(phase));
        staged.model->setShowingShelf(options.demo == SnapshotOptions::Demo::shelf);
    } else {
        staged.model = std::make_unique<AppModel>(
            result, mode, UndoShelf(UndoShelf::defaultRoot(), 7), std::nullopt);
    }
    if (namesNoApplications(options)) staged.model->setApplicationNames(noApplications());
    return staged;
}

void showTools(AppModel& model, const SnapshotOptions& options, const Environment& environment) {
    if (options.spaceMap) {
        auto map = SpaceMap::measure(URL::fileURL(*options.spaceMap, true),
                                     SpaceMap::protectedFolders(homeFolder()));
        environment.print("Measured " + PlainWords::counted(map->filesMeasured(), "file") +
                          " under " + *options.spaceMap);
        model.setMode(AppModel::ViewMode::detailed);
        auto children = map->children(map->root());
        model.showSpaceMap(map);
        model.setMapSelection(children.empty() ? std::nullopt
                                               : std::optional<URL>(children.front().url));
    }
    model.setForecastDays(options.forecastDays);
    if (options.search) {
        PlainQuery query =
            PlainQuery::parse(*options.search, currentDate(), QueryCalendar::gregorian(),
                              PlainQuery::hasApplicationsFolder(homeFolder()));
        model.setMode(AppModel::ViewMode::detailed);
        model.showSearch(query, query.run(homeFolder(), kSearchLimit), *options.search);
    }
}

void showLoginItems(AppModel& model, const Environment& environment) {
    LoginItemScanner scanner(homeFolder(), std::nullopt, LoginItemScanner::liveLaunchctl);
    std::vector<LoginItem> items = LoginItemsOrder::sorted(scanner.scan());
    for (const LoginItem& item : items)
        environment.print("  [" + rawValue(item.source) + "] " + item.name + " · " +
                          loginStateText(item.state) + " · " + item.purpose);
    model.setMode(AppModel::ViewMode::detailed);
    // The settings button names what it would open on this desktop.
    model.showLoginItems(std::move(items), AppModel::Tools::live().loginSettingsPlace());
}

} // namespace

Environment Environment::live() {
    Environment environment;
    environment.scanDisk = [] { return DiskScanner::live().scan(); };
    environment.receiptPng = ReceiptImage::png;
    environment.print = [](const std::string& line) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    };
    return environment;
}

QImage renderWindow(RootView& root, bool dark, WindowSize size) {
    Theme::Scope appearance(dark ? Appearance::dark : Appearance::light);
    root.applyForeground();
    return Render::widget(root, QSize(size.width, size.height), kScale);
}

int run(const SnapshotOptions& options, const Environment& environment) {
    Render::application();
    Fonts::registerFonts();
    // The whole window is drawn for a still picture: lists laid out in full, nothing moving.
    StillPictures still;
    DemoFolder demo;
    Staged staged = stage(options, environment, demo);
    AppModel& model = *staged.model;

    model.setCategory(options.category);
    std::optional<URL> focused;
    if (options.category) {
        auto items = staged.result.itemsOf(*options.category);
        if (!items.empty()) focused = items.front().location;
    }
    model.setFocusedItem(focused);
    model.setShowingWelcome(options.welcomeStep.has_value());
    showTools(model, options, environment);

    if (options.receipt) {
        if (auto receipt = model.receipt()) {
            auto png = environment.receiptPng(*receipt);
            if (png && writeFileAtomically(options.output,
                                           std::string_view(png->constData(), png->size()))) {
                environment.print("Wrote " + options.output);
                return 0;
            }
            // Reported as a failure, not a success: no picture was made.
            environment.print("Could not render the receipt.");
            return 1;
        }
    }
    if (options.loginItems) showLoginItems(model, environment);

    RootView root(model, options.welcomeStep.value_or(0));
    Snapshot::setSnapshot(&root, true);
    const QImage image = renderWindow(root, options.dark, options.size);
    if (image.isNull()) {
        environment.print("Could not render the snapshot.");
        return 1;
    }
    if (FileResult written = Render::writePng(image, options.output); !written) {
        environment.print(written.reason);
        return 1;
    }
    environment.print("Wrote " + options.output);
    return 0;
}

} // namespace kelvora::Snapshot
