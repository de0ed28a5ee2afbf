#include "app/controller/ControllerFixture.h"
#include "app/design/Pictures.h"

#include "design/Buttons.h"
#include "design/Contrast.h"
#include "design/Fonts.h"
#include "design/PaintedText.h"
#include "design/SheetFrame.h"
#include "design/Snapshot.h"
#include "panes/LoginItemsList.h"
#include "panes/LoginItemsText.h"
#include "panes/ShelfPage.h"
#include "panes/ShelfView.h"
#include "panes/UninstallSheet.h"
#include "search/PlainQuery.h"
#include "snapshot/DemoData.h"
#include "snapshot/Marketing.h"
#include "window/RootView.h"
#include "window/SheetOverlay.h"

#include <QFontMetricsF>
#include <QRegularExpression>

namespace kelvora::testing {
namespace {

qreal advance(const QFont& font, const QString& text) {
    return QFontMetricsF(font).horizontalAdvance(text);
}

QRectF placeIn(const QWidget* widget, const QWidget* root) {
    return QRectF(widget->mapTo(root, QPoint(0, 0)), widget->size());
}

// A line of text given the room for all of it, on one line, and drawn to its last letter.
void expectWhole(const QImage& image, const QRectF& line, const QString& text, const QFont& font,
                 const QColor& color) {
    const qreal width = advance(font, text);
    EXPECT_GE(line.width(), width - 0.5) << text.toStdString();
    EXPECT_LT(line.height(), 2 * QFontMetricsF(font).height()) << text.toStdString();
    EXPECT_GT(countNear(image, {line.left() + width - 8, line.top(), 8, line.height()}, color, 60),
              4)
        << text.toStdString();
}

// The window over the demo computer's findings, drawn at the smallest size (1100 × 720) and
// the default one (1280 × 820), light and dark; each picture is kept and checked.
class WindowPicturesTest : public ControllerTest {
protected:
    void SetUp() override {
        Prefs::setBoolean(Prefs::Key::welcomeDone, true);
        Fonts::registerFonts(KELVORA_FONTS_DIR);
    }

    std::unique_ptr<AppModel> demoModel(int holdDays = 7) {
        return std::make_unique<AppModel>(Marketing::result(), AppModel::ViewMode::detailed,
                                          UndoShelf(URL::fileURL(shelfRoot(), true), holdDays),
                                          std::nullopt);
    }

