#include "support/FixtureScanner.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <map>
#include <sys/stat.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

timespec timeOf(Date date) {
    const auto ns =
        std::chrono::duration_cast<std::chrono::nanoseconds>(date.time_since_epoch()).count();
    return {static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
}

void setTimes(const std::string& path, Date accessed, Date modified) {
    const timespec times[2] = {timeOf(accessed), timeOf(modified)};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

// A file with its access and modification times, and the date recorded for it, if any.
struct Use {
    const char* path;
    double accessedDaysAgo;
    double modifiedDaysAgo;
    double recordedDaysAgo; // 0: nothing recorded
};

} // namespace

TEST(LastOpened, WithoutARecordedDateTheLaterOfAccessAndModificationCounts) {
    TempDir home;
    struct Case {
        Use use;
        bool offered;
        double lastOpenedDaysAgo; // 0: none, the modification date stands for it
    };
    const std::vector<Case> cases = {
        {{"Documents/watched today.mp4", 0.5, 2000, 0}, false, 0},
        {{"Documents/read since.mp4", 500, 2000, 0}, true, 500},
        {{"Documents/never read.mp4", 900, 800, 0}, true, 0},
        {{"Documents/recorded recently.mp4", 2000, 2000, 10}, false, 0},
        {{"Documents/recorded long ago.mp4", 0.5, 2000, 700}, true, 700},
    };
    std::map<std::string, Date> recorded;
    for (const Case& c : cases) {
        const std::string path = home.write(c.use.path, std::string(2000, 'v'));
        setTimes(path, daysAgo(c.use.accessedDaysAgo), daysAgo(c.use.modifiedDaysAgo));
        if (c.use.recordedDaysAgo > 0) recorded[path] = daysAgo(c.use.recordedDaysAgo);
    }
    DiskScanner scanner = fixtureScanner(home);
    scanner.duplicateMinSize = 1000;
    scanner.oldSize = 1000;
    scanner.appUsage = [recorded](const URL& url) -> std::optional<AppUsage> {
        auto it = recorded.find(url.path());
        if (it == recorded.end()) return std::nullopt;
        return AppUsage{it->second, std::nullopt};
    };
    FileCounter counter;
    const auto items = scanner.scanLargeAndOld(scanner.userFiles({}, counter),
                                               addSeconds(kFixtureNow, -scanner.oldAge));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.use.path);
        auto item = std::find_if(items.begin(), items.end(), [&](const ScanItem& found) {
            return found.location.path() == home / c.use.path;
        });
        ASSERT_EQ(item != items.end(), c.offered);
        if (!c.offered) continue;
        EXPECT_EQ(item->largeFile()->lastOpened, c.lastOpenedDaysAgo > 0
                                                     ? std::optional(daysAgo(c.lastOpenedDaysAgo))
                                                     : std::nullopt);
        EXPECT_EQ(item->largeFile()->modified, daysAgo(c.use.modifiedDaysAgo));
    }
}

TEST(LastOpened, ADownloadReadSinceItCameIsOpenedThen) {
    TempDir home;
    struct Case {
        Use use;
        double openedDaysAgo; // 0: not offered
    };
    const std::vector<Case> cases = {
        {{"Downloads/read long ago.zip", 10, 20, 0}, 10},
        {{"Downloads/read this week.zip", 2, 20, 0}, 0},
        {{"Downloads/never read.zip", 30, 20, 0}, 0},
    };
    for (const Case& c : cases)
        setTimes(home.write(c.use.path), daysAgo(c.use.accessedDaysAgo),
                 daysAgo(c.use.modifiedDaysAgo));
    FileCounter counter;
    auto [items, access] = fixtureScanner(home).scanDownloads(counter);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.use.path);
        auto item = std::find_if(items.begin(), items.end(), [&](const ScanItem& found) {
            return found.location.path() == home / c.use.path;
        });
        ASSERT_EQ(item != items.end(), c.openedDaysAgo > 0);
        if (c.openedDaysAgo > 0)
            EXPECT_EQ(item->download()->reason,
                      ScanItem::DownloadInfo::Reason::opened(daysAgo(c.openedDaysAgo)));
    }
}
