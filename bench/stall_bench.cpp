// kelvora_stall_bench [--small]: the window and its controller on the main thread, over a
// home of its own holding a category of 20,000 caches, with an Undo Shelf of 100,000
// entries, a folder of 1,000,000 files to map and a search. For each user action it prints
// the longest time the event loop went without turning (a timer beats every millisecond)
// from the action until its result is applied and drawn. --small runs the same on a tenth
// or less, for a quick check.
// kelvora_stall_bench --idle-memory [ENTRIES]: the window left idle over an Undo Shelf of
// ENTRIES entries (100,000 by default), its resident memory once the shelf is read and again
// with the shelf's pane open.
#include "controller/AppModel.h"
#include "controller/Prefs.h"
#include "controller/Updater.h"
#include "design/Buttons.h"
#include "design/Fonts.h"
#include "design/Render.h"
#include "panes/ShelfPage.h"
#include "platform/FileSystem.h"
#include "snapshot/DemoData.h"
#include "window/MainWindow.h"
#include "window/SidebarContent.h"

#include "Timing.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QThreadPool>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace kelvora;
using kelvora::bench::secondsOf;
using Clock = std::chrono::steady_clock;

namespace {

struct Sizes {
    long shelf;
    int category;
    long mapFiles;
    int pdfs;
};

constexpr Sizes kFull{100'000, 20'000, 1'000'000, 2'000};
constexpr Sizes kSmall{5'000, 2'000, 50'000, 200};

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// The processor time of the main thread so far: a gap between beats that the scheduler
// made, on a busy machine, spends none of it.
double threadMilliseconds() {
    timespec time{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return time.tv_sec * 1e3 + time.tv_nsec / 1e6;
}

// ---- The fixture ----

void writeFile(const std::string& path, size_t bytes) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return;
    std::string contents(bytes, 'k');
    if (bytes > 0 && ::write(fd, contents.data(), contents.size()) < 0) std::perror(path.c_str());
    ::close(fd);
}

// Points HOME and the XDG folders into `root`, before anything reads them.
void isolate(const std::string& root) {
    for (const char* name : {"home", "home/.cache", "config", "data", "tmp"})
        createDirectories(root + "/" + name);
    setenv("HOME", (root + "/home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (root + "/home/.cache").c_str(), 1);
    setenv("TMPDIR", (root + "/tmp").c_str(), 1);
    createDirectories(root + "/runtime");
    chmod((root + "/runtime").c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", (root + "/runtime").c_str(), 1);
}

// One cache folder per item of the category, and PDFs for the search to find.
void makeHome(const std::string& home, const Sizes& sizes) {
    for (int i = 0; i < sizes.category; ++i) {
        std::string folder = home + "/.cache/org.example.app" + std::to_string(i);
        createDirectories(folder);
        writeFile(folder + "/data.bin", 100 + i % 4000);
    }
    createDirectories(home + "/Documents");
    for (int i = 0; i < sizes.pdfs; ++i)
        writeFile(home + "/Documents/Report " + std::to_string(i) + ".pdf", 2000);
}

// Files spread over folders of 1,000 in the temporary folder (one a scan looks in, so that
// they can go back), moved onto the shelf as one clean-up.
void fillShelf(const UndoShelf& shelf, const std::string& folder, long count) {
    std::vector<UndoShelf::LabelledItem> items;
    items.reserve(count);
    for (long i = 0; i < count; ++i) {
        std::string name = "file-" + std::to_string(i) + ".bin";
        std::string path = folder + "/" + std::to_string(i / 1000) + "/" + name;
        if (i % 1000 == 0) createDirectories(parentPath(path));
        writeFile(path, 16);
        ScanItem item;
        item.kind = JunkKind::downloads;
        item.location = URL::fileURL(path);
        item.targets = {item.location};
        item.bytes = 4096 + i % 50'000;
        items.push_back({std::move(item), name});
    }
    auto shelved = shelf.shelve(items, currentDate());
    if (!shelved.sweep || !shelved.failures.empty()) {
        std::fprintf(stderr, "shelving the fixture failed\n");
        std::exit(1);
    }
}

// A folder of `count` files (100 folders of 10 folders each), kept under /tmp between runs;
// one file in a hundred holds a byte, so the map has sizes to draw.
std::string mapTree(long count) {
    std::string root = "/tmp/kelvora-stall-map-" + std::to_string(count);
    if (fileExists(root + "/complete")) return root + "/tree";
    removeItem(root);
    long perLeaf = std::max(1L, count / 1000);
    auto makePart = [&](int first, int last) {
        for (int top = first; top < last; ++top)
            for (int middle = 0; middle < 10; ++middle) {
                std::string folder =
                    root + "/tree/t" + std::to_string(top) + "/m" + std::to_string(middle);
                createDirectories(folder);
                for (long i = 0; i < perLeaf; ++i)
                    writeFile(folder + "/f" + std::to_string(i), i % 100 == 0 ? 1 : 0);
            }
    };
    std::printf("making %ld files in %s (once)\n", perLeaf * 1000, root.c_str());
    std::fflush(stdout);
    std::thread a(makePart, 0, 33), b(makePart, 33, 66);
    makePart(66, 100);
    a.join();
    b.join();
    writeFile(root + "/complete", 0);
    return root + "/tree";
}

// The live tools, but nothing outside the home reached and no helper registered.
AppModel::Tools quietTools() {
    AppModel::Tools tools = AppModel::Tools::live();
    tools.reveal = [](const URL&) {};
    tools.revealSeveral = [](const std::vector<URL>&) {};
    tools.setSweeper = [](bool) { return std::optional<std::string>(); };
    tools.hasFullDiskAccess = [] { return true; };
    tools.openFiles = [] { return std::vector<RunningProcess>{}; };
    return tools;
}

// The settings of a user who has finished the welcome and works in the detailed view, set
// before the controller reads them.
struct BenchSettings {
    BenchSettings() {
        Prefs::setBoolean(Prefs::Key::welcomeDone, true);
        Prefs::setBoolean(Prefs::Key::shelfHelperDecided, true);
        Prefs::setString(Prefs::Key::viewMode, "detailed");
        Fonts::registerFonts();
    }
};

// The whole window over the bench's home, shown at its default size.
struct BenchWindow {
    BenchSettings settings;
    AppModel model;
    Updater updater;
    MainWindow window;

    BenchWindow(const std::string& root, const UndoShelf& shelf)
        : model(Snapshot::demoScanner(URL::fileURL(root, true),
                                      [](const URL&) { return std::optional<AppUsage>(); }),
                Cleaner([] { return std::vector<RunningApp>(); }), shelf, quietTools()),
          window(model, updater) {
        window.resize(1280, 820);
        window.show();
    }
};

// ---- Measuring ----

struct Stall {
    std::string action;
    double worst = 0;   // ms without a turn of the event loop
    double working = 0; // the most processor ms the main thread spent between two turns
    double took = 0;    // ms from the action until its result was applied
    std::string note;
};

std::vector<Stall> stalls;

// Runs the event loop with a heartbeat of 1 ms: `act` runs as the loop's first event, and
// the loop goes on until `done` holds and the window has had 150 ms to draw the result.
// `during`, when given, is asked at every beat while the action runs.
Stall measure(const std::string& action, const std::function<void()>& act,
              const std::function<bool()>& done, const std::function<void()>& during = {}) {
    QEventLoop loop;
    QTimer beat;
    beat.setTimerType(Qt::PreciseTimer);
    beat.setInterval(1);
    Stall stall{action, 0, 0, 0, {}};
    bool acted = false;
    std::optional<Clock::time_point> finished;
    Clock::time_point start = Clock::now();
    Clock::time_point last = start;
    double lastWork = threadMilliseconds();
    QObject::connect(&beat, &QTimer::timeout, [&] {
        Clock::time_point now = Clock::now();
        double work = threadMilliseconds();
        stall.worst = std::max(stall.worst, millisecondsBetween(last, now));
        stall.working = std::max(stall.working, work - lastWork);
        last = now;
        lastWork = work;
        if (!acted) return;
        if (!finished && during) during();
        if (!finished && done()) {
            finished = now;
            stall.took = millisecondsBetween(start, now);
        }
        if (finished && millisecondsBetween(*finished, now) > 150) loop.quit();
        if (millisecondsBetween(start, now) > 600'000) {
            stall.note = "gave up after 600 s; ";
            loop.quit();
        }
    });
    QTimer::singleShot(0, [&] {
        start = Clock::now();
        act();
        acted = true;
    });
    beat.start();
    loop.exec();
    stalls.push_back(stall);
    std::printf("%-40s stall %7.1f ms (working %7.1f ms), applied after %8.1f ms\n", action.c_str(),
                stall.worst, stall.working, stall.took);
    std::fflush(stdout);
    return stall;
}

template <class T> T* child(QWidget& window, const char* name) {
    T* found = window.findChild<T*>(name);
    if (!found) {
        std::fprintf(stderr, "the window has no %s\n", name);
        std::exit(1);
    }
    return found;
}

// A left click on a point of a widget, as the mouse gives it.
void click(QWidget* widget, QPointF at) {
    QPointF global = widget->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
}

void waitFor(const std::function<bool()>& condition) {
    while (!condition()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void printLoad() {
    double load[3] = {0, 0, 0};
    if (getloadavg(load, 3) == 3)
        std::printf("load average %.1f %.1f %.1f, %u cores\n", load[0], load[1], load[2],
                    std::thread::hardware_concurrency());
}

int run(const std::string& root, const Sizes& sizes) {
    const std::string home = root + "/home";
    const UndoShelf shelf(UndoShelf::defaultRoot(), 7);
    const std::string tree = mapTree(sizes.mapFiles);
    double making = secondsOf([&] {
        makeHome(home, sizes);
        fillShelf(shelf, root + "/tmp/shelved", sizes.shelf);
    });
    std::printf("fixture made in %.1f s: %d caches, a shelf of %ld entries, %ld files to map\n",
                making, sizes.category, sizes.shelf, sizes.mapFiles);
    BenchWindow bench(root, shelf);
    AppModel& model = bench.model;
    MainWindow& window = bench.window;
    waitFor([start = Clock::now()] { return millisecondsBetween(start, Clock::now()) > 500; });
    printLoad();

    measure(
        "nothing (the loop idle for 1 s)", [] {},
        [start = Clock::now()] { return millisecondsBetween(start, Clock::now()) > 1000; });
    measure(
        "scan until the result shows", [&] { model.scan(); },
        [&] { return model.phase().is(AppModel::Phase::Kind::ready); });
    const ScanResult* result = model.result();
    long caches = result
                      ? std::count_if(result->items.begin(), result->items.end(),
                                      [](const ScanItem& i) { return i.kind == JunkKind::caches; })
                      : 0;
    std::printf("  the scan found %ld caches\n", caches);

    measure(
        "open a category", [&] { Sidebar::openCategory(model, JunkKind::caches); },
        [] { return true; });
    measure(
        "pick all", [&] { child<QAbstractButton>(window, "pickAll")->click(); },
        [] { return true; });

    measure(
        "open the Undo Shelf", [&] { model.show(std::nullopt, true, false, false, false, false); },
        [] { return true; });
    auto* page = child<ShelfPage>(window, "ShelfPage");
    measure(
        "put back (one entry)",
        [&] {
            const auto& section = page->layout().sections.at(0);
            click(page, section.row(0).button.center());
        },
        [&] { return !model.shelfBusy(); });
    measure(
        "put all back", [&] { child<QAbstractButton>(window, "putAllBack")->click(); },
        [&] { return !model.shelfBusy(); });

    double refilling = secondsOf([&] {
        fillShelf(shelf, root + "/tmp/shelved-again", sizes.shelf);
        // A scan reads the shelf again.
        model.scan();
        waitFor([&] { return model.phase().is(AppModel::Phase::Kind::ready); });
    });
    std::printf("  shelf filled again and read back in %.1f s\n", refilling);
    measure(
        "free now (confirmed)",
        [&] {
            child<QAbstractButton>(window, "freeShelf")->click();
            auto* box = child<QMessageBox>(window, "EmptyShelfConfirmation");
            child<QAbstractButton>(*box, "ConfirmButton")->click();
        },
        [&] { return !model.shelfBusy(); });

    measure(
        "open the space map (the home)",
        [&] { model.show(std::nullopt, false, true, false, false, false); },
        [&] { return !model.measuring() && model.spaceMap(); });
    const URL big = URL::fileURL(tree, true);
    measure(
        "map a folder of " + std::to_string(sizes.mapFiles) + " files",
        [&] { model.measureSpace(big); }, [&] { return !model.measuring(); });
    const URL other = URL::fileURL(home, true);
    bool chose = false;
    measure(
        "choose another folder mid-measurement", [&] { model.measureSpace(big); },
        [&] { return chose && !model.measuring(); },
        [&] {
            if (!chose && model.measuredFiles() >= sizes.mapFiles / 3) {
                model.measureSpace(other);
                chose = true;
            }
        });
    bool second = model.spaceMap() && model.spaceMap()->root() == other;
    std::printf("  the map shows %s\n",
                second ? "the folder chosen second" : "the first folder (the second was dropped)");

    measure(
        "search (\"pdfs\")",
        [&] {
            model.show(std::nullopt, false, false, false, false, true);
            model.search("pdfs");
        },
        [&] { return !model.searching() && model.searchHits(); });
    std::printf("  %zu hits\n", model.searchHits() ? model.searchHits()->size() : size_t{0});
    printLoad();
    QThreadPool::globalInstance()->waitForDone();
    return 0;
}

// ---- Memory ----

// The resident and peak resident kilobytes of this process.
std::pair<long, long> residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    long rss = 0, peak = 0;
    while (std::getline(status, line)) {
        std::sscanf(line.c_str(), "VmRSS: %ld", &rss);
        std::sscanf(line.c_str(), "VmHWM: %ld", &peak);
    }
    return {rss, peak};
}

void printResident(const char* when) {
    auto [rss, peak] = residentKiB();
    std::printf("%-44s resident %7.1f MB (peak so far %7.1f MB)\n", when, rss / 1024.0,
                peak / 1024.0);
    std::fflush(stdout);
}

void idleFor(double seconds) {
    waitFor([start = Clock::now(), seconds] {
        return millisecondsBetween(start, Clock::now()) > seconds * 1000;
    });
}

// The shelf is filled in a child process, so that none of the shelving's memory is counted.
int idleMemory(const std::string& root, long entries) {
    const UndoShelf shelf(UndoShelf::defaultRoot(), 7);
    Clock::time_point start = Clock::now();
    if (entries > 0) {
        pid_t child = fork();
        if (child == 0) {
            fillShelf(shelf, root + "/tmp/shelved", entries);
            _exit(0);
        }
        int status = 0;
        if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status)) {
            std::fprintf(stderr, "filling the shelf failed\n");
            return 1;
        }
    }
    std::printf("a shelf of %ld entries made in %.1f s\n", entries,
                millisecondsBetween(start, Clock::now()) / 1000);
    start = Clock::now();
    BenchWindow bench(root, shelf);
    AppModel& model = bench.model;
    waitFor([&] { return model.shelfRead() && model.phase().is(AppModel::Phase::Kind::ready); });
    std::printf("the shelf read and a scan shown after %.1f s\n",
                millisecondsBetween(start, Clock::now()) / 1000);
    idleFor(3);
    printResident("idle, the shelf read and a scan shown");
    model.show(std::nullopt, true, false, false, false, false);
    idleFor(3);
    printResident("idle, the Undo Shelf's pane open");
    QThreadPool::globalInstance()->waitForDone();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    bool small = argc > 1 && std::strcmp(argv[1], "--small") == 0;
    bool memory = argc > 1 && std::strcmp(argv[1], "--idle-memory") == 0;
    if (argc > (memory ? 3 : 2) || (argc == 2 && !small && !memory)) {
        std::fprintf(stderr, "usage: kelvora_stall_bench [--small | --idle-memory [ENTRIES]]\n");
        return 2;
    }
    std::string pattern = "/tmp/kelvora-stall-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::fprintf(stderr, "cannot make a folder in /tmp\n");
        return 1;
    }
    isolate(pattern);
    Render::application();
    int status = memory ? idleMemory(pattern, argc == 3 ? std::atol(argv[2]) : kFull.shelf)
                        : run(pattern, small ? kSmall : kFull);
    removeItem(pattern);
    return status;
}
