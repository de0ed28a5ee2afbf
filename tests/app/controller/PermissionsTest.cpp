#include "controller/Permissions.h"

#include "app/support/IsolatedHome.h"
#include "support/FixtureScanner.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kelvora;
using namespace kelvora::testing;

TEST(Permissions, EitherTrashRefusingItsListingMeansNoAccess) {
    struct Case {
        std::vector<std::string> folders; // relative to the isolated folder
        std::string closed;               // made unreadable to the user
        bool access;
    };
    const std::vector<Case> cases = {
        {{}, "", true},
        {{"home/.Trash", "data/Trash/files", "data/Trash/info"}, "", true},
        {{"home/.Trash"}, "home/.Trash", false},
        {{"data/Trash/files"}, "data/Trash/files", false},
        {{"data/Trash/files"}, "data/Trash", false},
    };
    for (const auto& test : cases) {
        IsolatedHome env;
        for (const auto& folder : test.folders)
            env.dir().mkdir(folder);
        for (const std::string& open : {std::string(), std::string("home"), std::string("data")})
            chmod((env.dir() / open).c_str(), 0755);
        if (!test.closed.empty()) chmod((env.dir() / test.closed).c_str(), 0700);
        EXPECT_EQ(asNobody([] { return Permissions::hasFullDiskAccess(); }), test.access)
            << test.closed;
    }
}
