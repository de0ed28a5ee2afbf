#include "app/window/DetailFixture.h"

#include "design/Buttons.h"
#include "design/DialGeometry.h"
#include "design/DialView.h"
#include "design/Scrolling.h"
#include "design/SelectableText.h"
#include "design/Snapshot.h"
#include "design/Theme.h"
#include "onboarding/FullDiskAccessGuide.h"
#include "window/CategoryDetail.h"
#include "window/CategoryList.h"
#include "window/DetailSidebar.h"
#include "window/Inspector.h"
#include "window/InspectorContent.h"
#include "window/MainWindow.h"
#include "window/OverviewList.h"
#include "window/PickFooter.h"
#include "window/RootView.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <map>

namespace kelvora::testing {
namespace {

const std::array kAppearances{Appearance::light, Appearance::dark};

const char* nameOf(Appearance appearance) {
    return appearance == Appearance::light ? "light" : "dark";
}

QColor token(Token t, Appearance appearance) {
    return Theme::color(t, appearance);
}

// A view drawn for a still picture at its final size, kept in the build folder.
QImage picture(QWidget& view, QSize size, const std::string& name) {
    Snapshot::setSnapshot(&view, true);
    view.resize(size);
    takeInChanges();
    QImage image = Render::widget(view, size);
    keepPicture(image, name);
    return image;
}

TEST(DetailViews, SidebarDrawsItsFillTheSelectedRowAndTheDiskBar) {
    for (Appearance appearance : kAppearances) {
        SCOPED_TRACE(nameOf(appearance));
        Theme::Scope scope(appearance);
        DetailModel model;
        DetailSidebar sidebar(*model);
        QImage image = picture(sidebar, {232, 800}, std::string("sidebar-") + nameOf(appearance));

        EXPECT_TRUE(near(at(image, 5, 400), token(Token::sidebar, appearance)));
        // The selected overview row sits on a panel card; the others on the column's fill.
        ASSERT_TRUE(sidebar.rows().front().selected);
        QRect row = sidebar.list()->rowRect(Sidebar::Destination::overview);
        EXPECT_TRUE(
            near(at(image, row.right() - 20, row.center().y()), token(Token::panel, appearance)));
        QRect caches = sidebar.list()->rowRect(Sidebar::Destination::category, JunkKind::caches);
        EXPECT_TRUE(near(at(image, caches.center().x(), caches.top() + 2),
                         token(Token::sidebar, appearance)));

        // The bar: what stays used in ink, what the picks free in orange, the rest chip.
        QRectF bar = sidebar.diskBar();
        const Sidebar::DiskFooter& footer = sidebar.footer();
        qreal y = bar.center().y();
        EXPECT_TRUE(
            near(at(image, bar.left() + bar.width() * 0.4, y), token(Token::ink, appearance)));
        qreal orange = bar.left() + bar.width() * (footer.inkShare + footer.signalShare / 2);
        EXPECT_TRUE(near(at(image, orange, y), token(Token::signal, appearance)));
        EXPECT_TRUE(near(at(image, bar.right() - 4, y), token(Token::chip, appearance)));
        EXPECT_EQ(footer.label, "Home disk");
        EXPECT_EQ(footer.freeText, "61.2 GB free");
        EXPECT_EQ(Sidebar::size(*model, JunkKind::apps), "1.1 GB");
    }
}

// The column is 768 px high in the usual window and 668 px in the smallest. Its rows keep
// their full 32 px and 2 px gaps where they fit, close up just enough where they do not,
// and scroll only when even their tightest spacing does not fit above the disk footer.
TEST(DetailViews, SidebarRowsCloseUpToFitBeforeTheyScroll) {
    struct Case {
        const char* what;
        ScanResult result;
        int height;
        bool scrolls;
        int rowHeight; // of the first row; 0: between the tight and the full height
    };
    const std::vector<Case> cases{
        {"eleven categories, usual window", marketingLike(), 768, false, 32},
        {"fourteen categories, usual window", everyCategory(), 768, false, 0},
        {"eleven categories, smallest window", marketingLike(), 668, false, 0},
        {"fourteen categories, smallest window", everyCategory(), 668, true, 28},
    };
    for (const Case& c : cases) {
        DetailModel model(c.result);
        const std::vector<Sidebar::Row> rows = Sidebar::rows(*model);
        const DetailSidebar::Layout layout = DetailSidebar::layout(rows, c.height);
        ASSERT_EQ(layout.rows.size(), rows.size()) << c.what;
        EXPECT_EQ(layout.scrolls(), c.scrolls) << c.what;
        const QRect& first = layout.rows.front();
        if (c.rowHeight) {
            EXPECT_EQ(first.height(), c.rowHeight) << c.what;
        } else {
            EXPECT_GT(first.height(), SidebarList::kTightRowHeight) << c.what;
            EXPECT_LT(first.height(), SidebarList::kRowHeight) << c.what;
        }
        if (c.rowHeight == SidebarList::kRowHeight)
            EXPECT_EQ(layout.rows[2].top() - layout.rows[1].top(), 34) << "the full 2 px gap";
        if (!c.scrolls) EXPECT_LE(layout.rows.back().bottom(), layout.footerTop) << c.what;
        for (size_t i = 1; i < layout.rows.size(); ++i)
            EXPECT_GE(layout.rows[i].top(), layout.rows[i - 1].bottom() + 1) << c.what << i;
    }
}

// The space between a row's title and its figure gives way before the title: every short
// title stays whole beside the widest figure a category shows below a terabyte.
TEST(DetailViews, SidebarTitlesStayWholeBesideTheirFigures) {
    DetailModel model(everyCategory());
    const int width = DetailSidebar::kWidth - 24;
    for (Sidebar::Row row : Sidebar::rows(*model)) {
        EXPECT_EQ(SidebarList::shownTitle(row, width).toStdString(), row.title);
        for (bool selected : {false, true}) {
            row.selected = selected;
            row.size = "123.4 GB";
            EXPECT_EQ(SidebarList::shownTitle(row, width).toStdString(), row.title)
                << "beside 123.4 GB";
        }
    }
    Sidebar::Row longer{Sidebar::Destination::search, {}, "Search through everything", "", "1 on"};
    EXPECT_TRUE(SidebarList::shownTitle(longer, width).endsWith(QChar(0x2026)))
        << "a title that cannot fit is cut with an ellipsis";
}

TEST(DetailViews, FooterDrawsTheCleanButtonInTheSignalColourAndDimsItWhenNothingIsPicked) {
    for (Appearance appearance : kAppearances) {
        SCOPED_TRACE(nameOf(appearance));
        Theme::Scope scope(appearance);
        DetailModel model;
        PickFooter footer(*model);
        QImage image = picture(footer, {900, 68}, std::string("footer-") + nameOf(appearance));
        EXPECT_TRUE(near(at(image, 6, 34), token(Token::sidebar, appearance)));
        EXPECT_TRUE(near(at(image, 6, 0.25), token(Token::line, appearance)));
        QRect button = footer.button()->geometry();
        EXPECT_TRUE(near(at(image, button.left() + 5, button.center().y()),
                         token(Token::signal, appearance)));
        EXPECT_EQ(footer.button()->text(), "Clean up 12.6 GB");
        EXPECT_EQ(footer.content().countLine, "11 of 15 items picked · 12.6 GB");

        for (JunkKind kind : JunkKinds::allCases())
            model->pickAll(kind, false);
        takeInChanges();
        image = Render::widget(footer, {900, 68});
        keepPicture(image, std::string("footer-nothing-") + nameOf(appearance));
        button = footer.button()->geometry();
        EXPECT_TRUE(
            near(at(image, button.left() + 5, button.center().y()),
                 blend(token(Token::signal, appearance), token(Token::sidebar, appearance), 0.5)));
        EXPECT_EQ(footer.button()->text(), "Clean up 0 KB");
    }
}

// The footer's note wraps onto a second line in the smallest window rather than being cut,
// and keeps to one where there is room; either way the text keeps clear of the button and
// the pair of lines stays inside the footer.
TEST(DetailViews, FooterNoteWrapsInTheSmallestWindowRatherThanBeingCut) {
    DetailModel model;
    const FooterContent content =
        FooterContent::of(PickTotals::count(*model->result(), model->picks()), 7, false);
    const int column = -DetailSidebar::kWidth - 1; // the sidebar and its hairline
    const struct {
        const char* what;
        int footerWidth;
        int noteLines;
    } cases[] = {
        {"the smallest window", MainWindow::kSmallestSize.width() + column, 2},
        {"the smallest window inside a frame", 1098 + column, 2},
        {"a large window", 1600 + column, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const PickFooterLayout placed = PickFooterLayout::of(content, c.footerWidth);
        EXPECT_EQ(QString(placed.note.lines.text()).replace(QChar(0xA0), ' ').toStdString(),
                  content.shelfNote);
        EXPECT_EQ(placed.note.lines.lineCount(), c.noteLines);
        EXPECT_DOUBLE_EQ(placed.button.right(), c.footerWidth - 24.0);
        EXPECT_LE(placed.countLine.right(), placed.button.left() - 16);
        EXPECT_LE(placed.note.at.x() + placed.note.lines.naturalWidth(), placed.button.left() - 16);
        EXPECT_GE(placed.countLine.top(), 4) << "the count line clears the footer's top";
        EXPECT_LE(placed.note.at.y() + placed.note.lines.height(), PickFooter::kHeight - 4)
            << "the note clears the footer's foot";
        EXPECT_GE(placed.note.at.y(), placed.countLine.bottom()) << "the note runs under the count";
    }
}

TEST(DetailViews, CategoryListDrawsTickedBoxesTheFocusedRowAndTheInspector) {
    for (Appearance appearance : kAppearances) {
        SCOPED_TRACE(nameOf(appearance));
        Theme::Scope scope(appearance);
        DetailModel model;
        Sidebar::openCategory(*model, JunkKind::caches);
        CategoryDetail detail(*model);
        QImage image = picture(detail, {1100, 720}, std::string("category-") + nameOf(appearance));

        EXPECT_EQ(detail.header().title, "App caches");
        EXPECT_EQ(detail.header().countLine, "6 of 6 picked · 5.7 GB");
        ASSERT_EQ(detail.rows()->rowCount(), 8); // six to pick, the caption, Google in use
        EXPECT_TRUE(detail.rows()->isCaption(6));

        QPoint origin = detail.list()->mapTo(&detail, QPoint(0, 0));
        QRectF first = detail.list()->rowRect(0).translated(origin);
        CategoryRowGeometry g = CategoryRowGeometry::of(first);
        QRectF box(g.pickBox.center() - QPointF(8, 8), QSizeF(16, 16));
        EXPECT_TRUE(near(at(image, box.left() + 3, box.top() + 3), token(Token::ink, appearance)));
        // The focused row: an orange bar on its edge, on the sidebar's fill.
        EXPECT_TRUE(near(at(image, first.left() + 1, first.center().y()),
                         token(Token::signal, appearance)));
        EXPECT_TRUE(near(at(image, g.badge.left() - 17, first.center().y()),
                         token(Token::sidebar, appearance)));
        QRectF second = detail.list()->rowRect(1).translated(origin);
        EXPECT_TRUE(near(at(image, g.badge.left() - 17, second.center().y()),
                         token(Token::panel, appearance)));

        // The inspector of the focused, largest cache.
        Inspector* inspector = detail.inspector();
        ASSERT_TRUE(inspector->content());
        EXPECT_EQ(inspector->content()->size.number, "2.1");
        EXPECT_EQ(inspector->secondButton()->text(), "Keep this");
        EXPECT_EQ(inspector->showInFolderButton()->text(), "Show in Folder");
        EXPECT_TRUE(inspector->secondButton()->isVisibleTo(&detail));
        EXPECT_TRUE(near(at(image, 1100 - 8, 720 - 4), token(Token::sidebar, appearance)));
    }
}

TEST(DetailViews, OverviewDrawsItsCardsAndTheDialsOrangeBand) {
    for (Appearance appearance : kAppearances) {
        SCOPED_TRACE(nameOf(appearance));
        Theme::Scope scope(appearance);
        DetailModel model;
        model->setForecastDays(20);
        OverviewList overview(*model);
        QImage image =
            picture(overview, {1000, 1100}, std::string("overview-") + nameOf(appearance));
        OverviewPane* pane = overview.pane();

        EXPECT_TRUE(near(at(image, pane->summaryCard().left() + 10, pane->summaryCard().top() + 90),
                         token(Token::sidebar, appearance)));
        EXPECT_TRUE(
            near(at(image, pane->categoryCard().center().x(), pane->categoryCard().top() + 4),
                 token(Token::panel, appearance)));
        EXPECT_TRUE(near(at(image, 6, 6), token(Token::panel, appearance)));

        DialView* dial = pane->dial();
        QRectF box = DialGeometry::fittedBox(QRectF(dial->geometry()));
        DialGeometry g = DialGeometry::forSize(box.size());
        QPointF band = g.point((dial->used() + dial->after()) / 2, g.radius) + box.topLeft();
        EXPECT_TRUE(near(at(image, band.x(), band.y()), token(Token::signal, appearance), 24));

        EXPECT_EQ(pane->summary().number, "12.6");
        ASSERT_TRUE(pane->list()->row(JunkKind::largeFiles));
        EXPECT_EQ(pane->list()->row(JunkKind::largeFiles)->size, "6.3 GB");
        EXPECT_FALSE(pane->list()->row(JunkKind::systemData));
    }
}

TEST(DetailViews, InspectorWrapsLongNamesAndPathsAndKeepsThePathSelectable) {
    for (Appearance appearance : kAppearances) {
        SCOPED_TRACE(nameOf(appearance));
        Theme::Scope scope(appearance);
        ScanItem film = found(JunkKind::largeFiles,
                              "Movies/Projects/2019/Lake house/Wedding raw footage from the summer "
                              "at the lake house, all four cameras, never edited.mov",
                              6'300'000'000, Verdict::youDecide);
        film.record = ScanItem::LargeFileInfo{{}, std::nullopt, currentDate()};
        ScanResult result;
        result.items = {film};
        DetailModel model(result);
        Inspector inspector(*model);
        inspector.setItem(&model->result()->items[0]);
        QImage image =
            picture(inspector, {300, 720}, std::string("inspector-") + nameOf(appearance));

        const Inspector::Layout& layout = inspector.layout();
        EXPECT_GE(layout.name.lineCount(), 3);
        EXPECT_GT(inspector.whereText()->height(), 40);
        EXPECT_TRUE(inspector.whereText()->textInteractionFlags() & Qt::TextSelectableByMouse);
        EXPECT_EQ(inspector.secondButton()->text(), "Pick this");
        EXPECT_TRUE(near(at(image, 4, 700), token(Token::sidebar, appearance)));
        EXPECT_TRUE(
            near(at(image, 150, layout.facts[0].top + 0.25), token(Token::line, appearance)));
        // The name is set in ink over the fill.
        EXPECT_GT(countNear(image, QRectF(20, layout.nameTop, 260, layout.name.height()),
                            token(Token::ink, appearance), 40),
                  200);
    }
}

// In the window a long list scrolls by itself; a picture lays every row out from the top.
TEST(DetailViews, LongListsScrollInTheWindowAndUnfoldInAPicture) {
    ScanResult result = marketingLike();
    for (int i = 0; i < 2000; ++i)
        result.items.push_back(cache("org.example.app" + std::to_string(i), 1000 + i));
    DetailModel model(result);
    Sidebar::openCategory(*model, JunkKind::caches);

    CategoryDetail window(*model);
    Render::widget(window, {1100, 720});
    QScrollBar* bar = window.list()->verticalScrollBar();
    EXPECT_LE(window.list()->height(), 720);
    EXPECT_GT(bar->maximum(), 2000 * 50);
    OverviewList overview(*model);
    Render::widget(overview, {1000, 500});
    EXPECT_EQ(overview.pane()->height(), overview.pane()->heightForWidth(overview.pane()->width()));
    EXPECT_GT(overview.pane()->height(), 500);

    CategoryDetail still(*model);
    picture(still, {1100, 720}, "category-long");
    EXPECT_EQ(still.list()->height(),
              2006 * 56 + 1 * 56 +
                  static_cast<int>(std::ceil(CategoryRowGeometry::captionHeight())));
    EXPECT_EQ(still.list()->mapTo(&still, QPoint()).y(), CategoryDetail::kHeaderHeight + 1);
}

// ---- Driving the views with the mouse and the keyboard ----

struct Shown {
    QWidget window;
    explicit Shown(QWidget* view, QSize size) {
        view->setParent(&window);
        view->resize(size);
        window.resize(size);
        window.setAttribute(Qt::WA_DontShowOnScreen);
        window.show();
        takeInChanges();
    }
};

QPoint centreOf(const QRectF& rect) {
    return rect.center().toPoint();
}

const std::string kLongDuplicate =
    "Documents/Client projects 2023/Northwind Traders annual report/Final deliverables for print "
    "and web/Cover photograph, high resolution, uncompressed master copy.tiff";

// A duplicate kept deep in an archive: its explanation and kept copy run long.
ScanResult withLongDuplicate() {
    const std::string archive = "Documents/Archive of everything before the move/Old laptop "
                                "backup from the summer of 2021/Client projects 2023/Northwind "
                                "Traders annual report/";
    ScanItem copy = found(JunkKind::duplicates, kLongDuplicate, 3'000'000);
    copy.record =
        ScanItem::DuplicateInfo{URL::fileURL(kHome + "/" + archive +
                                             "Cover photograph, high resolution, uncompressed "
                                             "master copy (copy from old laptop).tiff"),
                                2};
    ScanResult result = marketingLike();
    result.items.push_back(copy);
    return result;
}

// In the smallest window the inspector's facts scroll above its buttons, which stay at the
// foot of the pane in the window and in a picture; scrolled down, the Where text shows whole.
TEST(DetailViews, InspectorButtonsStayInReachWhateverTheFactsTake) {
    for (QSize size : {QSize(1100, 720), QSize(1280, 820)})
        for (Appearance appearance : kAppearances) {
            std::string name =
                "inspector-duplicate-" + std::to_string(size.width()) + "-" + nameOf(appearance);
            SCOPED_TRACE(name);
            Theme::Scope scope(appearance);
            DetailModel model(withLongDuplicate());
            Sidebar::openCategory(*model, JunkKind::duplicates);
            RootView root(*model, 0);
            QImage image = picture(root, size, name);
            auto* inspector = root.findChild<Inspector*>();
            ASSERT_TRUE(inspector && inspector->content());
            QRect pane(inspector->mapTo(&root, QPoint()), inspector->size());
            EXPECT_LE(pane.bottom(), root.findChild<PickFooter*>()->mapTo(&root, QPoint()).y());
            for (OutlineButton* button :
                 {inspector->showInFolderButton(), inspector->secondButton()}) {
                QRect shown(button->mapTo(&root, QPoint()), button->size());
                EXPECT_TRUE(button->isVisibleTo(&root));
                EXPECT_TRUE(pane.contains(shown)) << button->text().toStdString();
                // The button's card and its title in ink.
                EXPECT_TRUE(near(at(image, shown.left() + 6, shown.top() + 6),
                                 token(Token::panel, appearance)));
                EXPECT_GT(countNear(image, shown, token(Token::ink, appearance), 60), 40);
            }
            EXPECT_EQ(inspector->secondButton()->text(), "Pick this");
        }

    DetailModel model(withLongDuplicate());
    Sidebar::openCategory(*model, JunkKind::duplicates);
    auto* root = new RootView(*model, 0);
    Shown shown(root, {1100, 720});
    auto* inspector = root->findChild<Inspector*>();
    QScrollArea* area = inspector->scrolling()->scrollArea();
    ASSERT_TRUE(area);
    EXPECT_GT(area->verticalScrollBar()->maximum(), 0) << "the facts are taller than the room";
    area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
    SelectableText* where = inspector->whereText();
    QRect whereShown(where->mapTo(area->viewport(), QPoint()), where->size());
    EXPECT_TRUE(area->viewport()->rect().contains(whereShown));
    EXPECT_TRUE(where->text().endsWith("uncompressed master copy.tiff"));
    keepPicture(Render::widget(*root, root->size()), "inspector-duplicate-scrolled");
    QTest::mouseClick(inspector->secondButton(), Qt::LeftButton);
    takeInChanges();
    EXPECT_TRUE(model->picks().isPicked(model.item(kLongDuplicate)));
}

TEST(DetailViews, PickBoxesPickWithoutMovingTheFocusAndRowsTakeTheFocus) {
    DetailModel model;
    Sidebar::openCategory(*model, JunkKind::caches);
    auto* detail = new CategoryDetail(*model);
    Shown shown(detail, {1100, 720});
    CategoryList* list = detail->list();
    const ScanItem spotify = *detail->rows()->item(0);
    const ScanItem homebrew = *detail->rows()->item(1);

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      centreOf(CategoryRowGeometry::of(list->rowRect(1)).pickBox));
    takeInChanges();
    EXPECT_FALSE(model->picks().isPicked(homebrew));
    EXPECT_EQ(model->focusedItem(), spotify.location);
    EXPECT_EQ(detail->header().countLine, "5 of 6 picked · 4.5 GB");

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      centreOf(CategoryRowGeometry::of(list->rowRect(1)).size));
    takeInChanges();
    EXPECT_EQ(model->focusedItem(), homebrew.location);
    EXPECT_EQ(detail->inspector()->secondButton()->text(), "Pick this");
    QTest::mouseClick(detail->inspector()->secondButton(), Qt::LeftButton);
    takeInChanges();
    EXPECT_TRUE(model->picks().isPicked(homebrew));
    EXPECT_EQ(detail->inspector()->secondButton()->text(), "Keep this");

    // Keys: down moves the focus over the caption into the items left alone; Space picks.
    list->setFocus();
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(list, Qt::Key_Down);
        takeInChanges();
    }
    EXPECT_EQ(model->focusedItem(), detail->rows()->item(7)->location); // Google, in use
    EXPECT_EQ(detail->inspector()->secondButton()->isVisibleTo(detail), false);
    QTest::keyClick(list, Qt::Key_Up);
    takeInChanges();
    QTest::keyClick(list, Qt::Key_Space);
    takeInChanges();
    EXPECT_FALSE(model->picks().isPicked(*detail->rows()->item(5)));