    void forEachPicture(AppModel& model, const std::string& name,
                        const std::function<void(RootView&, const QImage&, QSize)>& check) {
        for (QSize size : {QSize(1100, 720), QSize(1280, 820)}) {
            for (Appearance appearance : {Appearance::light, Appearance::dark}) {
                const std::string shade = appearance == Appearance::dark ? "dark" : "light";
                SCOPED_TRACE(std::to_string(size.width()) + " " + shade);
                Theme::Scope scope(appearance);
                RootView root(model, 0);
                Snapshot::setSnapshot(&root, true);
                root.applyForeground();
                QImage image = Render::widget(root, size);
                keepPicture(image, name + "-" + std::to_string(size.width()) + "-" + shade);
                check(root, image, size);
            }
        }
    }
};

// A 30-day hold's squares wrap onto more rows instead of crowding the header's date and
// summary, which a German user reads whole and as German writes dates.
TEST_F(WindowPicturesTest, ShelfHeaderWrapsALongHoldsSquaresAndKeepsItsTextsWhole) {
    KELVORA_REQUIRE_GUI();
    const QLocale previous;
    QLocale::setDefault(QLocale("de_DE"));
    Prefs::setInteger(Prefs::Key::shelfDays, 30);
    ScanItem item;
    item.kind = JunkKind::downloads;
    item.location = URL::fileURL(write("Downloads/Setup.zip", std::string(9000, 'x')));
    item.targets = {item.location};
    item.bytes = 9000;
    ASSERT_TRUE(UndoShelf(URL::fileURL(shelfRoot(), true), 30)
                    .shelve({{item, "Setup.zip"}}, addSeconds(currentDate(), -3 * 86400 - 60))
                    .sweep);
    auto model = demoModel(30);
    model->setShowingShelf(true);
    forEachPicture(*model, "shelf-30-days", [&](RootView& root, const QImage& image, QSize size) {
        auto* page = root.findChild<ShelfView*>()->page();
        const ShelfLayout::Section& section = page->layout().sections.at(0);
        auto german = [](const char* pattern, const QString& text) {
            return QRegularExpression(pattern, QRegularExpression::UseUnicodePropertiesOption)
                .match(text)
                .hasMatch();
        };
        EXPECT_TRUE(german(R"(^\w+, \d+\. \w+, \d\d:\d\d$)", section.dateText))
            << section.dateText.toStdString();
        EXPECT_TRUE(
            german(R"(^1 item · 9 KB · frees up \w\w\., \d+\. \w+\.?$)", section.summaryText))
            << section.summaryText.toStdString();
        const QPointF origin = page->mapTo(&root, QPoint(0, 0));
        expectWhole(image, section.date.translated(origin), section.dateText,
                    Fonts::text(14, QFont::DemiBold), Theme::ink());
        expectWhole(image, section.summary.translated(origin), section.summaryText, Fonts::mono(12),
                    Theme::faint());

        // 27 of the 30 squares filled, row by row.
        const qreal pitch = ShelfLayout::kSquare + ShelfLayout::kSquareGap;
        const int columns = static_cast<int>(std::lround((section.bar.width() + 3) / pitch));
        EXPECT_TRUE(size.width() > 1100 || columns < 30) << "the squares wrap";
        const QRectF bar = section.bar.translated(origin);
        for (int i : {0, 26, 27, 29})
            EXPECT_EQ(near(at(image, bar.left() + (i % columns) * pitch + 5,
                              bar.top() + (i / columns) * pitch + 5),
                           Theme::ink()),
                      i < 27)
                << "square " << i;
    });
    QLocale::setDefault(previous);
}

// The login items header keeps its counts on one line clear of its buttons, and, on a
// computer with System Events, the ask card's second sentence wraps inside a taller card
// instead of being cut.
TEST_F(WindowPicturesTest, LoginItemsHeaderAndAskCardKeepEveryWord) {
    KELVORA_REQUIRE_GUI();
    AppModel::Tools withSystemEvents = tools();
    withSystemEvents.hasSystemEvents = [] { return true; };
    auto model = makeModel(withSystemEvents);
    model->setMode(AppModel::ViewMode::detailed);
    std::vector<LoginItem> items(12);
    for (int i = 0; i < 12; ++i) {
        items[i].source = LoginItem::Source::userAgent;
        items[i].label = items[i].name = "Helper " + std::to_string(i);
        items[i].state = LoginItem::State::running(100 + i);
        items[i].startsAtLogin = true;
    }
    model->showLoginItems(items);
    forEachPicture(*model, "login-items", [&](RootView& root, const QImage& image, QSize size) {
        auto* counts = root.findChild<PaintedText*>("loginCounts");
        EXPECT_EQ(counts->text(), "12 start when you log in · 12 running now");
        const QRectF line = placeIn(counts, &root);
        const QRectF header = placeIn(counts->parentWidget(), &root);
        expectWhole(image, line, counts->text(), Fonts::mono(12.5), Theme::muted());
        EXPECT_TRUE(header.contains(line));
        for (const char* name : {"openLoginSettings", "refreshLoginItems"}) {
            const QRectF button = placeIn(root.findChild<QPushButton*>(name), &root);
            EXPECT_FALSE(button.intersects(line)) << name;
            EXPECT_TRUE(header.contains(button)) << name;
        }
        EXPECT_TRUE(size.width() < 1280 || header.height() == 60) << "the one-row header";

        auto* list = root.findChild<LoginItemsList*>();
        const auto& ask = list->layout().sections.at(0);
        const TextFlow& detail = ask.askDetail.lines;
        EXPECT_LE(detail.lineCount(), 2);
        EXPECT_LE(ask.askDetail.at.x() + detail.naturalWidth(), ask.askButton->left());
        EXPECT_LE(ask.askDetail.at.y() + detail.height(), ask.ask->bottom() - 14 + 0.5);
        const QRectF last(ask.askDetail.at.x(), ask.askDetail.at.y() + detail.height() - 14, 40,
                          14);
        EXPECT_GT(
            countNear(image, last.translated(list->mapTo(&root, QPoint(0, 0))), Theme::muted(), 60),
            10)
            << "the sentence's last line";
    });
}

// Every look a disabled button takes keeps its words at 3:1 or more against what they stand
// on, on each surface, in both appearances; and so do the two primary buttons that wait for
// a pick, as the window draws them.
TEST_F(WindowPicturesTest, DisabledButtonsKeepTheirWordsReadable) {
    KELVORA_REQUIRE_GUI();
    EXPECT_DOUBLE_EQ(Contrast::ratio(Qt::black, Qt::white), 21.0);
    for (Appearance appearance : {Appearance::light, Appearance::dark}) {
        auto token = [&](Token t) { return Theme::color(t, appearance); };
        for (Token surface : {Token::ground, Token::panel, Token::sidebar}) {
            const QColor under = token(surface);
            const QColor signal = Contrast::over(token(Token::signal), kDisabledOpacity, under);
            const QColor outline = Contrast::over(token(Token::panel), kDisabledOpacity, under);
            EXPECT_GE(Contrast::ratio(token(SignalButton::kDisabledTitle), signal), 3);
            EXPECT_GE(Contrast::ratio(Contrast::over(token(Token::ink), kDisabledOpacity, outline),
                                      outline),
                      3);
            EXPECT_GE(
                Contrast::ratio(Contrast::over(token(Token::ink), kDisabledOpacity, under), under),
                3)
                << "a text link";
        }
    }

    auto model = demoModel();
    for (JunkKind kind : JunkKinds::allCases())
        model->pickAll(kind, false);
    // The strongest title pixel against the fill, as drawn.
    auto expectReadable = [&](const char* name, const QString& title) {
        forEachPicture(*model, name, [&](RootView& root, const QImage& image, QSize) {
            auto* button = root.findChild<SignalButton*>(name);
            ASSERT_TRUE(button && !button->isEnabled());
            EXPECT_EQ(button->text(), title);
            const QRectF place = placeIn(button, &root);
            const QColor fill = at(image, place.left() + 6, place.center().y());
            EXPECT_TRUE(
                near(fill, blend(Theme::signal(), at(image, place.left() - 4, place.center().y()),
                                 kDisabledOpacity)));
            const QRectF label = place.adjusted(place.height() / 2, place.height() / 2 - 5,
                                                -place.height() / 2, 5 - place.height() / 2);
            double best = 1;
            for (qreal y = label.top(); y < label.bottom(); y += 0.5)
                for (qreal x = label.left(); x < label.right(); x += 0.5)
                    best = std::max(best, Contrast::ratio(at(image, x, y), fill));
            EXPECT_GE(best, 4.5) << "the title reads on its fill";
        });
    };
    expectReadable("cleanUp", "Clean up 0 KB");
    model->showSearch(
        PlainQuery::parse("videos over 1 GB", currentDate(), QueryCalendar::gregorian()),
        {{URL::fileURL(env.home() + "/Movies/Trip.mov"), 4'200'000'000, std::nullopt}});
    expectReadable("moveToShelf", "Move 0 KB to the Undo Shelf");
}

// The uninstall sheet over the window: its card lies whole on the window, its title reads to
// the last letter, the files that go sit in their box and both buttons on the card.
TEST_F(WindowPicturesTest, TheUninstallSheetLiesWholeOverTheWindow) {
    KELVORA_REQUIRE_GUI();
    const std::string bundle = writeApp("Notely", "com.example.notely");
    write("Library/Application Support/com.example.notely/notes.db", std::string(40'000, 'n'));
    write("Library/Caches/com.example.notely/index", std::string(9'000, 'i'));
    auto model = makeModel();
    model->setMode(AppModel::ViewMode::detailed);
    model->prepareUninstall(URL::fileURL(bundle));
    ASSERT_TRUE(waitUntil([&] { return model->uninstallTarget().has_value(); }));
    forEachPicture(*model, "uninstall-sheet", [&](RootView& root, const QImage& image, QSize size) {
        ASSERT_TRUE(root.uninstallSheet());
        auto* sheet = qobject_cast<UninstallSheet*>(root.uninstallSheet()->sheet());
        ASSERT_TRUE(sheet);
        const QRectF card = placeIn(sheet, &root);
        EXPECT_TRUE(QRectF(QPointF(), size).contains(card));
        const UninstallSheetLayout& layout = sheet->layout();
        EXPECT_EQ(layout.title.text(), "Remove Notely?");
        const QPointF origin = sheet->body()->mapTo(&root, QPoint(0, 0));
        expectWhole(image, QRectF(layout.titleAt, layout.title.size()).translated(origin),
                    layout.title.text(), Fonts::text(20, QFont::DemiBold), Theme::ink());
        EXPECT_TRUE(near(
            at(image, origin.x() + layout.list.left() + 3, origin.y() + layout.list.center().y()),
            Theme::panel()));
        for (auto button :
             {UninstallSheetLayout::Button::cancel, UninstallSheetLayout::Button::move})
            EXPECT_TRUE(card.contains(placeIn(sheet->button(button), &root)));
        const QRectF move = placeIn(sheet->button(UninstallSheetLayout::Button::move), &root);
        EXPECT_TRUE(near(at(image, move.left() + 6, move.center().y()), Theme::signal()));
    });
}

// After a clean-up that shelved something, the done screen offers "Free … now", "Open Undo
// Shelf" and "Share your receipt", and the System Data sheet is taller than 720: both stay
// whole at the smallest window, the link inside the window and the sheet's button in view.
TEST_F(WindowPicturesTest, TheDoneScreenAndTheSystemDataSheetStayWholeAtTheSmallestWindow) {
    KELVORA_REQUIRE_GUI();
    Snapshot::DemoShelf demo = Snapshot::demoShelf();
    Snapshot::dressForWebsite(demo.shelf, demo.folder.appending("home", true));
    const ScanResult result = Marketing::result();
    CleanReport report = Marketing::report(result);
    DiskSpace disk = result.disk;
    disk.available += report.freed;
    AppModel model(result, AppModel::ViewMode::simple, demo.shelf,
                   AppModel::Phase::done(result, std::move(report), disk));
    ASSERT_TRUE(model.receipt());
    ASSERT_GE(model.shelfBytes(), 1);

    forEachPicture(model, "done", [&](RootView& root, const QImage& image, QSize size) {
        for (const char* name : {"freeNowButton", "openShelfLink", "shareReceiptLink"}) {
            auto* control = root.findChild<QWidget*>(name);
            ASSERT_TRUE(control && control->isVisibleTo(&root)) << name;
            EXPECT_TRUE(QRectF(QPointF(), size).contains(placeIn(control, &root))) << name;
        }
        auto* link = root.findChild<QWidget*>("shareReceiptLink");
        expectWhole(image, placeIn(link, &root), "Share your receipt", TextLinkButton::font(16),
                    Theme::ink());
    });

    // The sheet explains the System Data a scan found: here all its parts.
    ScanResult withSystemData = result;
    using SystemKind = ScanItem::SystemInfo::Kind;
    for (SystemKind kind :
         {SystemKind::purgeable, SystemKind::deviceBackup, SystemKind::dockerDisk}) {
        ScanItem part;
        part.kind = JunkKind::systemData;
        part.location = URL::fileURL("/system/" + rawValue(kind));
        part.bytes = 2'000'000'000;
        part.baseVerdict = Verdict::youDecide;
        part.record = ScanItem::SystemInfo{kind, "part"};
        withSystemData.items.push_back(part);
    }
    AppModel systemModel(withSystemData, AppModel::ViewMode::detailed, demo.shelf, std::nullopt);
    systemModel.setShowingSystemDataHelp(true);
    forEachPicture(
        systemModel, "system-data", [&](RootView& root, const QImage& image, QSize size) {
            ASSERT_TRUE(root.systemDataSheet());
            auto* sheet = qobject_cast<SheetFrame*>(root.systemDataSheet()->sheet());
            ASSERT_TRUE(sheet);
            const QRectF card = placeIn(sheet, &root);
            EXPECT_TRUE(QRectF(QPointF(), size).contains(card));
            const QRectF button = placeIn(root.findChild<QWidget*>("gotIt"), &root);
            EXPECT_TRUE(card.contains(button)) << "Got it stays on the card";
            EXPECT_TRUE(near(at(image, button.left() + 6, button.center().y()), Theme::ink()));
            EXPECT_TRUE(near(at(image, card.center().x(), card.bottom() - 8), Theme::ground()))
                << "the card's foot";
            if (sheet->sizeHint().height() > size.height())
                EXPECT_GT(sheet->sizeHint().height(), card.height()) << "the words scroll";
            EXPECT_EQ(placeIn(sheet->body(), &root).top(), card.top())
                << "the words from their top";
        });
    removeItem(demo.folder.path());
}

} // namespace
} // namespace kelvora::testing
