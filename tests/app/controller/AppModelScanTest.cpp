#include "app/controller/ControllerFixture.h"

#include "engine/DiskHistory.h"

#include <set>
#include <thread>

namespace kelvora::testing {
namespace {

class ScanFlowTest : public ControllerTest {
protected:
    // A home whose scan finds one app cache, which is picked by default.
    void writeCache() {
        write("Library/Caches/com.example.tool/blob.bin", std::string(200'000, 'c'));
        sync();
    }

    std::unique_ptr<AppModel> readyModel() {
        auto model = makeModel();
        model->scan();
        EXPECT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::ready); }));
        return model;
    }

    void shelveExpired(int64_t bytes) {
        std::string file = write("Downloads/expired.zip", std::string(bytes, 'z'));
        ScanItem item;
        item.kind = JunkKind::downloads;
        item.location = URL::fileURL(file);
        item.targets = {item.location};
        item.bytes = bytes;
        UndoShelf expiring(URL::fileURL(shelfRoot(), true), 0);
        ASSERT_TRUE(expiring.shelve({{item, "expired.zip"}}, addSeconds(currentDate(), -60)).sweep);
    }

    // Waits for a shelf operation's outcome to reach the controller.
    static void landed(AppModel& model) {
        ASSERT_TRUE(waitUntil([&] { return !model.shelfBusy(); }));
    }
};

TEST_F(ScanFlowTest, ReportsElevenStepsThenReadyAfterPurgingExpiredCleanUps) {
    shelveExpired(5000);
    auto model = makeModel();
    ASSERT_EQ(model->sweeps().size(), 1u);
    std::vector<AppModel::ScanStep> steps;
    QObject::connect(model.get(), &AppModel::scanChanged, [&] {
        const auto& step = model->scanStep();
        if (step && (steps.empty() || steps.back() != *step)) steps.push_back(*step);
    });
    model->scan();
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::ready); }));

    ASSERT_EQ(steps.size(), 11u);
    for (size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(steps[i].name, DiskScanner::scanSteps()[i]);
        EXPECT_DOUBLE_EQ(steps[i].fraction, static_cast<double>(i) / 11.0);
    }
    EXPECT_FALSE(model->scanStep());
    EXPECT_TRUE(model->sweeps().empty());
    DiskHistory history = DiskHistory::load(DiskHistory::defaultFile());
    EXPECT_EQ(history.freedByCleaning, 5000);
    EXPECT_EQ(history.samples.size(), 1u);
    EXPECT_EQ(model->diskNow(), model->result()->disk);
}

TEST_F(ScanFlowTest, AScanWhileScanningIsIgnored) {
    auto model = makeModel();
    int firstSteps = 0;
    QObject::connect(model.get(), &AppModel::scanChanged, [&] {
        if (model->scanStep() && model->scanStep()->fraction == 0.0) ++firstSteps;
    });
    model->scan();
    EXPECT_FALSE(model->canScan());
    EXPECT_FALSE(model->isChangingFiles()) << "a scan only reads: quitting need not wait";
    model->scan();
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::ready); }));
    settle();
    EXPECT_EQ(firstSteps, 1);
    EXPECT_TRUE(model->canScan());
}

// Quitting stops the scan at its next step; its threads end and nothing it found is shown.
TEST_F(ScanFlowTest, StoppingWorkEndsARunningScanAtItsNextStep) {
    writeCache();
    auto gate = std::make_shared<Gate>();
    std::atomic<int> laterSteps{0};
    DiskScanner gated = scanner();
    gated.runningApps = [gate] {
        gate->wait();
        return std::vector<RunningApp>();
    };
    gated.processPaths = [&laterSteps] {
        ++laterSteps;
        return std::vector<std::string>();
    };
    auto model = std::make_unique<AppModel>(gated, cleaner(),
                                            UndoShelf(URL::fileURL(shelfRoot(), true), 7), tools());
    model->scan();
    ASSERT_TRUE(waitUntil([&] { return gate->waiting() == 1; }));
    model->stopWork();
    gate->open();
    QThreadPool::globalInstance()->waitForDone();
    settle();
    EXPECT_EQ(laterSteps, 0);
    EXPECT_TRUE(model->phase().is(AppModel::Phase::Kind::scanning));
    EXPECT_FALSE(model->result());
    EXPECT_FALSE(model->scanStep());
}

// What a quit finds under way is left as it stands once the item in hand is done.
TEST_F(ScanFlowTest, StoppingWorkLeavesWhatACleanUpHasNotReached) {
    writeCache();
    auto model = readyModel();
    ASSERT_FALSE(model->picks().picked(*model->result()).empty());
    cleanGate = std::make_shared<Gate>();
    model->freeUp();
    ASSERT_TRUE(waitUntil([&] { return cleanGate->waiting() == 1; }));
    model->stopWork();
    EXPECT_TRUE(model->isChangingFiles()) << "quitting still waits for it";
    cleanGate->open();
    ASSERT_TRUE(waitUntil([&] { return !model->isChangingFiles(); }));
    EXPECT_TRUE(fileExists(env.home() + "/Library/Caches/com.example.tool/blob.bin"));
    EXPECT_TRUE(UndoShelf(URL::fileURL(shelfRoot(), true)).sweeps().empty());
}

