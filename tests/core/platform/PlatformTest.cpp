#include "platform/Calendar.h"
#include "platform/FileSystem.h"
#include "platform/Iso8601.h"
#include "platform/Plist.h"
#include "support/TempDir.h"

#include <clocale>
#include <cstdint>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace kelvora;
using kelvora::testing::TempDir;

TEST(Urls, FileAndOwnSchemesKeepTheirPathsAndTexts) {
    URL file = URL::fileURL("/Users/me/My Files/a.tar.gz");
    EXPECT_EQ(file.lastPathComponent(), "a.tar.gz");
    EXPECT_EQ(file.pathExtension(), "gz");
    EXPECT_EQ(file.deletingLastPathComponent().path(), "/Users/me/My Files");
    EXPECT_EQ(file.absoluteString(), "file:///Users/me/My%20Files/a.tar.gz");
    EXPECT_EQ(URL::parse(file.absoluteString()), file);
    EXPECT_EQ(URL::parse("file:///a%2"), std::nullopt);

    auto purgeable = URL::parse("kelvora-system:purgeable");
    ASSERT_TRUE(purgeable);
    EXPECT_FALSE(purgeable->isFileURL());
    EXPECT_EQ(purgeable->absoluteString(), "kelvora-system:purgeable");
    EXPECT_EQ(URL::parse("docker:images")->path(), "images");
    EXPECT_FALSE(URL::parse("no scheme here"));

    EXPECT_EQ(URL::fileURL("/a/./b//c/../d/").standardized().path(), "/a/b/d");
    EXPECT_EQ(URL::fileURL("/..").standardized().path(), "/");
    EXPECT_EQ(URL::fileURL(".hidden").pathExtension(), "");
}

TEST(Urls, ResolvingFollowsLinksOfTheExistingPrefix) {
    TempDir dir;
    dir.mkdir("real/inner");
    ASSERT_EQ(symlink((dir / "real").c_str(), (dir / "link").c_str()), 0);
    URL resolvedDir = dir.url().resolvingSymlinks();
    EXPECT_EQ(URL::fileURL(dir / "link/inner/missing").resolvingSymlinks().path(),
              joinPath(resolvedDir.path(), "real/inner/missing"));
}

TEST(FolderListing, SortedByNameNeverFollowingLinks) {
    TempDir dir;
    dir.write("b.txt", "12345");
    dir.mkdir("a");
    dir.mkdir("Tool.app/Contents");
    ASSERT_EQ(symlink("/", (dir / "c-link").c_str()), 0);
    Listing listing = listFolder(dir.url());
    ASSERT_TRUE(listing.ok());
    std::vector<std::string> names;
    for (const auto& e : listing.entries)
        names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Tool.app", "a", "b.txt", "c-link"}));
    EXPECT_TRUE(listing.entries[0].isPackage);
    EXPECT_EQ(listing.entries[2].logicalSize, 5);
    EXPECT_TRUE(listing.entries[3].isSymlink());

    EXPECT_EQ(listFolder(URL::fileURL(dir / "missing")).error, ListError::notFound);
    EXPECT_EQ(listFolder(URL::fileURL(dir / "c-link")).error, ListError::notAFolder);
}

TEST(FolderListing, PermissionRefusalIsToldApart) {
    TempDir dir;
    std::string locked = dir.mkdir("locked");
    chmod(locked.c_str(), 0);
    // Its names can be read, but nothing about the entries behind them.
    std::string unsearchable = dir.mkdir("unsearchable");
    dir.write("unsearchable/inside", "x");
    chmod(unsearchable.c_str(), 0444);
    std::string empty = dir.mkdir("empty");
    chmod(empty.c_str(), 0444);
    chmod(dir.path().c_str(), 0755);
    pid_t child = fork();
    if (child == 0) {
        // Root reads everything; the refusal needs an ordinary user.
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
        int failed = 0;
        if (listFolder(URL::fileURL(locked)).error != ListError::permissionDenied) failed |= 4;
        if (listFolder(URL::fileURL(unsearchable)).error != ListError::permissionDenied)
            failed |= 8;
        if (!listFolder(URL::fileURL(empty)).ok()) failed |= 16;
        _exit(failed);
    }
    int status = 0;
    waitpid(child, &status, 0);
    chmod(locked.c_str(), 0755);
    chmod(unsearchable.c_str(), 0755);
    chmod(empty.c_str(), 0755);
    if (WEXITSTATUS(status) == 2) GTEST_SKIP() << "cannot drop privileges here";
    EXPECT_EQ(WEXITSTATUS(status) & 4, 0) << "an unreadable folder was not a refusal";
    EXPECT_EQ(WEXITSTATUS(status) & 8, 0) << "a readable but unsearchable folder read as empty";
    EXPECT_EQ(WEXITSTATUS(status) & 16, 0) << "an empty folder read as a refusal";
}

