// kelvora_spacemap_draw_bench [DIR | --make COUNT]: how long the space map pane takes to draw
// a folder of many entries: the first showing (listing, folding, laying out, painting), a
// repaint, a click that selects a tile, and leaving and coming back to the folder. With
// --make it first fills a fresh folder with COUNT files of varied sizes (100,000 by default).
#include "controller/AppModel.h"
#include "design/Fonts.h"
#include "design/Render.h"
#include "panes/SpaceMapCanvas.h"
#include "panes/SpaceMapView.h"
#include "platform/FileSystem.h"

#include "Timing.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace kelvora;
using kelvora::bench::secondsOf;

namespace {

constexpr QSize kPane(1000, 700);
constexpr int kRepaints = 20;

// Sizes spread over three orders of magnitude, so the fold and the layout have work to do.
std::string makeFolder(int count) {
    std::string pattern = "/tmp/kelvora-spacemap-XXXXXX";
    std::string root = mkdtemp(pattern.data()) ? pattern : std::string();
    std::string folder = root + "/many";
    createDirectories(folder + "/inner");
    // Plain writes: a synced write per file would make the setup take minutes.
    auto write = [](const std::string& path, size_t size) {
        std::ofstream(path, std::ios::binary) << std::string(size, 'x');
    };
    write(folder + "/inner/big.bin", 8'000'000);
    for (int i = 0; i < count; ++i)
        write(folder + "/file" + std::to_string(i) + ".dat",
              1 + (i % 7 == 0 ? (i % 1000) * 300 : i % 5000));
    return folder;
}

double milliseconds(double seconds) {
    return seconds * 1000;
}

} // namespace

int main(int argc, char** argv) {
    std::string folder;
    bool made = false;
    if (argc == 2 && std::string(argv[1]) != "--make") {
        folder = argv[1];
    } else if (argc <= 3 && (argc == 1 || std::string(argv[1]) == "--make")) {
        folder = makeFolder(argc == 3 ? std::atoi(argv[2]) : 100'000);
        made = true;
    } else {
        std::fprintf(stderr, "usage: kelvora_spacemap_draw_bench [DIR | --make COUNT]\n");
        return 2;
    }
    Render::application();
    Fonts::registerFonts();
    URL root = URL::fileURL(folder, true).standardized();
    std::shared_ptr<const SpaceMap> map;
    double measure = secondsOf([&] { map = SpaceMap::measure(root, {}); });

    AppModel model(ScanResult{}, AppModel::ViewMode::detailed,
                   UndoShelf(URL::fileURL("/nonexistent-shelf", true), 7), std::nullopt);
    model.showSpaceMap(map);
    double listing = secondsOf([&] { (void)map->children(root); });
    std::unique_ptr<SpaceMapView> view;
    double first = secondsOf([&] {
        view = std::make_unique<SpaceMapView>(model, 28);
        Render::widget(*view, kPane);
    });
    double repaint = secondsOf([&] {
                         for (int i = 0; i < kRepaints; ++i)
                             Render::widget(*view, kPane);
                     }) /
                     kRepaints;
    double select = secondsOf([&] {
        const auto& tiles = view->canvas()->tiles();
        if (!tiles.empty() && tiles[0].entry) model.setMapSelection(tiles[0].entry->url);
        Render::widget(*view, kPane);
    });
    double away = secondsOf([&] {
        view->zoom(root.appending("inner", true));
        Render::widget(*view, kPane);
        view->zoom(root);
        Render::widget(*view, kPane);
    });

    std::printf("entries %zu\n", map->children(root).size());
    std::printf("tiles %zu\n", view->canvas()->tiles().size());
    std::printf("folder listings %d\n", view->shownFolder().listings());
    std::printf("measure ms %.1f\n", milliseconds(measure));
    std::printf("one listing ms %.1f\n", milliseconds(listing));
    std::printf("first draw ms %.1f\n", milliseconds(first));
    std::printf("repaint ms %.2f\n", milliseconds(repaint));
    std::printf("select and repaint ms %.2f\n", milliseconds(select));
    std::printf("zoom out and back ms %.1f\n", milliseconds(away));
    if (made) removeItem(parentPath(folder));
    return 0;
}
