#include "platform/ProcessTable.h"

#include <gtest/gtest.h>

using namespace kelvora;

TEST(ProcessTable, MapsLinesNameTheirFileAsItIsOnDiskWithItsIdentity) {
    using Mapped = ProcessTable::MappedFile;
    const auto id = [](unsigned major, unsigned minor, uint64_t inode) {
        return FileIdentity{(static_cast<uint64_t>(major) << 32) | minor, inode};
    };
    const std::vector<std::pair<std::string, std::optional<Mapped>>> cases = {
        {"7f1c2a000000-7f1c2a021000 r--p 00000000 08:01 1311 /usr/lib/libc.so.6",
         Mapped{"/usr/lib/libc.so.6", id(8, 1, 1311)}},
        {"7f1c2a000000-7f1c2a021000 r--s 00000000 fd:1a 77   /home/u/.cache/my app/db file",
         Mapped{"/home/u/.cache/my app/db file", id(0xfd, 0x1a, 77)}},
        {"7f1c2a000000-7f1c2a021000 rw-s 00000000 00:01 9    /home/u/.cache/x/gone (deleted)",
         Mapped{"/home/u/.cache/x/gone", id(0, 1, 9), true}},
        {"7f1c2a000000-7f1c2a021000 rw-s 00000000 0g:01 9    /home/u/odd",
         Mapped{"/home/u/odd", {}}},
        {"55d0c8a5e000-55d0c8a7f000 rw-p 00000000 00:00 0    [heap]", std::nullopt},
        {"7ffd5d7d8000-7ffd5d7da000 rw-p 00000000 00:00 0", std::nullopt}};
    for (const auto& [line, file] : cases)
        EXPECT_EQ(ProcessTable::mappedFile(line), file) << line;
}