TEST(SafeFileOperations, MoveNeverReplacesAndWritesAreWhole) {
    TempDir dir;
    std::string a = dir.write("a", "first"), b = dir.write("b", "second");
    FileResult refused = moveItem(a, b);
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.reason.find("already there"), std::string::npos);
    EXPECT_EQ(fileText(b), "second");
    EXPECT_TRUE(moveItem(a, dir / "c").ok);
    EXPECT_FALSE(fileExists(a));

    if (fileInfo(std::string("/dev/shm")) &&
        fileInfo(std::string("/dev/shm"))->device != fileInfo(dir.path())->device) {
        FileResult across = moveItem(dir / "c", "/dev/shm/kelvora-move-test");
        EXPECT_FALSE(across.ok);
        EXPECT_NE(across.reason.find("another disk"), std::string::npos);
        EXPECT_TRUE(fileExists(dir / "c"));
    }

    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
    EXPECT_FALSE(fileText(dir / "pipe")) << "a pipe must not block the reader";
    EXPECT_FALSE(fileText("/dev/zero"));
    EXPECT_FALSE(fileText(dir.path()));
    removeItem(dir / "pipe");

    EXPECT_TRUE(writeFileAtomically(b, "replaced").ok);
    EXPECT_EQ(fileText(b), "replaced");
    EXPECT_EQ(listFolder(dir.url()).entries.size(), 2u) << "a temporary file was left behind";

    dir.write("tree/x/y/z", "deep");
    ASSERT_EQ(symlink(dir.path().c_str(), (dir / "tree/x/back").c_str()), 0);
    EXPECT_TRUE(removeItem(dir / "tree").ok);
    EXPECT_FALSE(fileExists(dir / "tree"));
    EXPECT_TRUE(fileExists(b)) << "removal followed a link out of the tree";
}

// A write in place goes ahead only on the file that was read: one written again since (in
// place at the same size, or replaced) is refused, whatever the caller's own check says.
TEST(SafeFileOperations, AWriteInPlaceRefusesAFileChangedSinceItWasRead) {
    const std::function<bool()> noCheck;
    const std::function<bool()> agrees = [] { return true; };
    const std::function<void(const std::string&)> inPlace = [](const std::string& path) {
        FILE* file = fopen(path.c_str(), "r+");
        fputs("later", file);
        fclose(file);
    };
    const std::function<void(const std::string&)> replaced = [](const std::string& path) {
        writeFileAtomically(path, "later");
    };
    for (const auto& write : {inPlace, replaced}) {
        for (const auto& check : {noCheck, agrees}) {
            TempDir dir;
            const std::string path = dir.write("entry", "first");
            // Times far apart, which a write within the same tick would not give.
            setModificationDate(path, Date{});
            const FileStamp read = *stampOf(path);
            write(path);
            const FileResult written = writeFileInPlace(path, "mine!", read, 64, check);
            EXPECT_FALSE(written.ok);
            EXPECT_NE(written.reason.find("changed meanwhile"), std::string::npos);
            EXPECT_EQ(fileText(path), "later");
        }
    }
}

TEST(PropertyLists, ReadXmlAndBinaryAlike) {
    TempDir dir;
    Json value = {{"Label", "com.example.agent"},
                  {"ProgramArguments", {"/usr/bin/true", "--flag"}},
                  {"RunAtLoad", true},
                  {"Count", 3}};
    ASSERT_TRUE(writePlist(value, dir / "a.plist", PlistFormat::xml));
    ASSERT_TRUE(writePlist(value, dir / "b.plist", PlistFormat::binary));
    EXPECT_EQ(readPlist(dir / "a.plist"), value);
    EXPECT_EQ(readPlist(dir / "b.plist"), value);
    EXPECT_EQ(plistString(*readPlist(dir / "b.plist"), "Label"), "com.example.agent");
    EXPECT_EQ(plistBool(value, "RunAtLoad"), true);
    EXPECT_FALSE(readPlist(dir / "missing.plist"));
    dir.write("bad.plist", "garbage");
    EXPECT_FALSE(readPlist(dir / "bad.plist"));

    std::string withDate = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>When</key>"
                           "<date>2024-03-01T12:00:00Z</date></dict></plist>";
    EXPECT_EQ((*parsePlist(withDate))["When"], "2024-03-01T12:00:00Z");
}

