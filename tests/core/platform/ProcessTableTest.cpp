#include "platform/ProcessTable.h"

#include "support/RunningProgram.h"
#include "support/TempDir.h"

#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace kelvora;
using namespace kelvora::testing;

TEST(ProcessTable, MapsLinesNameTheirFileAsItIsOnDisk) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"7f1c2a000000-7f1c2a021000 r--p 00000000 08:01 1311 /usr/lib/libc.so.6",
         "/usr/lib/libc.so.6"},
        {"7f1c2a000000-7f1c2a021000 r--s 00000000 08:01 77   /home/u/.cache/my app/db file",
         "/home/u/.cache/my app/db file"},
        {"7f1c2a000000-7f1c2a021000 rw-s 00000000 00:01 9    /home/u/.cache/x/gone (deleted)",
         "/home/u/.cache/x/gone"},
        {"55d0c8a5e000-55d0c8a7f000 rw-p 00000000 00:00 0    [heap]", std::nullopt},
        {"7ffd5d7d8000-7ffd5d7da000 rw-p 00000000 00:00 0", std::nullopt}};
    for (const auto& [line, file] : cases)
        EXPECT_EQ(ProcessTable::mappedFile(line), file) << line;
}

TEST(ProcessTable, AProgramHoldingAFileIsListedWithItButThisProcessIsNot) {
    TempDir dir;
    const std::string held = dir.write("cache/tool/state.db", "s");
    const std::string mine = dir.write("cache/mine/open.db", "m");
    const int fd = open(mine.c_str(), O_RDONLY | O_CLOEXEC);
    RunningProgram program(dir / "bin/kvholder", held);

    const auto processes = ProcessTable::holdingFiles();
    const auto holder = std::find_if(processes.begin(), processes.end(),
                                     [](const RunningProcess& p) { return p.name == "kvholder"; });
    ASSERT_NE(holder, processes.end());
    EXPECT_EQ(holder->executable, dir / "bin/kvholder");
    const auto& files = holder->openFiles;
    EXPECT_TRUE(std::binary_search(files.begin(), files.end(), held));
    // Its program is mapped into its memory, not held by a descriptor.
    EXPECT_TRUE(std::binary_search(files.begin(), files.end(), dir / "bin/kvholder"));
    for (const auto& process : processes)
        EXPECT_FALSE(std::binary_search(process.openFiles.begin(), process.openFiles.end(), mine));
    close(fd);

    const auto executables = ProcessTable::executablePaths();
    EXPECT_NE(std::find(executables.begin(), executables.end(), dir / "bin/kvholder"),
              executables.end());
}
