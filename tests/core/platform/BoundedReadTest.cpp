#include "platform/FileSystem.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kelvora;
using kelvora::testing::TempDir;

// A file past the limit is refused from its size alone: a sparse file of 2 GB costs nothing
// to refuse, where reading it whole would cost 2 GB of memory. A file of /proc says it holds
// nothing and is held to the limit as it is read.
TEST(BoundedRead, ReadsWholeFilesWithinTheLimitAndRefusesTheRestUnread) {
    TempDir dir;
    std::string exact = dir.write("exact", std::string(64, 'x'));
    std::string sparse = dir / "sparse";
    ASSERT_EQ(truncate(dir.write("sparse", "").c_str(), int64_t{2} << 30), 0);
    std::string fifo = dir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    using Outcome = BoundedRead::Outcome;
    struct Case {
        const char* story;
        std::string path;
        int64_t limit;
        Outcome outcome;
    } cases[] = {
        {"as large as the limit", exact, 64, Outcome::read},
        {"one byte past it", exact, 63, Outcome::tooLarge},
        {"a sparse file of 2 GB", sparse, 32 << 20, Outcome::tooLarge},
        {"a /proc list of what is mapped, past the limit", "/proc/self/maps", 64,
         Outcome::tooLarge},
        {"a /proc command line, past the limit", "/proc/self/cmdline", 8, Outcome::tooLarge},
        {"missing", dir / "none", 64, Outcome::missing},
        {"a folder", dir.path(), 64, Outcome::unreadable},
        {"a pipe, which never blocks the reader", fifo, 64, Outcome::unreadable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.story);
        BoundedRead read = readFileAtMost(c.path, c.limit);
        EXPECT_EQ(read.outcome, c.outcome);
        EXPECT_EQ(read.bytes.size(), c.outcome == Outcome::read ? 64u : 0u);
        EXPECT_EQ(read.reason.empty(), c.outcome != Outcome::unreadable);
    }
}
