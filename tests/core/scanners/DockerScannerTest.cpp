#include "HomeFixture.h"

#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unordered_set>

using namespace kelvora;
using namespace kelvora::testing;
using Kind = ScanItem::DeveloperInfo::Kind;

namespace {

const std::string kReport =
    R"j({"Type":"Images","TotalCount":"12","Active":"3","Size":"7.5GB","Reclaimable":"2.5GB (45%)"})j"
    "\n"
    R"j({"Type":"Containers","TotalCount":"4","Active":"1","Size":"3MB","Reclaimable":"3MB (99%)"})j"
    "\n\n"
    R"j({"Type":"Local Volumes","TotalCount":"2","Active":"2","Size":"1.5 GB","Reclaimable":"0B"})j"
    "\n"
    R"j({"Type":"Build Cache","Size":"512kB","Reclaimable":"512kB"})j"
    "\n"
    "not json\n"
    R"j({"Type":"Odd","Size":"9GB"})j"
    "\n";

// A stand-in for the engine's tool that prints the report only for the arguments it expects.
std::string writeFakeDocker(const TempDir& home, const std::string& relative,
                            const std::string& report) {
    std::string path =
        home.write(relative, "#!/bin/sh\n"
                             "[ \"$*\" = 'system df --format {{json .}}' ] || exit 9\n"
                             "cat <<'EOF'\n" +
                                 report + "EOF\n");
    chmod(path.c_str(), 0755);
    return path;
}

constexpr int kCannotHide = 77;

// Runs `body` in a child whose view of the file system has no system-wide docker: each one
// is covered, in a mount namespace of the child's own, by a file that is not executable.
template <typename Body> int withoutSystemDocker(Body body) {
    pid_t pid = fork();
    if (pid < 0) return kCannotHide;
    if (pid == 0) {
        if (unshare(CLONE_NEWNS) != 0 ||
            mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            _exit(kCannotHide);
        for (const char* path : {"/usr/local/bin/docker", "/opt/homebrew/bin/docker"})
            if (fileExists(path) && mount("/dev/null", path, nullptr, MS_BIND, nullptr) != 0)
                _exit(kCannotHide);
        _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(DockerUsageReport, SizesAreDecimalUnitsWhateverTheLocale) {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    // A locale writing a decimal comma must not turn "2.5GB" into nothing.
    for (const char* locale : {"C", "de_DE.UTF-8"}) {
        if (!std::setlocale(LC_ALL, locale)) continue;
        EXPECT_EQ(DiskScanner::dockerBytes("2.5GB (45%)"), 2'500'000'000) << locale;
        EXPECT_EQ(DiskScanner::dockerBytes("512kB"), 512'000);
        EXPECT_EQ(DiskScanner::dockerBytes("0B"), 0);
        EXPECT_EQ(DiskScanner::dockerBytes("1.5 GB"), 1'500'000'000) << locale;
        EXPECT_EQ(DiskScanner::dockerBytes("  3.2TB"), 3'200'000'000'000) << locale;
        EXPECT_EQ(DiskScanner::dockerBytes("12"), 0);
        EXPECT_EQ(DiskScanner::dockerBytes("1.2.3GB"), 0);
        EXPECT_EQ(DiskScanner::dockerBytes("1,5GB"), 0);
        EXPECT_EQ(DiskScanner::dockerBytes("GB"), 0);
        EXPECT_EQ(DiskScanner::dockerBytes("1.5GiB"), 0);
        EXPECT_EQ(DiskScanner::dockerBytes("99999999999PB"), INT64_MAX);
        EXPECT_EQ(DiskScanner::parseDockerUsage(kReport, "d")->images, 2'500'000'000) << locale;
    }
    std::setlocale(LC_ALL, previous.c_str());
}

TEST(DockerUsageReport, LinesAreReadByType) {
    auto usage = DiskScanner::parseDockerUsage(kReport, "/x/docker");
    ASSERT_TRUE(usage);
    EXPECT_EQ(*usage, (DockerUsage{"/x/docker", 2'500'000'000, 512'000, 3'000'000,
                                   7'500'000'000 + 3'000'000 + 1'500'000'000 + 512'000}));

    EXPECT_EQ(std::unordered_set<DockerUsage>({*usage, *usage}).size(), 1u);

    EXPECT_FALSE(DiskScanner::parseDockerUsage(R"({"Type":"Images","Size":"1GB"})", "d"));
    EXPECT_FALSE(DiskScanner::parseDockerUsage("", "d"));
    // A broken byte does not lose the line it is in.
    auto repaired = DiskScanner::parseDockerUsage(
        "{\"Type\":\"Images\",\"Size\":\"1GB\",\"Reclaimable\":\"1GB \xff\"}", "d");
    ASSERT_TRUE(repaired);
    EXPECT_EQ(repaired->images, 1'000'000'000);
}

TEST(DockerUsageReport, SizesBeyondTheByteRangeNeverWrapAround) {
    const std::string huge = "99999999999PB";
    auto usage = DiskScanner::parseDockerUsage(
        R"({"Type":"Images","Size":")" + huge + R"(","Reclaimable":")" + huge + "\"}\n" +
            R"({"Type":"Build Cache","Size":")" + huge + R"(","Reclaimable":")" + huge + "\"}\n",
        "d");
    ASSERT_TRUE(usage);
    EXPECT_EQ(usage->total, INT64_MAX);

    HomeFixture f;
    auto disk = f.scanner.dockerDiskItem(usage);
    ASSERT_EQ(disk.size(), 1u);
    EXPECT_EQ(disk[0].bytes, INT64_MAX);
    EXPECT_EQ(disk[0].system()->detail, std::to_string(INT64_MAX));
}

TEST(DockerItems, OfferedOnlyWhenIncludedAndReclaimable) {
    HomeFixture f;
    DockerUsage usage{"/home/ann/.orbstack/bin/docker", 0, 5'000, 3'000'000, 9'000'000};
    EXPECT_TRUE(f.scanner.scanDocker(usage).empty()) << "includeDocker is off by default";

    f.scanner.includeDocker = true;
    EXPECT_TRUE(f.scanner.scanDocker(std::nullopt).empty());
    auto items = f.scanner.scanDocker(usage);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].location.absoluteString(), "docker:build-cache");
    EXPECT_EQ(items[0].developer()->kind, Kind::dockerBuildCache);
    EXPECT_EQ(items[0].baseVerdict, Verdict::rebuilds);
    EXPECT_EQ(items[0].action->arguments,
              (std::vector<std::string>{"builder", "prune", "--all", "--force"}));

    const ScanItem& stopped = items[1];
    EXPECT_EQ(stopped.location.absoluteString(), "docker:stopped-containers");
    EXPECT_EQ(stopped.kind, JunkKind::developer);
    EXPECT_EQ(stopped.bytes, 3'000'000);
    EXPECT_EQ(stopped.baseVerdict, Verdict::youDecide);
    EXPECT_TRUE(stopped.targets.empty());
    EXPECT_EQ(stopped.developer()->owner, "Docker");
    EXPECT_EQ(stopped.action->tool, usage.tool);
    EXPECT_EQ(stopped.action->commandLine(), "docker container prune --force");
}

TEST(DockerTool, LookedForInTheListedPlacesInOrder) {
    TempDir home;
    const std::string previousPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", "/opt/tools/bin:relative/bin:/usr/bin:/usr/local/bin/:/opt/tools/bin", 1);
    auto candidates = DiskScanner::dockerToolCandidates(home.url());
    setenv("PATH", previousPath.c_str(), 1);
    // The places of the other system first, then where this one installs it, then the PATH.
    EXPECT_EQ(candidates,
              (std::vector<std::string>{"/usr/local/bin/docker", "/opt/homebrew/bin/docker",
                                        home / ".docker/bin/docker", home / ".orbstack/bin/docker",
                                        "/Applications/Docker.app/Contents/Resources/bin/docker",
                                        "/usr/bin/docker", "/opt/tools/bin/docker"}));

    // With the system places empty, the first executable of the home's places answers.
    candidates[0] = home / "missing/docker";
    candidates[1] = home / "missing/docker2";
    EXPECT_FALSE(DiskScanner::askDocker(candidates));
    std::string orb = writeFakeDocker(home, ".orbstack/bin/docker", kReport);
    auto usage = DiskScanner::askDocker(candidates);
    ASSERT_TRUE(usage);
    EXPECT_EQ(usage->tool, orb);
    EXPECT_EQ(usage->images, 2'500'000'000);

    std::string own = writeFakeDocker(home, ".docker/bin/docker", kReport);
    EXPECT_EQ(DiskScanner::askDocker(candidates)->tool, own);

    // A tool that fails answers nothing, and the later places are not tried.
    home.write(".docker/bin/docker", "#!/bin/sh\nexit 1\n");
    chmod(own.c_str(), 0755);
    EXPECT_FALSE(DiskScanner::askDocker(candidates));
}

TEST(DockerTool, FakeToolInTheHomeDrivesTheWholeScan) {
    HomeFixture f;
    std::string tool = writeFakeDocker(f.home, ".docker/bin/docker", kReport);
    f.scanner.includeDocker = true;
    // Hide a docker installed for the whole system, which would be asked first, inside a
    // child process of its own.
    int outcome = withoutSystemDocker([&] {
        auto usage = DiskScanner::liveDocker(f.home.url());
        if (!usage || usage->tool != tool) return 1;
        auto items = f.scanner.scanDocker(usage);
        if (items.size() != 3) return 2;
        for (const auto& item : items)
            if (item.action->tool != tool) return 3;
        return 0;
    });
    if (outcome == kCannotHide) GTEST_SKIP() << "cannot hide the system's docker here";
    EXPECT_EQ(outcome, 0);
}
