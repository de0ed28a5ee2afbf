// kelvora_category_bench [ITEMS]: one category of ITEMS found items (20,000 by default) in
// the detailed view's list, drawn off screen at 1100 × 720 as the window would: how long the
// category takes to open, a frame while scrolling through it, a pick to show, and the time
// the window's thread spends starting a clean-up of the whole category and taking its end.
#include "controller/AppModel.h"
#include "design/Render.h"
#include "window/CategoryDetail.h"
#include "window/CategoryList.h"
#include "window/SidebarContent.h"

#include "Timing.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>

#include <chrono>
#include <thread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace kelvora;
using kelvora::bench::secondsOf;

namespace {

ScanResult category(int count) {
    ScanResult result;
    for (int i = 0; i < count; ++i) {
        ScanItem item;
        item.kind = JunkKind::caches;
        // Nowhere real: the clean-up this bench starts finds nothing to remove.
        item.location = URL::fileURL(
            "/nonexistent/kelvora-bench/.cache/org.example.app" + std::to_string(i), true);
        for (int t = 0; t < 3; ++t)
            item.targets.push_back(item.location.appending(std::to_string(t)));
        item.bytes = 5'000'000'000 - int64_t{i} * 1000;
        if (i % 500 == 7) item.inUseBy = "Some App";
        result.items.push_back(std::move(item));
    }
    result.disk = {500'000'000'000, 60'000'000'000};
    return result;
}

void settle() {
    for (int round = 0; round < 3; ++round)
        QCoreApplication::sendPostedEvents();
}

// A frame as the window would draw it.
void draw(QWidget& window) {
    QImage frame(window.size(), QImage::Format_ARGB32_Premultiplied);
    window.render(&frame);
}

struct Spread {
    std::vector<double> seconds;
    void add(double s) { seconds.push_back(s); }
    void print(const char* what) {
        std::sort(seconds.begin(), seconds.end());
        double total = 0;
        for (double s : seconds)
            total += s;
        std::printf("%s: %zu runs, mean %.2f ms, median %.2f ms, worst %.2f ms\n", what,
                    seconds.size(), 1000 * total / seconds.size(),
                    1000 * seconds[seconds.size() / 2], 1000 * seconds.back());
    }
};

} // namespace

int main(int argc, char** argv) {
    int count = argc > 1 ? std::atoi(argv[1]) : 20'000;
    if (count < 1) {
        std::fprintf(stderr, "usage: kelvora_category_bench [ITEMS]\n");
        return 2;
    }
    Render::application();
    AppModel model(category(count), AppModel::ViewMode::detailed,
                   UndoShelf(URL::fileURL("/nonexistent/kelvora-bench-shelf", true)), std::nullopt);

    QWidget window;
    window.resize(1100, 720);
    window.setAttribute(Qt::WA_DontShowOnScreen);
    auto* detail = new CategoryDetail(model, &window);
    detail->resize(window.size());
    window.show();
    settle();
    draw(window);

    double open = secondsOf([&] {
        Sidebar::openCategory(model, JunkKind::caches);
        settle();
        draw(window);
    });
    std::printf("items %d, sizeof(ScanItem) %zu bytes\n", count, sizeof(ScanItem));
    std::printf("open: %.2f ms\n", 1000 * open);

    QScrollBar* bar = detail->list()->verticalScrollBar();
    Spread scroll;
    for (int value = 0; value <= bar->maximum(); value += std::max(1, bar->maximum() / 400)) {
        scroll.add(secondsOf([&] {
            bar->setValue(value);
            draw(window);
        }));
    }
    scroll.print("scroll frame");

    Spread pick;
    bar->setValue(bar->maximum() / 2);
    for (int i = 0; i < 50; ++i) {
        const ScanItem item = *detail->rows()->item(count / 2 + i);
        pick.add(secondsOf([&] {
            model.toggle(item);
            settle();
            draw(window);
        }));
    }
    pick.print("pick");

    Spread all;
    for (int i = 0; i < 10; ++i)
        all.add(secondsOf([&] {
            model.pickAll(JunkKind::caches, i % 2 == 1);
            settle();
            draw(window);
        }));
    all.print("pick all or none");

    // Every removable item is picked again by the last "Pick all".
    double start = secondsOf([&] {
        model.freeUp();
        draw(window);
    });
    std::printf("start the clean-up: %.2f ms\n", 1000 * start);
    // The clean-up runs on a pool thread; what its end costs here is the longest round of
    // events until the window shows it done.
    double landing = 0;
    while (!model.phase().is(AppModel::Phase::Kind::done)) {
        landing = std::max(landing, secondsOf([&] {
                               QCoreApplication::processEvents();
                               if (model.phase().is(AppModel::Phase::Kind::done)) draw(window);
                           }));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::printf("take the clean-up's end: %.2f ms\n", 1000 * landing);
    return 0;
}