namespace {

std::string nestedXml(int depth) {
    std::string text = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
    for (int i = 0; i < depth; ++i)
        text += "<array>";
    for (int i = 0; i < depth; ++i)
        text += "</array>";
    return text + "</plist>";
}

Json nestedArrays(int depth) {
    Json value = Json::array();
    for (int i = 1; i < depth; ++i)
        value = Json::array({std::move(value)});
    return value;
}

void appendBigEndian(std::string& bytes, uint64_t value, int width) {
    for (int shift = 8 * (width - 1); shift >= 0; shift -= 8)
        bytes += static_cast<char>((value >> shift) & 0xFF);
}

// Ends a bplist00 whose objects start at `offsets` (the first the top) with its offset table
// and trailer: offsets of 4 bytes, references of 2.
std::string withTrailer(std::string bytes, const std::vector<uint64_t>& offsets) {
    const uint64_t table = bytes.size();
    for (uint64_t offset : offsets)
        appendBigEndian(bytes, offset, 4);
    bytes += std::string(6, '\0');
    bytes += '\x04'; // offset size
    bytes += '\x02'; // reference size
    appendBigEndian(bytes, offsets.size(), 8);
    appendBigEndian(bytes, 0, 8);
    appendBigEndian(bytes, table, 8);
    return bytes;
}

// bplist00 of arrays each holding the next one `refs` times; with `loop` the last holds the
// first.
std::string binaryChain(uint32_t count, bool loop = false, int refs = 1) {
    std::string bytes = "bplist00";
    std::vector<uint64_t> offsets;
    for (uint32_t i = 0; i < count; ++i) {
        offsets.push_back(bytes.size());
        bool last = i + 1 == count;
        if (last && !loop) {
            bytes += '\xA0';
            continue;
        }
        bytes += static_cast<char>(0xA0 | refs);
        for (int ref = 0; ref < refs; ++ref)
            appendBigEndian(bytes, last ? 0 : i + 1, 2);
    }
    return withTrailer(std::move(bytes), offsets);
}

// bplist00 of one array naming one data value of `size` bytes `refs` times.
std::string sharedBlob(uint32_t refs, uint32_t size) {
    std::string bytes = "bplist00\xAF\x12";
    appendBigEndian(bytes, refs, 4);
    for (uint32_t ref = 0; ref < refs; ++ref)
        appendBigEndian(bytes, 1, 2);
    const uint64_t data = bytes.size();
    bytes += "\x4F\x12";
    appendBigEndian(bytes, size, 4);
    bytes += std::string(size, 'd');
    return withTrailer(std::move(bytes), {8, data});
}

} // namespace

