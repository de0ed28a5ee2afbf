#include "app/controller/ControllerFixture.h"

#include <atomic>

namespace kelvora::testing {
namespace {

using LoginTest = ControllerTest;

LoginItem agent(const std::string& label, LoginItem::State state = LoginItem::State::waiting()) {
    LoginItem item;
    item.source = LoginItem::Source::userAgent;
    item.label = label;
    item.name = label;
    item.state = state;
    return item;
}

// Opens the gate when the test ends, so a failed expectation never leaves work waiting.
struct OpenOnExit {
    std::shared_ptr<Gate> gate = std::make_shared<Gate>();
    ~OpenOnExit() { gate->open(); }
};

// Pressing a login item's button again while its first change still runs must not start a
// second change of the same item; another item may change meanwhile.
TEST_F(LoginTest, AnItemChangesOnceAtATime) {
    OpenOnExit held;
    auto gate = held.gate;
    auto switches = std::make_shared<std::atomic<int>>(0);
    AppModel::Tools fake = tools();
    fake.switchLoginItem = [switches, gate](const LoginItem& item, bool) {
        ++*switches;
        if (item.label == "com.example.slow") gate->wait();
        return std::optional<std::string>();
    };
    auto model = makeModel(fake);
    LoginItem slow = agent("com.example.slow");
    model->setLoginItem(slow, false);
    ASSERT_TRUE(waitUntil([&] { return gate->waiting() == 1; }));
    model->setLoginItem(slow, false);
    model->setLoginItem(slow, true);
    model->setLoginItem(agent("com.example.other"), false);
    ASSERT_TRUE(waitUntil([&] { return *switches >= 2; }));
    settle();
    EXPECT_EQ(*switches, 2);

    gate->open();
    ASSERT_TRUE(waitUntil([&] { return !model->isChangingFiles(); }));
    model->setLoginItem(slow, true);
    EXPECT_TRUE(waitUntil([&] { return *switches == 3; })) << "free again once the first ended";

    // A leftover moved onto the shelf is one clean-up, however often Remove is pressed.
    std::string plist = write("Library/LaunchAgents/com.gone.helper.plist", "<plist/>");
    LoginItem leftover = agent("com.gone.helper");
    leftover.file = URL::fileURL(plist);
    leftover.programMissing = true;
    model->removeLeftover(leftover);
    model->removeLeftover(leftover);
    ASSERT_TRUE(waitUntil([&] { return !model->isChangingFiles() && !model->sweeps().empty(); }));
    settle();
    EXPECT_EQ(model->sweeps().size(), 1u);
    EXPECT_FALSE(model->loginError()) << "a second move would have found nothing to move";
}

// Reads of the list may end out of order; the list shown is the one read last.
TEST_F(LoginTest, AnOlderReadNeverReplacesANewerList) {
    OpenOnExit held;
    auto gate = held.gate;
    auto reads = std::make_shared<std::atomic<int>>(0);
    AppModel::Tools fake = tools();
    fake.readLoginItems = [reads, gate](bool, const auto&) {
        if (++*reads == 1) {
            gate->wait();
            return std::vector<LoginItem>{agent("com.example.agent", LoginItem::State::waiting())};
        }
        return std::vector<LoginItem>{agent("com.example.agent", LoginItem::State::off())};
    };
    auto model = makeModel(fake);
    model->loadLoginItems();
    ASSERT_TRUE(waitUntil([&] { return gate->waiting() == 1; }));
    model->loadLoginItems();
    ASSERT_TRUE(waitUntil([&] { return model->loginItems().has_value(); }));
    gate->open();
    QThreadPool::globalInstance()->waitForDone();
    settle();
    ASSERT_EQ(model->loginItems()->size(), 1u);
    EXPECT_TRUE(model->loginItems()->front().isOff());
    EXPECT_EQ(model->loginSelection(), "userAgent:com.example.agent");
}

} // namespace
} // namespace kelvora::testing