    QTest::mouseClick(detail->pickNoneButton(), Qt::LeftButton);
    takeInChanges();
    EXPECT_EQ(detail->header().countLine, "0 of 6 picked · 0 KB");
    QTest::mouseClick(detail->pickAllButton(), Qt::LeftButton);
    takeInChanges();
    EXPECT_EQ(detail->header().countLine, "6 of 6 picked · 5.7 GB");
}

// What a screen reader hears of a row's verdict is what the inspector shows of it: a Go build
// cache is built again here, a Homebrew cache downloaded again, packages installed again.
TEST(DetailViews, ARowIsReadOutInTheInspectorsWords) {
    ScanResult result;
    result.items = {cache("go-build", 3'000'000, Verdict::rebuilds),
                    cache("Homebrew", 2'000'000, Verdict::rebuilds),
                    found(JunkKind::caches, "Library/Caches/fonts", 1'000'000)};
    DetailModel model(result);
    Sidebar::openCategory(*model, JunkKind::caches);
    auto* detail = new CategoryDetail(*model);
    Shown shown(detail, {1100, 720});
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(detail->list());
    ASSERT_TRUE(list);
    const std::vector<std::string> heard = {"Comes back: yes, when you build again",
                                            "Comes back: yes, downloads again", "Safe to remove"};
    for (int row = 0; row < 3; ++row) {
        const ScanItem& item = *detail->rows()->item(row);
        SCOPED_TRACE(item.location.path());
        const std::string description =
            list->child(row)->text(QAccessible::Description).toStdString();
        EXPECT_NE(description.find(heard[static_cast<size_t>(row)]), std::string::npos)
            << description;
        const std::string inspector = InspectorContent::factsOf(model->catalog(), item)[1].text;
        if (item.baseVerdict == Verdict::rebuilds)
            EXPECT_EQ(
                "Comes back: " + std::string(1, static_cast<char>(std::tolower(inspector[0]))) +
                    inspector.substr(1),
                heard[static_cast<size_t>(row)]);
    }
}

// Assistive technology hears a child per row with the row's words, pick and focus, and can
// pick it or show its details as a click does.
TEST(DetailViews, CategoryRowsAreHeardAndOfferShowDetails) {
    DetailModel model;
    Sidebar::openCategory(*model, JunkKind::caches);
    auto* detail = new CategoryDetail(*model);
    Shown shown(detail, {1100, 720});
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(detail->list());
    ASSERT_TRUE(list);
    ASSERT_EQ(list->childCount(), detail->rows()->rowCount());
    const QString toggle = QAccessibleActionInterface::toggleAction();

    QAccessibleInterface* homebrew = list->child(1);
    ASSERT_TRUE(homebrew && homebrew->actionInterface());
    EXPECT_EQ(homebrew->text(QAccessible::Name).toStdString(), "Homebrew downloads");
    EXPECT_TRUE(
        homebrew->text(QAccessible::Description).contains("Comes back: yes, downloads again"));
    EXPECT_EQ(homebrew->actionInterface()->actionNames(), (QStringList{toggle, "Show details"}));
    EXPECT_TRUE(homebrew->state().checkable && homebrew->state().checked);
    EXPECT_FALSE(homebrew->state().selected);

    homebrew->actionInterface()->doAction("Show details");
    takeInChanges();
    EXPECT_EQ(model->focusedItem(), detail->rows()->item(1)->location);
    EXPECT_TRUE(homebrew->state().selected);
    homebrew->actionInterface()->doAction(toggle);
    takeInChanges();
    EXPECT_FALSE(model->picks().isPicked(*detail->rows()->item(1)));
    EXPECT_FALSE(homebrew->state().checked);

    QAccessibleInterface* caption = list->child(6);
    EXPECT_EQ(caption->text(QAccessible::Name).toStdString(), "Left alone");
    EXPECT_EQ(caption->role(), QAccessible::StaticText);
    QAccessibleInterface* google = list->child(7);
    EXPECT_EQ(google->text(QAccessible::Name).toStdString(), "Google apps");
    EXPECT_EQ(google->actionInterface()->actionNames(), QStringList{"Show details"})
        << "an item in use is left alone: it shows its details but cannot be picked";
    EXPECT_EQ(list->indexOfChild(google), 7);
}

TEST(DetailViews, EmptyCategoriesSayNothingIsThereOrShowTheAccessGuide) {
    ScanResult result = marketingLike();
    result.trashAccess = FolderAccess::blocked;
    std::erase_if(result.items, [](const ScanItem& i) { return i.kind == JunkKind::trash; });
    DetailModel model(result);
    auto* detail = new CategoryDetail(*model);
    Shown shown(detail, {1100, 600});

    Sidebar::openCategory(*model, JunkKind::duplicates);
    takeInChanges();
    EXPECT_TRUE(detail->showsEmptyState());
    EXPECT_FALSE(detail->guide());
    EXPECT_FALSE(detail->pickAllButton()->isVisibleTo(detail));
    EXPECT_EQ(detail->header().countLine, "0 of 0 picked · 0 KB");
    EXPECT_FALSE(detail->inspector()->content());

    Sidebar::openCategory(*model, JunkKind::trash);
    takeInChanges();
    EXPECT_FALSE(detail->showsEmptyState());
    ASSERT_TRUE(detail->guide());
    EXPECT_TRUE(detail->guide()->isVisibleTo(detail));
}

// A page the window put out of sight shows the picks as they are when it comes back.
TEST(DetailViews, AHiddenViewCatchesUpWhenShownAgain) {
    DetailModel model;
    auto* footer = new PickFooter(*model);
    Shown shown(footer, {900, 68});
    footer->hide();
    model->pickAll(JunkKind::caches, false);
    takeInChanges();
    footer->show();
    EXPECT_EQ(footer->content().countLine, "5 of 15 items picked · 6.9 GB");
}

// Counts the paints of some views and everything inside them. These views paint again at
// every refresh, so their paints count their refreshes.
class Paints : public QObject {
public:
    explicit Paints(std::vector<QWidget*> views) : views_(std::move(views)) {
        qApp->installEventFilter(this);
    }
    ~Paints() override { qApp->removeEventFilter(this); }
    int of(QWidget* view) const { return counts_.count(view) ? counts_.at(view) : 0; }
    void reset() { counts_.clear(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            for (QWidget* view : views_)
                if (watched == view || view->isAncestorOf(qobject_cast<QWidget*>(watched)))
                    ++counts_[view];
        return false;
    }

private:
    std::vector<QWidget*> views_;
    std::map<QWidget*, int> counts_;
};

// The overview and a category's list show the scan and its picks: what the tools change
// (a search, the space map, the login items, similar photos, an uninstall notice, the
// shelf's message) does not make them work their long lists out again.
TEST(DetailViews, ScanViewsAreRefreshedOnlyByTheAreasTheyShow) {
    KELVORA_REQUIRE_GUI();
    DetailModel model;
    Sidebar::openCategory(*model, JunkKind::caches);
    QWidget window;
    Snapshot::setSnapshot(&window, true); // still: nothing moves by itself
    auto* detail = new CategoryDetail(*model, &window);
    auto* overview = new OverviewList(*model, &window);
    detail->setGeometry(0, 0, 1100, 720);
    overview->setGeometry(0, 720, 900, 720);
    window.resize(1100, 1440);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    Paints paints({detail, overview});
    QTest::qWait(50);
    paints.reset();

    const URL elsewhere = URL::fileURL("/tmp/elsewhere");
    model->toggleSearchPick(elsewhere);
    model->setMapSelection(elsewhere);
    model->setLoginSelection("agent");
    model->pickAllPhotos(true);
    model->setRemovedAppNotice(AppModel::Notice{"Sketchpad was removed", "It left 1 MB."});
    model->setShelfError("Couldn’t put back notes");
    QTest::qWait(50);
    EXPECT_EQ(paints.of(detail), 0);
    EXPECT_EQ(paints.of(overview), 0);

    model->toggle(model.item("Library/Caches/com.spotify.client"));
    QTest::qWait(50);
    EXPECT_GT(paints.of(detail), 0) << "a pick is theirs to show";
    EXPECT_GT(paints.of(overview), 0);
}

TEST(DetailViews, ClicksOpenCategoriesAndAskForTheCleanUp) {
    DetailModel model;
    auto* sidebar = new DetailSidebar(*model);
    Shown sidebarShown(sidebar, {232, 800});
    QTest::mouseClick(
        sidebar->list(), Qt::LeftButton, {},
        sidebar->list()->rowRect(Sidebar::Destination::category, JunkKind::trash).center());
    EXPECT_EQ(model->category(), JunkKind::trash);
    EXPECT_EQ(model->focusedItem(), model.item(".Trash/Old exports").location);
    takeInChanges();
    for (const Sidebar::Row& row : sidebar->rows())
        EXPECT_EQ(row.selected, row.kind == JunkKind::trash) << row.title;

    auto* overview = new OverviewList(*model);
    Shown overviewShown(overview, {1000, 900});
    OverviewRows* rows = overview->pane()->list();
    QTest::mouseClick(rows, Qt::LeftButton, {}, rows->rowRect(JunkKind::largeFiles).center());
    EXPECT_EQ(model->category(), JunkKind::largeFiles);

    auto* footer = new PickFooter(*model);
    Shown footerShown(footer, {900, 68});
    QTest::mouseClick(footer->button(), Qt::LeftButton);
    EXPECT_TRUE(model->confirmingFreeUp());
    model->setConfirmingFreeUp(false);
    for (JunkKind kind : JunkKinds::allCases())
        model->pickAll(kind, false);
    takeInChanges();
    QTest::mouseClick(footer->button(), Qt::LeftButton);
    EXPECT_FALSE(model->confirmingFreeUp());
}

} // namespace
} // namespace kelvora::testing