// A property list nested without end is damaged, or made to harm: it reads as unreadable
// instead of overflowing the stack and ending the scan.
TEST(PropertyLists, NestingBeyondAFewHundredLevelsIsUnreadable) {
    EXPECT_EQ(parsePlist(nestedXml(200)), nestedArrays(200));
    EXPECT_EQ(parsePlist(plistText(nestedArrays(200), PlistFormat::binary)), nestedArrays(200));
    EXPECT_EQ(parsePlist(binaryChain(200)), nestedArrays(200));
    EXPECT_FALSE(parsePlist(nestedXml(45'000)));
    EXPECT_FALSE(parsePlist(binaryChain(45'000)));
    EXPECT_FALSE(parsePlist(binaryChain(3, true)));
}

namespace {

Json doubledArrays(int depth) {
    Json value = Json::array();
    for (int i = 1; i < depth; ++i)
        value = Json::array({value, value});
    return value;
}

std::string manyValuesXml(int count) {
    std::string text = "<?xml version=\"1.0\"?><plist version=\"1.0\"><array>";
    for (int i = 0; i < count; ++i)
        text += "<true/>";
    return text + "</array></plist>";
}

} // namespace

// Shared references let a few hundred bytes stand for billions of values once the parser
// copies them out; such a list, and one too large to be real, reads as unreadable. Run in a
// child with little memory, so that a list that does expand ends there and not the machine.
TEST(PropertyLists, AListThatExpandsPastItsBoundOrIsTooLargeIsUnreadable) {
    TempDir dir;
    const std::string large =
        dir.write("large.plist", plistText(Json{{"Padding", std::string(5 * 1024 * 1024, 'p')}}));
    const std::vector<std::function<bool()>> checks = {
        [] { return !parsePlist(binaryChain(41, false, 2)); },
        [] { return !parsePlist(binaryChain(18, false, 2)); }, // 262,143 values
        // A thousand values, but a thousand copies of one megabyte.
        [] { return !parsePlist(sharedBlob(1000, 1 << 20)); },
        [] { return !parsePlist(manyValuesXml(150'000)); },
        [&] { return !readPlist(large) && !parsePlist(*fileText(large)); },
        // Sharing within the bound still reads.
        [] { return parsePlist(binaryChain(12, false, 2)) == doubledArrays(12); },
        [] {
            auto twice = parsePlist(sharedBlob(2, 1 << 20));
            return twice && twice->size() == 2 && (*twice)[1] == (*twice)[0];
        },
        [] { return parsePlist(manyValuesXml(20'000)).has_value(); }};
    for (size_t i = 0; i < checks.size(); ++i) {
        const pid_t child = fork();
        if (child == 0) {
#if !defined(__SANITIZE_ADDRESS__)
            const rlimit memory{size_t{1} << 30, size_t{1} << 30};
            setrlimit(RLIMIT_AS, &memory);
#endif
            _exit(checks[i]() ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "case " << i;
    }
}

// Dates come from files anyone can write. The values are read from a file, since the
// compiler would work a literal out before the code under test ever ran.
TEST(Dates, DatesReadFromFilesSaturateAtBothEnds) {
    TempDir dir;
    const std::string values = dir.write("values", "1e300 -1e300 9300000000 -9300000000\n"
                                                   "9999-12-31T23:59:59Z 0001-01-01T00:00:00Z\n");
    std::istringstream in(*fileText(values));
    double huge = 0, tiny = 0;
    int64_t late = 0, early = 0;
    std::string latest, earliest;
    in >> huge >> tiny >> late >> early >> latest >> earliest;
    const Date last = dateFromEpochSeconds(huge), first = dateFromEpochSeconds(tiny);
    EXPECT_GT(last, distantFuture());
    EXPECT_LT(first, distantPast());
    const Date now = currentDate();
    EXPECT_EQ(addSeconds(now, huge), last);
    EXPECT_EQ(addSeconds(now, tiny), first);
    EXPECT_EQ(addSeconds(last, huge), last);
    EXPECT_EQ(addSeconds(first, tiny), first);
    EXPECT_EQ(dateFromEpochSeconds(static_cast<double>(late)), last);
    EXPECT_EQ(dateFromTimestamp(late, 999'999'999), last);
    EXPECT_EQ(dateFromTimestamp(early, 0), first);
    EXPECT_EQ(parseIso8601(latest), last);
    EXPECT_EQ(parseIso8601(earliest), first);
    EXPECT_GT(secondsBetween(first, last), 0);

    // A file dated later than a Date reaches (this file system keeps dates up to 2446) reads
    // as late, not as long ago.
    const std::string file = dir.write("from-the-future");
    const timespec times[2] = {{late, 0}, {late, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
    struct stat status {};
    ASSERT_EQ(stat(file.c_str(), &status), 0);
    if (status.st_mtim.tv_sec < 9'300'000'000) GTEST_SKIP() << "no such dates here";
    EXPECT_EQ(fileInfo(file)->modified, last);
}

TEST(Dates, IsoTextAndClampingMonthArithmetic) {
    EXPECT_LT(distantPast(), currentDate());
    EXPECT_GT(distantFuture(), addSeconds(currentDate(), 100.0 * 365 * 86400));
    EXPECT_EQ(formatIso8601(distantFuture()), "2250-01-01T00:00:00Z");

    auto date = parseIso8601("2026-12-06T10:15:13Z");
    ASSERT_TRUE(date);
    EXPECT_EQ(formatIso8601(*date), "2026-12-06T10:15:13Z");
    EXPECT_EQ(parseIso8601("2026-12-06T11:15:13+01:00"), date);
    EXPECT_FALSE(parseIso8601("2026-12-06 10:15:13"));
    EXPECT_FALSE(parseIso8601("yesterday"));

    // Fractional seconds read the same under a locale whose decimal separator is a comma.
    std::string previous = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    auto fractional = parseIso8601("2026-12-06T10:15:13.25Z");
    std::setlocale(LC_ALL, previous.c_str());
    ASSERT_TRUE(fractional);
    EXPECT_NEAR(secondsBetween(*date, *fractional), 0.25, 1e-6);

    setenv("TZ", "UTC", 1);
    tzset();
    Date march31 = Calendar::fromLocal({2024, 3, 31, 12, 0, 0});
    EXPECT_EQ(Calendar::local(Calendar::addingMonths(march31, -1)).day, 29);
    Date march31b = Calendar::fromLocal({2023, 3, 31, 12, 0, 0});
    EXPECT_EQ(Calendar::local(Calendar::addingMonths(march31b, -1)).day, 28);
    EXPECT_EQ(Calendar::local(Calendar::addingMonths(march31b, -3)).month, 12);
    EXPECT_EQ(Calendar::formatLocal(march31, "%Y-%m-%dT%H-%M-%S"), "2024-03-31T12-00-00");
}
