#include "app/controller/ControllerFixture.h"
#include "app/design/Pictures.h"
#include "app/support/VirtualDisplay.h"

#include "design/Buttons.h"
#include "design/Fonts.h"
#include "design/Snapshot.h"
#include "design/Theme.h"
#include "panes/DaysLeft.h"
#include "panes/ShelfPage.h"
#include "panes/ShelfText.h"
#include "panes/ShelfView.h"
#include "platform/FileSystem.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QTest>

#include <gtest/gtest.h>

namespace kelvora::testing {
namespace {

constexpr double kHour = 3600;
constexpr double kDay = 86400;

UndoShelf::Sweep heldSweep(int holdDays, double secondsLeft, Date now) {
    UndoShelf::Sweep sweep;
    sweep.expires = addSeconds(now, secondsLeft);
    sweep.date = addSeconds(sweep.expires, -holdDays * kDay);
    return sweep;
}

TEST(ShelfTextTest, DaysLeftCountTheCleanUpsOwnHoldAndEndOnTheLastDay) {
    const Date now = currentDate();
    struct Case {
        int hold;
        double secondsLeft;
        int days;
        std::string text;
        std::string label;
    } cases[] = {
        {7, 30 * kHour, 2, "2 days left", "2 of 7 days left"},
        {7, 3 * kHour, 1, "Last day", "1 of 7 days left"},
        {7, -1 * kHour, 1, "Last day", "1 of 7 days left"},
        {7, 7 * kDay, 7, "7 days left", "7 of 7 days left"},
        // A clean-up made under a longer hold counts its own days, not the default seven.
        {14, 14 * kDay, 14, "14 days left", "14 of 14 days left"},
        {30, 10 * kDay, 10, "10 days left", "10 of 30 days left"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        auto count = ShelfText::daysLeft(heldSweep(c.hold, c.secondsLeft, now), now);
        EXPECT_EQ(count, (ShelfText::DaysLeftCount{c.days, c.hold}));
        EXPECT_EQ(ShelfText::daysLeftText(count.days), c.text);
        EXPECT_EQ(ShelfText::daysLeftLabel(count), c.label);
    }
    // Only a hand-edited hold is too long to draw a square a day for; it is drawn to scale.
    EXPECT_EQ(ShelfText::squares({45, 90}), (ShelfText::DaysLeftCount{15, 30}));
    // A count that does not divide evenly rounds up, so a day left is never drawn as none.
    EXPECT_EQ(ShelfText::squares({44, 90}), (ShelfText::DaysLeftCount{15, 30}));
    EXPECT_EQ(ShelfText::squares({1, 90}), (ShelfText::DaysLeftCount{1, 30}));
    EXPECT_EQ(ShelfText::daysLeftLabel({44, 90}), "44 of 90 days left");
}

TEST(ShelfTextTest, EntriesShowLargestFirstWithTheirSymbolsAndPlaces) {
    UndoShelf::Sweep sweep;
    auto entry = [](std::string id, std::string kind, std::string location, int64_t bytes) {
        return UndoShelf::Entry{id, id, kind, location, bytes, {}};
    };
    sweep.entries = {entry("a", "downloads", "/home/al/Downloads/Notes.zip", 5'000'000),
                     entry("b", "largeFiles", "/home/al/Movies/Film.mov", 120'000'000),
                     entry("c", "duplicates", "/home/al/Copy.pdf", 5'000'000)};
    std::vector<std::string> order;
    for (const auto& entry : ShelfText::sortedEntries(sweep))
        order.push_back(entry.id);
    EXPECT_EQ(order, (std::vector<std::string>{"b", "a", "c"}));

    EXPECT_EQ(ShelfText::entrySymbol("downloads"), Catalog::symbol(JunkKind::downloads));
    EXPECT_EQ(ShelfText::entrySymbol("somethingElse"), "doc");

    struct Place {
        std::string location, shown;
    } places[] = {
        {"/private/var/folders/x/y", "/var/folders/x/y"},
        {"/home/al/Downloads/Notes.zip", "~/Downloads/Notes.zip"},
        {"/home/alice/Notes.zip", "/home/alice/Notes.zip"},
    };
    for (const auto& place : places)
        EXPECT_EQ(ShelfText::entryPlace(place.location, "/home/al"), place.shown);

    // An entry that cannot go back now says why where its place would be.
    UndoShelf::Entry stays = sweep.entries[0];
    stays.files = {{"/mnt/old/Downloads/Notes.zip", "0-0-Notes.zip", std::nullopt}};
    stays.whyItStays = "the folder it was taken from, “/mnt/old/Downloads”, is gone";
    stays.anyGoesBack = false;
    EXPECT_EQ(ShelfText::entryDetail(stays, "/home/al"),
              "Can’t be put back: the folder it was taken from, “/mnt/old/Downloads”, is gone");
    EXPECT_EQ(ShelfText::entryAction(stays), "Show in Folder");
    EXPECT_EQ(ShelfText::entryDetail(sweep.entries[0], "/home/al"), "~/Downloads/Notes.zip");
}

// A shelf of three clean-ups, made as the cleaner makes them: one just now, one with 30
// hours left and one on its last day.
class ShelfViewTest : public ControllerTest {
protected:
    ShelfViewTest() { Fonts::registerFonts(KELVORA_FONTS_DIR); }

    UndoShelf shelf(int holdDays = 7) const {
        return UndoShelf(URL::fileURL(shelfRoot(), true), holdDays);
    }

    ScanItem fileItem(const std::string& relative, JunkKind kind, const std::string& contents) {
        ScanItem item;
        item.kind = kind;
        item.location = URL::fileURL(write(relative, contents));
        item.targets = {item.location};
        item.bytes = static_cast<int64_t>(contents.size());
        return item;
    }

    void shelve(std::vector<ScanItem> items, Date made, int holdDays = 7) {
        std::vector<UndoShelf::LabelledItem> labelled;
        for (auto& item : items)
            labelled.push_back({item, item.location.lastPathComponent()});
        auto result = shelf(holdDays).shelve(labelled, made);
        ASSERT_TRUE(result.sweep && result.failures.empty());
    }

    void makeDemoShelf() {
        const Date now = currentDate();
        shelve({fileItem("Downloads/Notes.zip", JunkKind::downloads, std::string(5000, 'n')),
                fileItem("Movies/Film.mov", JunkKind::largeFiles, std::string(120'000, 'f')),
                fileItem("Documents/Copy.pdf", JunkKind::duplicates, std::string(5000, 'c'))},
               addSeconds(now, -60));
        shelve({fileItem("Downloads/Setup.dmg", JunkKind::downloads, std::string(80'000, 's'))},
               addSeconds(now, 30 * kHour - 7 * kDay));
        shelve({fileItem(".local/share/Trash/files/old.txt", JunkKind::trash, "old")},
               addSeconds(now, 3 * kHour - 7 * kDay));
    }

    std::unique_ptr<AppModel> snapshotModel() {
        return std::make_unique<AppModel>(ScanResult{}, AppModel::ViewMode::detailed, shelf(),
                                          std::nullopt);
    }
};

TEST_F(ShelfViewTest, DemoShelfDrawsItsCardsSquaresAndButtonsInBothAppearances) {
    KELVORA_REQUIRE_GUI();
    makeDemoShelf();
    auto model = snapshotModel();
    for (Appearance appearance : {Appearance::light, Appearance::dark}) {
        Theme::Scope scope(appearance);
        SCOPED_TRACE(appearance == Appearance::light ? "light" : "dark");
        ShelfView view(*model);
        Snapshot::setSnapshot(&view, true);
        QImage image = Render::widget(view, QSize(1000, 900));
        keepPicture(image, appearance == Appearance::light ? "shelf-light" : "shelf-dark");

        const ShelfLayout& layout = view.page()->layout();
        ASSERT_EQ(layout.sections.size(), 3u);
        EXPECT_EQ(layout.summary.freeTitle, "Free 210 KB now");
        auto* free = view.findChild<SignalButton*>("freeShelf");
        ASSERT_TRUE(free && free->isVisible());
        QRectF freeRect(free->mapTo(&view, QPoint(0, 0)), free->size());
        EXPECT_TRUE(near(at(image, freeRect.left() + 4, freeRect.center().y()), Theme::signal()));
        EXPECT_TRUE(
            near(at(image, layout.summary.card.left() + 6, layout.summary.card.center().y()),
                 Theme::sidebar()));

        const auto& fresh = layout.sections[0];
        EXPECT_EQ(fresh.daysTextText, "7 days left");
        EXPECT_EQ(fresh.entries.front().label, "Film.mov");
        const auto& soon = layout.sections[1];
        EXPECT_EQ(soon.daysTextText, "2 days left");
        const auto& last = layout.sections[2];
        EXPECT_EQ(last.daysTextText, "Last day");
        auto bars = view.findChildren<DaysLeft*>();
        ASSERT_EQ(bars.size(), 3);
        EXPECT_EQ(bars[2]->accessibleName(), "1 of 7 days left");

        auto square = [&](const ShelfLayout::Section& section, int i) {
            return at(image, section.bar.left() + i * 13 + 5, section.bar.center().y());
        };
        EXPECT_TRUE(near(square(last, 0), Theme::signal())) << "the last day's square is orange";
        EXPECT_FALSE(near(square(last, 1), Theme::signal()));
        EXPECT_TRUE(near(square(soon, 1), Theme::ink()));
        EXPECT_FALSE(near(square(soon, 2), Theme::ink()));
        EXPECT_TRUE(near(square(fresh, 6), Theme::ink()));
        EXPECT_GT(countNear(image, last.daysText, Theme::signalText(), 40), 15);
        EXPECT_EQ(countNear(image, soon.daysText, Theme::signalText(), 20), 0);
        EXPECT_GT(countNear(image, fresh.row(0).button, Theme::ink(), 40), 20) << "Put back";
    }
}

// While a put back runs, the summary's button turns its spinner and every Put back and Put
// all back is drawn at half strength.
// The spinner turns on the button of the work under way, and a "Free … now" confirmed during
// a put back says why nothing was freed.
TEST_F(ShelfViewTest, WhileTheShelfWorksItsButtonsSayTheyAreBusy) {
    KELVORA_REQUIRE_GUI();
    makeDemoShelf();
    auto model = snapshotModel();
    Theme::Scope scope(Appearance::light);
    ShelfView view(*model);
    Snapshot::setSnapshot(&view, true);
    const QSize size(1000, 900);
    QImage idle = Render::widget(view, size);
    const ShelfLayout::Section fresh = view.page()->layout().sections.at(0);
    auto* free = view.findChild<SignalButton*>("freeShelf");
    auto* putAllBack = view.findChild<TextLinkButton*>("putAllBack");
    QRectF link(putAllBack->mapTo(&view, QPoint(0, 0)), putAllBack->size());
    const int64_t held = model->shelfBytes();

    std::optional<HeldShelf> hold(shelfRoot());
    // Summary, the fresh clean-up's header, then its entries: the second entry's row.
    view.page()->actOnRow(3, QString::fromStdString(ShelfText::entryAction(fresh.entries[1])));
    ASSERT_EQ(model->shelfWork(), AppModel::ShelfWork::puttingBack);
    QImage busy = Render::widget(view, size);
    keepPicture(busy, "shelf-busy");
    EXPECT_FALSE(free->busy()) << "a put back, not freeing, is under way";
    EXPECT_EQ(view.page()->layout().summary.freeTitle, "Free 210 KB now");
    for (const QRectF& button : {fresh.row(0).button, link}) {
        EXPECT_GT(countNear(idle, button, Theme::ink(), 40), 20);
        EXPECT_EQ(countNear(busy, button, Theme::ink(), 40), 0) << "half strength";
    }
    const QColor halfInk = blend(Theme::ink(), Theme::panel(), TextLinkButton::kBusyOpacity);
    EXPECT_GT(countNear(busy, fresh.row(0).button, halfInk, 40), 20);
    EXPECT_GT(countNear(busy, fresh.row(1).button, Theme::ink(), 40), 10)
        << "the pressed entry's button turns its spinner";

    model->emptyShelf();
    EXPECT_EQ(model->shelfError(), "Nothing was freed: the Undo Shelf is still putting things "
                                   "back. Try again when it’s done.");
    hold.reset();
    ASSERT_TRUE(waitUntil([&] { return !model->shelfBusy(); }));
    EXPECT_FALSE(putAllBack->busy());
    EXPECT_EQ(model->shelfBytes(), held - fresh.entries[1].bytes) << "only the put back ran";

    hold.emplace(shelfRoot());
    model->emptyShelf();
    EXPECT_TRUE(free->busy()) << "freeing turns the spinner of its own button";
    EXPECT_TRUE(putAllBack->busy());
    hold.reset();
    ASSERT_TRUE(waitUntil([&] { return !model->shelfBusy(); }));
    EXPECT_TRUE(free->isHidden()) << "nothing is left to free";
}

// A shelf of a hundred thousand entries takes longer to copy than a frame: every row the
// pane lays out is the controller's own entry, largest first, before and after the shelf
// changes.
TEST_F(ShelfViewTest, RowsShowTheControllersEntriesInPlaceLargestFirst) {
    KELVORA_REQUIRE_GUI();
    makeDemoShelf();
    auto model = makeModel();
    ShelfView view(*model);
    auto rowsAreTheListed = [&](const char* when) {
        SCOPED_TRACE(when);
        const auto& sections = view.page()->layout().sections;
        ASSERT_EQ(sections.size(), model->sweeps().size());
        for (size_t s = 0; s < sections.size(); ++s) {
            const auto& listed = model->sweeps()[s].entries;
            ASSERT_EQ(sections[s].entries.size(), listed.size());
            for (size_t row = 0; row < listed.size(); ++row) {
                const UndoShelf::Entry* shown = &sections[s].entries[row];
                std::less<const UndoShelf::Entry*> before;
                EXPECT_TRUE(!before(shown, listed.data()) &&
                            before(shown, listed.data() + listed.size()))
                    << "section " << s << " row " << row << " is a copy";
                if (row > 0) EXPECT_GE(sections[s].entries[row - 1].bytes, shown->bytes);
            }
        }
    };
    rowsAreTheListed("as first shown");
    const auto& fresh = view.page()->layout().sections.at(0);
    model->putBack(fresh.entries[1], model->sweeps()[0]);
    ASSERT_TRUE(waitUntil([&] { return !model->shelfBusy(); }));
    ASSERT_EQ(model->sweeps()[0].entries.size(), 2u);
    rowsAreTheListed("after a put back");
}

TEST_F(ShelfViewTest, AnEmptyShelfOffersNothingToFree) {
    KELVORA_REQUIRE_GUI();
    auto model = snapshotModel();
    Theme::Scope scope(Appearance::light);
    ShelfView view(*model);
    Snapshot::setSnapshot(&view, true);
    QImage image = Render::widget(view, QSize(1000, 500));
    keepPicture(image, "shelf-empty");
    const ShelfLayout& layout = view.page()->layout();
    EXPECT_EQ(layout.summary.numberText + " " + layout.summary.unitText, "0 KB");
    EXPECT_FALSE(view.findChild<SignalButton*>("freeShelf")->isVisible());
    ASSERT_TRUE(layout.empty);
    EXPECT_EQ(layout.empty->titleText, "The shelf is empty.");
    EXPECT_GT(countNear(image, layout.empty->symbol, Theme::muted(), 30), 20);
    EXPECT_GT(countNear(image, layout.empty->title, Theme::ink(), 40), 30);
}

// Bytes of every value, so a copy that dropped or changed any would show.
std::string binaryContents(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7919) % 256);
    return bytes;
}

TEST_F(ShelfViewTest, PutBackThroughTheViewRestoresTheFilesByteForByte) {
    KELVORA_ON_VIRTUAL_DISPLAY();
    const std::string film = binaryContents(300'000);
    const std::string notes = binaryContents(4'000);
    ScanItem filmItem = fileItem("Movies/Film.mov", JunkKind::largeFiles, film);
    ScanItem notesItem = fileItem("Downloads/Notes.zip", JunkKind::downloads, notes);
    shelve({notesItem, filmItem}, addSeconds(currentDate(), -60));
    ASSERT_FALSE(fileExists(filmItem.location.path()));

    auto model = makeModel();
    ShelfView view(*model);
    view.resize(1000, 700);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const auto& section = view.page()->layout().sections.at(0);
    ASSERT_EQ(section.entries.front().label, "Film.mov");
    QTest::mouseClick(view.page(), Qt::LeftButton, {}, section.row(0).button.center().toPoint());

    ASSERT_TRUE(waitUntil([&] { return !model->shelfBusy(); }));
    EXPECT_EQ(fileText(filmItem.location.path()), film);
    EXPECT_FALSE(fileExists(notesItem.location.path()));
    ASSERT_EQ(view.page()->layout().sections.size(), 1u);
    EXPECT_EQ(view.page()->layout().sections[0].entries.size(), 1u);

    QTest::mouseClick(view.findChild<TextLinkButton*>("putAllBack"), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return !model->shelfBusy(); }));
    EXPECT_EQ(fileText(notesItem.location.path()), notes);
    EXPECT_TRUE(model->sweeps().empty());
    EXPECT_TRUE(view.page()->layout().empty) << "the empty state follows";
    EXPECT_FALSE(view.findChild<SignalButton*>("freeShelf")->isVisible());
}

// A clean-up cut short before its plan was written has no place to put its files back to:
// each row offers to show its file where the shelf keeps it, and nothing offers to put all
// of it back.
TEST_F(ShelfViewTest, RecoveredEntriesOfferToShowTheirFileInsteadOfPuttingItBack) {
    KELVORA_ON_VIRTUAL_DISPLAY();
    const std::string id = UndoShelf::sweepID(addSeconds(currentDate(), -3600));
    const std::string stored = shelfRoot() + "/" + id + "/items/0-0-Notes.zip";
    ASSERT_TRUE(createDirectories(parentPath(stored)));
    ASSERT_TRUE(writeFileAtomically(stored, std::string(5000, 'n')));
    std::vector<URL> shown;
    AppModel::Tools tools = this->tools();
    tools.revealSeveral = [&](const std::vector<URL>& urls) { shown = urls; };
    auto model = makeModel(tools);
    ShelfView view(*model);
    view.resize(1000, 500);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    const auto& section = view.page()->layout().sections.at(0);
    ASSERT_EQ(section.entries.size(), 1u);
    EXPECT_EQ(section.entries[0].label, "0-0-Notes.zip");
    EXPECT_EQ(section.row(0).action, "Show in Folder");
    EXPECT_FALSE(section.anyGoesBack);
    EXPECT_FALSE(view.findChild<TextLinkButton*>("putAllBack")->isVisible());
    for (Appearance appearance : {Appearance::light, Appearance::dark}) {
        Theme::Scope scope(appearance);
        QImage image = Render::widget(view, QSize(1000, 500));
        keepPicture(image, appearance == Appearance::light ? "shelf-recovered-light"
                                                           : "shelf-recovered-dark");
        EXPECT_GT(countNear(image, section.row(0).button, Theme::ink(), 40), 30)
            << "the row's button title";
        EXPECT_EQ(countNear(image, section.putAllBack, Theme::ink(), 40), 0) << "no Put all back";
    }

    QTest::mouseClick(view.page(), Qt::LeftButton, {}, section.row(0).button.center().toPoint());
    EXPECT_EQ(shown, std::vector<URL>{URL::fileURL(stored)});
    EXPECT_EQ(fileText(stored), std::string(5000, 'n'));
    EXPECT_EQ(model->sweeps().size(), 1u);

    // The keyboard and assistive technology are offered what the button says, and do it.
    shown.clear();
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(view.page());
    QAccessibleInterface* row = list ? list->child(2) : nullptr;
    ASSERT_TRUE(row && row->actionInterface());
    EXPECT_EQ(row->text(QAccessible::Name).toStdString(), "0-0-Notes.zip");
    EXPECT_EQ(row->text(QAccessible::Description)
                  .toStdString()
                  .rfind("Can’t be put back: where it came from is not known", 0),
              0u);
    EXPECT_EQ(row->actionInterface()->actionNames(), QStringList{"Show in Folder"});
    view.page()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(view.page(), Qt::Key_Return);
    EXPECT_EQ(shown, std::vector<URL>{URL::fileURL(stored)});
    EXPECT_EQ(model->sweeps().size(), 1u);
}

TEST_F(ShelfViewTest, FreeingAsksFirstAndEmptiesNothingItself) {
    KELVORA_REQUIRE_GUI();
    ScanItem item = fileItem("Downloads/Setup.dmg", JunkKind::downloads, "installer");
    shelve({item}, currentDate());
    auto model = makeModel();
    ShelfView view(*model);
    view.findChild<SignalButton*>("freeShelf")->click();
    EXPECT_TRUE(model->confirmingEmptyShelf());
    EXPECT_EQ(model->sweeps().size(), 1u);
}

} // namespace
} // namespace kelvora::testing
