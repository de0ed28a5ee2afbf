#include "controller/ShelfSweeper.h"

#include "clean/UndoShelf.h"
#include "controller/ScheduledClean.h"
#include "engine/DiskHistory.h"
#include "model/Format.h"
#include "platform/AppPaths.h"

#include <cstdio>

namespace kelvora::ShelfSweeper {

int emptyExpired(const std::optional<std::string>& shelfRoot) {
    UndoShelf shelf(shelfRoot ? URL::fileURL(AppPaths::absolutePath(*shelfRoot), true)
                              : UndoShelf::defaultRoot());
    UndoShelf::Purge purge = shelf.purge(currentDate());
    int64_t purged = purge.bytes;
    size_t held = shelf.sweeps().size();

    int64_t scheduled = ScheduledClean::runIfDue(currentDate());

    // Loaded only now, so that the window's own writes during the clean are not lost.
    DiskSpace disk = DiskScanner::diskSpace(URL::fileURL(AppPaths::home(), true));
    DiskHistory::update(DiskHistory::defaultFile(), [&](DiskHistory& history) {
        history.recordFreed(purged);
        history.recordFreed(scheduled);
        history.record(disk.available, currentDate());
    });

    if (scheduled >= 1)
        std::printf("Scheduled clean freed %s of caches\n", Format::size(scheduled).c_str());
    for (const auto& reason : purge.stillHeld)
        std::printf("Couldn’t empty an expired cleanup: %s\n", reason.c_str());
    std::printf("Emptied %s of expired cleanups · %zu still held\n", Format::size(purged).c_str(),
                held);
    std::fflush(stdout);
    return 0;
}

} // namespace kelvora::ShelfSweeper
