// Times the snapshot renderer: one whole run on the marketing data (stage the controller,
// lay out and draw the window at 2560 × 1640, encode and write the PNG), and the drawing of
// the window root alone, each as the best of several runs.
#include "Timing.h"

#include "controller/AppModel.h"
#include "design/Render.h"
#include "design/Snapshot.h"
#include "entry/Arguments.h"
#include "snapshot/Marketing.h"
#include "snapshot/SnapshotRun.h"
#include "window/RootView.h"

#include <QDir>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

using namespace kelvora;

double best(int runs, const auto& work) {
    double fastest = 1e9;
    for (int i = 0; i < runs; ++i)
        fastest = std::min(fastest, bench::secondsOf(work));
    return fastest;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    Render::application();
    const std::string output = QDir::tempPath().toStdString() + "/kelvora-snapshot-bench.png";

    for (SnapshotOptions::Mode mode :
         {SnapshotOptions::Mode::simple, SnapshotOptions::Mode::detailed}) {
        SnapshotOptions options;
        options.output = output;
        options.marketing = true;
        options.mode = mode;
        Snapshot::Environment environment = Snapshot::Environment::live();
        environment.print = [](const std::string&) {};
        const double whole = best(runs, [&] { Snapshot::run(options, environment); });
        std::printf("%s snapshot, whole run: %.3f s\n",
                    mode == SnapshotOptions::Mode::simple ? "simple" : "detailed", whole);
    }

    Snapshot::setProcessDefault(true);
    AppModel model(Marketing::result(), AppModel::ViewMode::detailed,
                   UndoShelf(UndoShelf::defaultRoot(), 7), std::nullopt);
    RootView root(model, 0);
    const double drawing = best(runs, [&] { Snapshot::renderWindow(root, false); });
    std::printf("detailed window, drawing alone: %.3f s\n", drawing);
    std::remove(output.c_str());
    return 0;
}
