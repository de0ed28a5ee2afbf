#include "platform/UnitFolders.h"

#include <gtest/gtest.h>

using namespace kelvora;

// systemd names a mount unit by its place, with "/" written "-" and other bytes as "\xNN".
TEST(UnitFolders, AMountUnitsNameStandsForItsPlace) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"srv-nas.mount", "/srv/nas"},
        {"-.mount", "/"},
        {"mnt-my\\x2ddisk-Photos\\x20Old.automount", "/mnt/my-disk/Photos Old"},
        {"home-ann-\\x2elocal.mount", "/home/ann/.local"},
        {"srv--nas.mount", std::nullopt},
        {"srv-nas-.mount", std::nullopt},
        {"srv-..-etc.mount", std::nullopt},
        {"srv\\x2.mount", std::nullopt},
        {"nodot", std::nullopt},
    };
    for (const auto& [name, path] : cases)
        EXPECT_EQ(UnitFolders::pathOfName(name), path) << name;
}
