#include "platform/Calendar.h"
#include "support/FixtureScanner.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace kelvora;
using namespace kelvora::testing;
using Copy = ScanItem::MailInfo::Copy;

namespace {

const std::string kAccount = "11111111-2222-3333-4444-555555555555";
const std::string kStranger = "99999999-2222-3333-4444-555555555555";

DiskScanner mailScanner(const TempDir& home, std::vector<RunningApp> apps = {}) {
    DiskScanner scanner = fixtureScanner(home, std::move(apps));
    scanner.mailAccounts = [] {
        return MailAccounts{{kAccount, {"work@example.org", Copy::onServer}}};
    };
    scanner.messagesMinSize = 1000;
    return scanner;
}

ItemsAndAccess scanMail(const DiskScanner& scanner, std::vector<RunningApp> apps = {}) {
    FileCounter counter;
    return scanner.scanMail(apps, counter);
}

} // namespace

TEST(MailScanner, StoreIsTheHighestNumberedVersionFolder) {
    TempDir home;
    for (const char* name : {"V2", "V10", "V9", "Vx", "V"})
        home.mkdir("Library/Mail/" + std::string(name));
    EXPECT_EQ(mailScanner(home).mailStore()->lastPathComponent(), "V10");
    TempDir empty;
    EXPECT_FALSE(mailScanner(empty).mailStore());
}

TEST(MailScanner, OneItemPerAccountWithItsAttachmentFolders) {
    TempDir home;
    const std::string store = "Library/Mail/V10/";
    home.write(store + kAccount + "/INBOX.mbox/1/Attachments/a.pdf", std::string(6000, 'a'));
    home.write(store + kAccount + "/INBOX.mbox/1/Attachments/Attachments/b.pdf",
               std::string(6000, 'b'));
    home.write(store + kAccount + "/Sent.mbox/2/Attachments/c.pdf", std::string(6000, 'c'));
    home.write(store + kStranger + "/INBOX.mbox/3/Attachments/d.pdf", std::string(6000, 'd'));
    home.write(store + "Mailboxes/Local.mbox/4/Attachments/e.pdf", std::string(6000, 'e'));
    home.write(store + "MailData/Attachments/ignored.pdf", std::string(6000, 'i'));
    home.mkdir(store + "Mailboxes/Empty.mbox/5/Attachments");
    sync();
    auto [items, access] = scanMail(mailScanner(home), {{"Mail", "com.apple.mail"}});
    EXPECT_EQ(access, FolderAccess::ok);
    ASSERT_EQ(items.size(), 3u);

    const ScanItem& work = items[0];
    EXPECT_EQ(work.location.lastPathComponent(), kAccount);
    EXPECT_EQ(work.targets.size(), 2u);
    EXPECT_EQ(work.mail()->name, "work@example.org");
    EXPECT_EQ(work.mail()->copy, Copy::onServer);
    EXPECT_EQ(work.mail()->count, 2 + 1);
    EXPECT_EQ(work.baseVerdict, Verdict::rebuilds);
    EXPECT_EQ(work.inUseBy, "Mail");

    EXPECT_EQ(items[1].mail()->name, "A Mail account");
    EXPECT_EQ(items[1].mail()->copy, Copy::unknown);
    EXPECT_EQ(items[1].baseVerdict, Verdict::youDecide);

    EXPECT_EQ(items[2].location.lastPathComponent(), "Mailboxes");
    EXPECT_EQ(items[2].mail()->name, "On My Mac");
    EXPECT_EQ(items[2].mail()->copy, Copy::onlyHere);
}

TEST(MailScanner, LinkedAccountOrDownloadsFolderYieldsNoItem) {
    TempDir home;
    TempDir elsewhere;
    elsewhere.write("account/INBOX.mbox/1/Attachments/a.pdf", std::string(6000, 'a'));
    elsewhere.write("downloads/opened.pdf", std::string(6000, 'o'));
    home.mkdir("Library/Mail/V10");
    home.mkdir("Library/Containers/com.apple.mail/Data/Library");
    ASSERT_EQ(
        symlink((elsewhere / "account").c_str(), (home / ("Library/Mail/V10/" + kAccount)).c_str()),
        0);
    ASSERT_EQ(
        symlink((elsewhere / "downloads").c_str(),
                (home / "Library/Containers/com.apple.mail/Data/Library/Mail Downloads").c_str()),
        0);
    EXPECT_TRUE(scanMail(mailScanner(home)).first.empty());
}

TEST(MailScanner, OpenedAttachmentsAndMessagesByYear) {
    TempDir home;
    home.write("Library/Containers/com.apple.mail/Data/Library/Mail Downloads/x/report.pdf",
               std::string(5000, 'r'));
    home.write("Library/Containers/com.apple.mail/Data/Library/Mail Downloads/y.pdf", "y");
    const std::string attachments = "Library/Messages/Attachments/";
    const Date recent = Calendar::fromLocal({2026, 6, 1, 12});
    const Date older = Calendar::fromLocal({2024, 3, 1, 12});
    writeAged(home, attachments + "aa/clip.MOV", 1000, recent);
    writeAged(home, attachments + "ab/photo.heic", 2000, recent);
    writeAged(home, attachments + "ac/tiny.jpg", 999, recent);
    writeAged(home, attachments + "ad/old.pdf", 3000, older);
    sync();
    auto [items, access] = scanMail(mailScanner(home), {{"Messages", "com.apple.MobileSMS"}});
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].mail()->kind, ScanItem::MailInfo::Kind::mailDownloads);
    EXPECT_EQ(items[0].mail()->count, 2);
    EXPECT_EQ(items[0].baseVerdict, Verdict::safe);
    EXPECT_FALSE(items[0].inUseBy);

    EXPECT_EQ(items[1].location.path(), home / (attachments + "2026"));
    EXPECT_EQ(items[1].mail()->name, "2026");
    EXPECT_EQ(items[1].mail()->count, 2);
    EXPECT_EQ(items[1].mail()->videos, 1);
    EXPECT_EQ(items[1].mail()->photos, 1);
    EXPECT_EQ(items[1].inUseBy, "Messages");
    EXPECT_EQ(items[2].mail()->name, "2024");
    EXPECT_EQ(items[2].mail()->count, 1);
}