TEST_F(ScanFlowTest, AScanDuringACleanUpIsIgnoredUntilTheCleanUpEnds) {
    writeCache();
    auto model = readyModel();
    ASSERT_FALSE(model->picks().picked(*model->result()).empty());
    cleanGate = std::make_shared<Gate>();
    model->freeUp();
    ASSERT_TRUE(model->phase().is(AppModel::Phase::Kind::cleaning));
    EXPECT_TRUE(model->isChangingFiles()) << "quitting now waits for the clean-up";
    EXPECT_FALSE(model->canScan());
    model->scan();
    EXPECT_TRUE(model->phase().is(AppModel::Phase::Kind::cleaning));
    cleanGate->open();
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::done); }));
    EXPECT_TRUE(model->canScan());
    EXPECT_FALSE(model->isChangingFiles());
}

TEST_F(ScanFlowTest, ACleanUpSharesTheResultShownAndEachScanMakesANewOne) {
    writeCache();
    auto model = readyModel();
    const ScanResult* shown = model->result();
    const uint64_t generation = model->sharedResult().generation();
    ASSERT_NE(generation, 0u);
    cleanGate = std::make_shared<Gate>();
    model->freeUp();
    ASSERT_TRUE(model->phase().is(AppModel::Phase::Kind::cleaning));
    EXPECT_EQ(model->result(), shown) << "starting a clean-up copies no result";
    EXPECT_EQ(model->sharedResult().generation(), generation);
    cleanGate->open();
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::done); }));
    EXPECT_EQ(model->result(), shown);
    EXPECT_EQ(model->sharedResult().generation(), generation);
    EXPECT_GT(model->phase().report->freed, 0) << "the picked items reached the cleaner";

    model->scan();
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::ready); }));
    EXPECT_NE(model->sharedResult().generation(), generation);
}

TEST_F(ScanFlowTest, CleanUpEndsDoneWithReportHistoryAndAReceiptStampedOnce) {
    writeCache();
    auto model = readyModel();
    int64_t picked = model->picks().pickedBytes(*model->result());
    ASSERT_GT(picked, 0);
    model->freeUp();
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::done); }));

    const auto& report = *model->phase().report;
    EXPECT_EQ(report.freed, picked);
    EXPECT_FALSE(fileExists(env.home() + "/Library/Caches/com.example.tool/blob.bin"));
    EXPECT_EQ(model->result()->items.size(), 1u) << "done shows the result it started from";
    EXPECT_EQ(DiskHistory::load(DiskHistory::defaultFile()).freedByCleaning, picked);

    auto first = model->receipt();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->total, picked);
    ASSERT_EQ(first->lines.size(), 1u);
    EXPECT_EQ(first->lines[0].title, "App caches");
    EXPECT_EQ(first->holdDays, 7);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(model->receipt()->date, first->date);
}

TEST_F(ScanFlowTest, ShelvedEntriesOfOneCleanUpAreLabelledWithTheirOwnNames) {
    write(".Trash/Old report.pdf", std::string(40'000, 'r'));
    write(".Trash/%1 notes %@.txt", std::string(30'000, 'n'));
    writeCache();
    auto model = readyModel();
    model->freeUp();
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::done); }));

    ASSERT_EQ(model->sweeps().size(), 1u);
    std::multiset<std::string> labels;
    for (const auto& entry : model->sweeps().front().entries)
        labels.insert(entry.label);
    EXPECT_EQ(labels, (std::multiset<std::string>{"%1 notes %@.txt", "Old report.pdf"}));
    auto receipt = model->receipt();
    ASSERT_TRUE(receipt);
    std::vector<std::string> titles;
    for (const auto& line : receipt->lines)
        titles.push_back(line.title);
    EXPECT_EQ(titles, (std::vector<std::string>{"App caches", "Trash"}));
}

TEST_F(ScanFlowTest, FreeUpOnlyActsOnAReadyResultWithPicks) {
    auto model = makeModel();
    model->freeUp();
    EXPECT_TRUE(model->phase().is(AppModel::Phase::Kind::scanning));
    model = readyModel();
    model->freeUp(); // an empty home: nothing picked
    EXPECT_TRUE(model->phase().is(AppModel::Phase::Kind::ready));
}

