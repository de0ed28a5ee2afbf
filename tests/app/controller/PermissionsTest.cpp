#include "controller/Permissions.h"

#include "app/support/IsolatedHome.h"
#include "support/FixtureScanner.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

// A fixture home owned by root, read by the unprivileged user: folders are made, then the
// named ones get the given mode, and the probe runs as that user.
struct Home {
    std::vector<std::string> folders; // relative to the isolated folder
    std::vector<std::string> files;
    std::vector<std::pair<std::string, mode_t>> modes;

    void make(const IsolatedHome& env) const {
        for (const auto& folder : folders)
            env.dir().mkdir(folder);
        for (const auto& file : files)
            env.dir().write(file, "x");
        for (const std::string& open : {std::string(), std::string("home"), std::string("data")})
            chmod((env.dir() / open).c_str(), 0755);
        for (const auto& [path, mode] : modes)
            chmod((env.dir() / path).c_str(), mode);
    }
};

} // namespace

TEST(Permissions, ATrashThatRefusesItsListingOrAHomeThatDoesMeansNoAccess) {
    struct Case {
        const char* story;
        Home home;
        bool access;
    };
    const std::vector<Case> cases = {
        {"no Trash yet in a home that lists", {}, true},
        {"empty readable Trashes",
         {{"home/.Trash", "data/Trash/files", "data/Trash/info"}, {}, {}},
         true},
        {"no Trash and a home that only lets through", {{}, {}, {{"home", 0711}}}, false},
        {"a readable Trash in a home that only lets through",
         {{"home/.Trash"}, {}, {{"home", 0711}}},
         true},
        {"the home's Trash closed", {{"home/.Trash"}, {}, {{"home/.Trash", 0700}}}, false},
        {"the home's Trash is a file", {{}, {"home/.Trash"}, {}}, false},
        {"the desktop's Trash closed",
         {{"data/Trash/files"}, {}, {{"data/Trash/files", 0700}}},
         false},
        {"the desktop's Trash behind a closed folder",
         {{"data/Trash/files"}, {}, {{"data/Trash", 0700}}},
         false},
    };
    for (const auto& test : cases) {
        IsolatedHome env;
        test.home.make(env);
        EXPECT_EQ(asNobody([] { return Permissions::hasFullDiskAccess(); }), test.access)
            << test.story;
    }
}

TEST(Permissions, ClosedFoldersNameWhatRefusesItsListingAndSkipWhatIsMissing) {
    IsolatedHome env;
    Home{{"home/.Trash", "home/Desktop", "home/Documents"},
         {},
         {{"home/.Trash", 0700}, {"home/Documents", 0300}}}
        .make(env);
    const std::string expected = env.home() + "/.Trash\n" + env.home() + "/Documents\n";
    EXPECT_TRUE(asNobody([&] {
        std::string listed;
        for (const auto& folder : Permissions::closedFolders())
            listed += folder + "\n";
        return listed == expected;
    }));
}
