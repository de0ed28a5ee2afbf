#include "platform/ProcessTable.h"

#include <gtest/gtest.h>

using namespace kelvora;

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