TEST_F(ScanFlowTest, PicksAreSavedOnEveryChangeAndNeverWhileScanning) {
    writeCache();
    auto model = readyModel();
    const ScanItem item = model->result()->items.front();
    model->toggle(item);
    EXPECT_FALSE(model->picks().isPicked(item));
    EXPECT_EQ(Prefs::picks(), model->picks());
    model->pickAll(item.kind, true);
    EXPECT_TRUE(model->picks().isPicked(item));
    EXPECT_EQ(Prefs::picks(), model->picks());

    auto scanning = makeModel();
    scanning->pickAll(JunkKind::caches, false);
    EXPECT_EQ(scanning->picks(), model->picks());
}

TEST_F(ScanFlowTest, ShelfOperationsReportFailuresAndRefresh) {
    UndoShelf shelf(URL::fileURL(shelfRoot(), true));
    shelf.shelve({{download("Downloads/report.pdf", "pdf"), "report.pdf"}}, currentDate());
    // The folder it came from is now a file, so nothing can be put back there.
    removeItem(env.home() + "/Downloads");
    write("Downloads", "in the way");

    auto model = makeModel();
    ASSERT_EQ(model->sweeps().size(), 1u);
    auto sweep = model->sweeps().front();
    model->putBack(sweep.entries.front(), sweep);
    landed(*model);
    ASSERT_TRUE(model->shelfError());
    EXPECT_EQ(model->shelfError()->rfind("Couldn’t put back report.pdf: ", 0), 0u);
    model->putBackAll(sweep);
    landed(*model);
    EXPECT_EQ(model->shelfError()->rfind("Some items couldn’t be put back: ", 0), 0u);
    EXPECT_EQ(model->sweeps().size(), 1u);

    model->emptyShelf();
    landed(*model);
    EXPECT_TRUE(model->sweeps().empty());
    EXPECT_EQ(model->shelfBytes(), 0);
    EXPECT_EQ(DiskHistory::load(DiskHistory::defaultFile()).freedByCleaning, 3);
}

// Quitting during a put back, a put all back or an emptying stops it at the file in hand: the
// work ends at once (so a new start does not wait for the shelf), and what it had not reached
// stays on the shelf, listed as it was. Here the work waits for the shelf, held elsewhere,
// until after the quit, so it had reached nothing.
TEST_F(ScanFlowTest, QuittingStopsShelfWorkAtTheFileInHand) {
    const std::function<void(AppModel&)> actions[] = {
        [](AppModel& model) { model.putBack(model.sweeps()[0].entries[0], model.sweeps()[0]); },
        [](AppModel& model) { model.putBackAll(model.sweeps()[0]); },
        [](AppModel& model) { model.emptyShelf(); },
    };
    for (size_t i = 0; i < std::size(actions); ++i) {
        SCOPED_TRACE(i);
        std::vector<ScanItem> items(1);
        items[0].kind = JunkKind::screenshots;
        for (int n = 0; n < 40; ++n) {
            std::string name = "Pictures/Shots " + std::to_string(i) + "/" + std::to_string(n);
            items[0].targets.push_back(URL::fileURL(write(name + ".png")));
        }
        items[0].location = items[0].targets[0];
        items[0].bytes = 40 * 4096;
        UndoShelf shelf(URL::fileURL(shelfRoot(), true));
        auto sweep = shelf.shelve({{items[0], "Shots"}}, currentDate()).sweep;
        ASSERT_TRUE(sweep);

        auto model = makeModel();
        ASSERT_EQ(model->sweeps().size(), 1u);
        {
            HeldShelf held(shelfRoot());
            actions[i](*model);
            model->stopWork();
        }
        ASSERT_TRUE(waitUntil([&] { return !model->isChangingFiles(); }))
            << "the stopped work did not end";
        auto listed = shelf.sweeps();
        ASSERT_EQ(listed.size(), 1u);
        EXPECT_EQ(listed[0].entries, sweep->entries);
        for (const auto& file : sweep->entries[0].files)
            EXPECT_TRUE(fileExists(shelf.storedURL(*sweep, file).path())) << file.stored;
        shelf.empty(listed[0]);
    }
}

TEST_F(ScanFlowTest, EmptyingGoesOnPastAFailureAndCountsOnlyWhatWent) {
    UndoShelf shelf(URL::fileURL(shelfRoot(), true));
    for (const char* name : {"one.zip", "two.zip"})
        ASSERT_TRUE(shelf
                        .shelve({{download(std::string("Downloads/") + name, "12345"), name}},
                                currentDate())
                        .sweep);
    auto model = makeModel();
    ASSERT_EQ(model->sweeps().size(), 2u);
    // Gone behind the controller's back, as when the helper purged it meanwhile.
    removeItem(shelfRoot() + "/" + model->sweeps().front().id);

    model->emptyShelf();
    landed(*model);
    ASSERT_TRUE(model->shelfError());
    EXPECT_EQ(model->shelfError()->rfind("Couldn’t empty part of the shelf: ", 0), 0u);
    EXPECT_TRUE(model->sweeps().empty());
    EXPECT_EQ(DiskHistory::load(DiskHistory::defaultFile()).freedByCleaning, 5);
}

} // namespace
} // namespace kelvora::testing