// Found on several workers at once, attachment folders and Messages files still
// come in the order a walk over name-sorted folders meets them.
TEST(MailScanner, FoldersReadInParallelComeInWalkOrder) {
    const std::vector<std::string> inWalkOrder = {"0",   "B", "a",   "a b", "a-b",
                                                  "a.b", "b", "c/d", "c d", "\u00e9"};
    TempDir home;
    const std::string account = "Library/Mail/V10/" + kAccount + "/";
    const std::string messages = "Library/Messages/Attachments/";
    const Date day = Calendar::fromLocal({2025, 5, 1, 12});
    for (auto name = inWalkOrder.rbegin(); name != inWalkOrder.rend(); ++name) {
        home.write(account + *name + "/Attachments/a.pdf", std::string(3000, 'a'));
        writeAged(home, messages + *name + "/f.jpg", 2000, day);
    }
    sync();
    auto [items, access] = scanMail(mailScanner(home));
    ASSERT_EQ(items.size(), 2u);
    std::vector<std::string> attachmentFolders, messageFiles;
    for (const auto& name : inWalkOrder) {
        attachmentFolders.push_back(home / (account + name + "/Attachments"));
        messageFiles.push_back(home / (messages + name + "/f.jpg"));
    }
    const auto paths = [](const std::vector<URL>& urls) {
        std::vector<std::string> result;
        for (const auto& url : urls)
            result.push_back(url.path());
        return result;
    };
    EXPECT_EQ(paths(items[0].targets), attachmentFolders);
    EXPECT_EQ(items[0].mail()->count, 10);
    EXPECT_EQ(paths(items[1].targets), messageFiles);
    EXPECT_EQ(items[1].mail()->count, 10);
}

TEST(MailScanner, UnreadableMessagesFolderBlocksTheWholeCategory) {
    TempDir home;
    chmod(home.path().c_str(), 0755);
    home.write("Library/Mail/V10/" + kAccount + "/INBOX.mbox/Attachments/a.pdf",
               std::string(6000, 'a'));
    home.write("Library/Messages/chat.db", "c");
    chmod((home / "Library/Messages").c_str(), 0700);
    const DiskScanner scanner = mailScanner(home);
    EXPECT_TRUE(asNobody([&] {
        auto [items, access] = scanMail(scanner);
        return items.empty() && access == FolderAccess::blocked;
    }));
}

TEST(MailAccounts, ParsesMailTypesAndSkipsTheRest) {
    const auto accounts =
        DiskScanner::parseMailAccounts("A\talice@example.org\tcom.apple.account.POP\n"
                                       "B\t\tcom.apple.account.IMAP\n"
                                       "C\tcal\tcom.apple.account.CalDAV\n"
                                       "D\ttwo fields\n"
                                       "E\tx\ty\tz\n"
                                       "F\tpop-imap\tIMAPPOP\n"
                                       "\n"
                                       "B\tbob@example.org\tcom.apple.account.Google\n");
    ASSERT_EQ(accounts.size(), 3u);
    EXPECT_EQ(accounts.at("A"), (MailAccount{"alice@example.org", Copy::onlyHere}));
    EXPECT_EQ(accounts.at("B"), (MailAccount{"bob@example.org", Copy::onServer}));
    EXPECT_EQ(accounts.at("F").copy, Copy::onlyHere);
    EXPECT_EQ(DiskScanner::parseMailAccounts("X\t\tyahoo").at("X").name, "Mail account");
}

TEST(MailAccounts, LiveAccountsComeFromTheAccountDatabaseThroughSqlite) {
    if (access("/usr/bin/sqlite3", X_OK) != 0) GTEST_SKIP() << "sqlite3 is not installed";
    TempDir home;
    home.mkdir("Library/Accounts");
    const std::string database = home / "Library/Accounts/Accounts4.sqlite";
    const std::string schema =
        "CREATE TABLE ZACCOUNTTYPE (Z_PK INTEGER PRIMARY KEY, ZIDENTIFIER TEXT);"
        "CREATE TABLE ZACCOUNT (Z_PK INTEGER PRIMARY KEY, ZIDENTIFIER TEXT, ZUSERNAME TEXT,"
        " ZACCOUNTDESCRIPTION TEXT, ZACCOUNTTYPE INTEGER);"
        "INSERT INTO ZACCOUNTTYPE VALUES (1, 'com.apple.account.IMAP'), (2, "
        "'com.apple.account.CardDAV');"
        "INSERT INTO ZACCOUNT VALUES (1, 'ID-1', NULL, 'Work', 1), (2, 'ID-2', 'me', NULL, 2);";
    ASSERT_TRUE(DiskScanner::runTool("/usr/bin/sqlite3", {database, schema}, 10));
    const char* saved = std::getenv("HOME");
    const std::string previous = saved ? saved : "";
    setenv("HOME", home.path().c_str(), 1);
    const auto accounts = DiskScanner::liveMailAccounts();
    setenv("HOME", previous.c_str(), 1);
    ASSERT_EQ(accounts.size(), 1u);
    EXPECT_EQ(accounts.at("ID-1"), (MailAccount{"Work", Copy::onServer}));
}
