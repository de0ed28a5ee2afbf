#include "app/design/Pictures.h"
#include "support/TempDir.h"

#include "design/Design.h"

#include <QAccessible>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace kelvora::testing {
namespace {

// A pane painted in the window background, as every view is.
class Ground : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Theme::ground()); }
};

// Every control in each of its states, laid out on one pane.
struct Gallery {
    Ground root;
    std::array<VerdictBadge*, 5> badges{};
    PickBox* on = new PickBox("Picked item");
    PickBox* off = new PickBox("Unpicked item");
    PickBox* disabledOn = new PickBox("Locked item");
    Meter* half = new Meter(0.5);
    Meter* stub = new Meter(0.0001);
    Meter* over = new Meter(1.7);
    TextLinkButton* link = new TextLinkButton("Pick all", 13);
    SignalButton* signal = new SignalButton("Clean up", 44, 15);
    SignalButton* busy = new SignalButton("Cleaning…", 44, 15);
    InkButton* ink = new InkButton("Got it");
    OutlineButton* outline = new OutlineButton("Cancel", 36, 13);
    Caption* caption = new Caption("Left alone");
    ForecastLine* urgent = new ForecastLine(12.0, 13);
    ForecastLine* calm = new ForecastLine(95.0, 13);
    std::array<DialView*, 3> dials{new DialView, new DialView, new DialView};

    Gallery() {
        auto* layout = new QGridLayout(&root);
        layout->setContentsMargins(24, 24, 24, 24);
        layout->setSpacing(16);
        for (Verdict verdict : Verdicts::allCases()) {
            int i = static_cast<int>(verdict);
            badges[i] = new VerdictBadge(verdict);
            layout->addWidget(badges[i], 0, i, Qt::AlignLeft);
        }
        disabledOn->setOn(true);
        disabledOn->setEnabled(false);
        on->setOn(true);
        layout->addWidget(on, 1, 0);
        layout->addWidget(off, 1, 1);
        layout->addWidget(disabledOn, 1, 2);
        layout->addWidget(caption, 1, 3, 1, 2);
        for (auto [meter, column] : {std::pair{half, 0}, {stub, 1}, {over, 2}}) {
            meter->setFixedWidth(200);
            layout->addWidget(meter, 2, column);
        }
        busy->setBusy(true);
        layout->addWidget(link, 3, 0);
        layout->addWidget(signal, 3, 1);
        layout->addWidget(busy, 3, 2);
        layout->addWidget(ink, 3, 3);
        layout->addWidget(outline, 3, 4);
        layout->addWidget(urgent, 4, 0, 1, 3);
        layout->addWidget(calm, 5, 0, 1, 3);
        dials[0]->setValues(0, 0, 494'380'000'000);
        dials[1]->setValues(0.5, 0.38, 494'380'000'000);
        dials[2]->setValues(0.97, 0.9, 1'000'000'000'000);
        for (int i = 0; i < 3; ++i) {
            dials[i]->setFixedSize(400, 215);
            layout->addWidget(dials[i], 6 + i / 2, (i % 2) * 2, 1, 2);
        }
        Snapshot::setSnapshot(&root, true);
    }

    QImage render() { return Render::widget(root, QSize(1040, 820)); }
    QRectF placeOf(QWidget* widget) const {
        return QRectF(widget->mapTo(&root, QPoint(0, 0)), widget->size());
    }
};

TEST(ControlsTest, GalleryDrawsEveryControlInTheTokensOfBothAppearances) {
    KELVORA_REQUIRE_GUI();
    Fonts::registerFonts(KELVORA_FONTS_DIR);
    for (Appearance appearance : {Appearance::light, Appearance::dark}) {
        Theme::Scope scope(appearance);
        Gallery gallery;
        QImage image = gallery.render();
        keepPicture(image, appearance == Appearance::light ? "gallery-light" : "gallery-dark");
        SCOPED_TRACE(appearance == Appearance::light ? "light" : "dark");

        EXPECT_TRUE(near(at(image, 2, 2), Theme::ground()));

        // Badges: filled, bordered or inverted as their verdict says.
        auto badgeFill = [&](Verdict v) {
            QRectF r = gallery.placeOf(gallery.badges[static_cast<int>(v)]);
            return at(image, r.left() + 3, r.top() + 4);
        };
        auto badgeEdge = [&](Verdict v) {
            QRectF r = gallery.placeOf(gallery.badges[static_cast<int>(v)]);
            return at(image, r.left() + 0.5, r.center().y());
        };
        EXPECT_TRUE(near(badgeFill(Verdict::safe), Theme::chip()));
        EXPECT_TRUE(near(badgeFill(Verdict::rebuilds), Theme::ground()));
        EXPECT_TRUE(near(badgeEdge(Verdict::rebuilds), Theme::line(), 24));
        EXPECT_TRUE(near(badgeFill(Verdict::youDecide), Theme::ground()));
        EXPECT_TRUE(near(badgeEdge(Verdict::youDecide), Theme::signal(), 24));
        EXPECT_TRUE(near(badgeFill(Verdict::inUse), Theme::ink()));
        EXPECT_TRUE(near(badgeFill(Verdict::locked), Theme::ink()));
        QRectF youDecide = gallery.placeOf(gallery.badges[static_cast<int>(Verdict::youDecide)]);
        EXPECT_GT(countNear(image, youDecide.adjusted(4, 4, -4, -4), Theme::signalText(), 40), 10);

        // Pick boxes: a ticked box is ink, an empty one panel, a disabled one faded.
        auto boxInside = [&](PickBox* box) {
            QPointF c = gallery.placeOf(box).center();
            return at(image, c.x() - 5.5, c.y() - 5.5);
        };
        EXPECT_TRUE(near(boxInside(gallery.on), Theme::ink()));
        EXPECT_GT(countNear(image, gallery.placeOf(gallery.on).adjusted(9, 9, -9, -9),
                            Theme::panel(), 40),
                  4)
            << "the check mark";
        EXPECT_TRUE(near(boxInside(gallery.off), Theme::panel()));
        EXPECT_TRUE(
            near(boxInside(gallery.disabledOn), blend(Theme::ink(), Theme::ground(), 0.35)));

        // Meters: half a 200 px track, a 4 px stub, a full track.
        auto meterAt = [&](Meter* meter, qreal x) {
            QRectF r = gallery.placeOf(meter);
            return at(image, r.left() + x, r.center().y());
        };
        EXPECT_TRUE(near(meterAt(gallery.half, 95), Theme::ink()));
        EXPECT_TRUE(near(meterAt(gallery.half, 105), Theme::chip()));
        EXPECT_TRUE(near(meterAt(gallery.stub, 2), Theme::ink()));
        EXPECT_TRUE(near(meterAt(gallery.stub, 6), Theme::chip()));
        EXPECT_TRUE(near(meterAt(gallery.over, 197), Theme::ink()));

        // Buttons carry their fills, and their titles are drawn on them.
        auto fillOf = [&](QWidget* button) {
            QRectF r = gallery.placeOf(button);
            return at(image, r.left() + 6, r.center().y());
        };
        EXPECT_TRUE(near(fillOf(gallery.signal), Theme::signal()));
        EXPECT_TRUE(near(fillOf(gallery.ink), Theme::ink()));
        EXPECT_TRUE(near(fillOf(gallery.outline), Theme::panel()));
        EXPECT_TRUE(near(at(image, gallery.placeOf(gallery.outline).left() + 0.5,
                            gallery.placeOf(gallery.outline).center().y()),
                         Theme::line(), 24));
        EXPECT_GT(countNear(image, gallery.placeOf(gallery.signal), Theme::onSignal(), 30), 40);
        EXPECT_GT(countNear(image, gallery.placeOf(gallery.ink), Theme::panel(), 30), 40);
        EXPECT_GT(countNear(image, gallery.placeOf(gallery.link), Theme::ink(), 30), 40);
        EXPECT_GT(countNear(image, gallery.placeOf(gallery.caption), Theme::faint(), 30), 20);
        QRectF busy = gallery.placeOf(gallery.busy);
        EXPECT_GT(countNear(image, QRectF(busy.left() + 22, busy.top() + 12, 16, 20),
                            Theme::onSignal(), 60),
                  8)
            << "the spinner, left of the title";

        // The forecast: urgent in ink, a distant one muted.
        EXPECT_GT(countNear(image, gallery.placeOf(gallery.urgent), Theme::ink(), 30), 40);
        EXPECT_EQ(countNear(image, gallery.placeOf(gallery.calm), Theme::ink(), 10), 0);
        EXPECT_GT(countNear(image, gallery.placeOf(gallery.calm), Theme::muted(), 30), 40);

        // Dials: an empty one is all track, a half one shows the band to free in the accent.
        auto dialAt = [&](int i, double share) {
            QRectF box = DialGeometry::fittedBox(gallery.placeOf(gallery.dials[i]));
            DialGeometry g = DialGeometry::forSize(box.size());
            QPointF p = g.point(share, g.radius) + box.topLeft();
            return at(image, p.x(), p.y());
        };
        EXPECT_TRUE(near(dialAt(0, 0.25), Theme::track()));
        EXPECT_TRUE(near(dialAt(1, 0.2), Theme::ink()));
        EXPECT_TRUE(near(dialAt(1, 0.44), Theme::signal()));
        EXPECT_TRUE(near(dialAt(1, 0.8), Theme::track()));
        EXPECT_TRUE(near(dialAt(2, 0.935), Theme::signal()));
    }
}

TEST(ControlsTest, TextIsDrawnWithTheFacesLoadedAndWithTheirFallbacks) {
    KELVORA_REQUIRE_GUI();
    kelvora::testing::TempDir empty;
    QImage pictures[2];
    for (bool loaded : {false, true}) {
        QFontDatabase::removeAllApplicationFonts();
        Fonts::registerFonts(QString::fromStdString(loaded ? KELVORA_FONTS_DIR : empty.path()));
        if (loaded && !(Fonts::hasGeist() && Fonts::hasDoto())) {
            GTEST_SKIP() << "the faces were not fetched (scripts/setup)";
        }
        EXPECT_EQ(Fonts::hasGeist() && Fonts::hasDoto(), loaded);
        EXPECT_EQ(QFontInfo(Fonts::text(13)).family(), loaded ? "Geist" : "DejaVu Sans");
        EXPECT_EQ(QFontInfo(Fonts::number(30)).family(), loaded ? "Doto" : "DejaVu Sans Mono");

        Ground pane;
        auto* layout = new QVBoxLayout(&pane);
        layout->addWidget(new Caption("Left alone"));
        auto* link = new TextLinkButton("Pick none", 13);
        layout->addWidget(link);
        auto* button = new SignalButton("Clean up 12.4 GB", 44, 15);
        layout->addWidget(button);
        QImage image = Render::widget(pane, QSize(260, 140));
        keepPicture(image, loaded ? "faces-loaded" : "faces-fallback");
        QRectF linkPlace(link->mapTo(&pane, QPoint()), link->size());
        EXPECT_GT(countNear(image, linkPlace, Theme::ink(), 30), 40);
        QRectF buttonPlace(button->mapTo(&pane, QPoint()), button->size());
        EXPECT_GT(countNear(image, buttonPlace, Theme::onSignal(), 30), 40);
        pictures[loaded] = image;
    }
    EXPECT_NE(pictures[0], pictures[1]) << "the faces change what is drawn";
    QFontDatabase::removeAllApplicationFonts();
    Fonts::registerFonts(KELVORA_FONTS_DIR);
}

TEST(ControlsTest, BadgesReadAsSentencesAndSayThatYouDecideDoesNotComeBackByItself) {
    KELVORA_REQUIRE_GUI();
    const std::pair<Verdict, QString> cases[] = {
        {Verdict::safe, "Safe to remove"},
        {Verdict::rebuilds, "Comes back when it’s needed"},
        {Verdict::youDecide, "Doesn’t come back on its own"},
        {Verdict::inUse, "In use, left alone"},
        {Verdict::locked, "Locked, needs an administrator to remove"},
    };
    VerdictBadge badge(Verdict::safe);
    for (const auto& [verdict, label] : cases) {
        badge.setVerdict(verdict);
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(&badge);
        ASSERT_TRUE(spoken);
        EXPECT_EQ(spoken->text(QAccessible::Name), label);
        EXPECT_NE(spoken->text(QAccessible::Name), VerdictBadge::look(verdict).text);
    }
}

TEST(ControlsTest, PickBoxReportsItsStateAndLeavesFlippingToItsOwner) {
    KELVORA_REQUIRE_GUI();
    Ground window;
    auto* box = new PickBox("Old installer.dmg", &window);
    box->setGeometry(0, 0, 28, 28);
    window.show();
    QSignalSpy toggles(box, &PickBox::clicked);
    QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(box);
    ASSERT_TRUE(spoken);
    EXPECT_EQ(spoken->role(), QAccessible::CheckBox);
    EXPECT_EQ(spoken->text(QAccessible::Name), "Old installer.dmg");
    EXPECT_EQ(spoken->text(QAccessible::Value), "not picked");

    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(2, 2)); // a corner of the 28 px area
    EXPECT_EQ(toggles.count(), 1);
    EXPECT_FALSE(box->isOn()) << "the owner flips the pick, not the box";
    box->setOn(true);
    EXPECT_EQ(spoken->text(QAccessible::Value), "picked");
    EXPECT_TRUE(spoken->state().checked);

    box->setEnabled(false);
    QTest::mouseClick(box, Qt::LeftButton);
    spoken->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(toggles.count(), 1) << "a disabled box ignores clicks";
    EXPECT_EQ(spoken->text(QAccessible::Value), "picked");
}

TEST(ControlsTest, ReturnAndEscapePressTheButtonsGivenThemAndABusyButtonWaits) {
    KELVORA_REQUIRE_GUI();
    Ground window;
    auto* layout = new QVBoxLayout(&window);
    auto* confirm = new SignalButton("Clean up", 44, 15);
    auto* cancel = new OutlineButton("Cancel", 36, 13);
    auto* other = new InkButton("Got it");
    auto* box = new PickBox("Item");
    for (QWidget* w : std::initializer_list<QWidget*>{confirm, cancel, other, box})
        layout->addWidget(w);
    confirm->setKeyRole(KeyRole::confirm);
    cancel->setKeyRole(KeyRole::cancel);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QSignalSpy confirmed(confirm, &QPushButton::clicked), cancelled(cancel, &QPushButton::clicked),
        others(other, &QPushButton::clicked), picked(box, &PickBox::clicked);

    box->setFocus(Qt::TabFocusReason);
    QTest::keyClick(box, Qt::Key_Space);
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(picked.count(), 1);
    EXPECT_EQ(confirmed.count(), 1);
    EXPECT_EQ(cancelled.count(), 1);

    other->setFocus(Qt::TabFocusReason);
    QTest::keyClick(other, Qt::Key_Space);
    EXPECT_EQ(others.count(), 1) << "Space presses the focused button";

    confirm->setBusy(true);
    QTest::keyClick(box, Qt::Key_Enter);
    QTest::mouseClick(confirm, Qt::LeftButton);
    EXPECT_EQ(confirmed.count(), 1) << "a busy button ignores presses";
    EXPECT_EQ(confirm->height(), 44);
    confirm->setBusy(false);
    QTest::keyClick(box, Qt::Key_Enter);
    EXPECT_EQ(confirmed.count(), 2);

    cancel->hide();
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(cancelled.count(), 1) << "a hidden button never answers";
}

TEST(ControlsTest, KeyboardFocusShowsARingThatAClickDoesNot) {
    KELVORA_REQUIRE_GUI();
    for (Appearance appearance : {Appearance::light, Appearance::dark}) {
        Theme::Scope scope(appearance);
        QImage rings = Render::picture(QSize(520, 76), [](QPainter& painter) {
            painter.fillRect(QRectF(0, 0, 520, 76), Theme::ground());
            PickBox::paint(painter, QRectF(16, 24, 28, 28), true, true, true);
            TextLinkButton::paint(painter, QRectF(60, 24, 70, 28), "Pick all", 13, true);
            SignalButton::paint(painter, QRectF(146, 16, 120, 44), "Clean up", 15, false, 0, true);
            InkButton::paint(painter, QRectF(282, 14, 110, 48), "Got it", true);
            OutlineButton::paint(painter, QRectF(408, 20, 96, 36), "Cancel", 13, true);
        });
        keepPicture(rings, appearance == Appearance::light ? "focus-light" : "focus-dark");
        EXPECT_TRUE(near(at(rings, 16 + 14 - 11, 24 + 14), Theme::signal(), 40)) << "pick box";
        EXPECT_TRUE(near(at(rings, 408.8, 38), Theme::signal(), 40)) << "outline button";
        EXPECT_TRUE(near(at(rings, 284.8, 38), Theme::signal(), 40)) << "ink button";
        // A link is rung like the others, clear of its words, which keep their colour.
        const QRectF link(60, 24, 70, 28);
        LinkFocusLook look = linkFocusLook(rings, link, TextLinkButton::ringRect(link),
                                           Theme::signal(), Theme::signalText());
        EXPECT_GT(look.ring, 200) << "link";
        EXPECT_EQ(look.accentText, 0);
        EXPECT_GT(countNear(rings, link, Theme::ink(), 40), 40);
    }

    Ground window;
    auto* button = new OutlineButton("Cancel", 36, 13, &window);
    button->move(10, 10);
    auto* link = new TextLinkButton("Open Kelvora", 13, &window);
    link->move(170, 18);
    window.resize(280, 60);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto edge = [&] { return at(Render::widget(window, window.size()), 10.8, 28); };
    button->clearFocus();
    button->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(near(edge(), Theme::signal(), 40));
    button->clearFocus();
    button->setFocus(Qt::MouseFocusReason);
    EXPECT_TRUE(near(edge(), Theme::panel(), 60)) << "no ring after a click";

    // The link's own rectangle is its text: its ring is drawn around it, beyond it.
    const QRectF text(link->geometry());
    auto linkLook = [&] {
        return linkFocusLook(Render::widget(window, window.size()), text,
                             TextLinkButton::ringRect(text), Theme::signal(), Theme::signalText());
    };
    QTest::keyClick(&window, Qt::Key_Tab);
    ASSERT_TRUE(link->hasFocus());
    EXPECT_GT(linkLook().ring, 200);
    EXPECT_EQ(linkLook().accentText, 0);
    link->move(150, 14);
    EXPECT_GT(linkFocusLook(Render::widget(window, window.size()), QRectF(link->geometry()),
                            TextLinkButton::ringRect(QRectF(link->geometry())), Theme::signal(),
                            Theme::signalText())
                  .ring,
              200)
        << "the ring follows the link";
    link->move(170, 18);
    QTest::keyClick(&window, Qt::Key_Tab);
    EXPECT_FALSE(link->hasFocus());
    EXPECT_EQ(linkLook().ring, 0) << "gone with the focus";
    link->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(linkLook().ring, 0) << "no ring after a click";
}

TEST(ControlsTest, ButtonAndMeterGeometryFollowTheirSizes) {
    KELVORA_REQUIRE_GUI();
    EXPECT_DOUBLE_EQ(SignalButton::cornerRadius(36), 8.64);
    EXPECT_DOUBLE_EQ(SignalButton::sidePadding(36), 18);
    QSizeF idle = SignalButton::idealSize("Clean up", 36, 14, false);
    QSizeF busy = SignalButton::idealSize("Clean up", 36, 14, true);
    EXPECT_EQ(busy.height(), 36);
    EXPECT_DOUBLE_EQ(busy.width() - idle.width(), SignalButton::kSpinner + SignalButton::kSpacing);
    EXPECT_DOUBLE_EQ(InkButton::idealSize("Got it").height(), 48);

    const std::pair<double, qreal> meters[] = {
        {0, 0}, {-0.3, 0}, {0.0001, 4}, {0.5, 150}, {1.7, 300}};
    for (auto [fraction, width] : meters)
        EXPECT_DOUBLE_EQ(Meter::fillWidth(fraction, 300), width) << fraction;
}

TEST(ControlsTest, ABusySpinnerStandsStillInAPicture) {
    KELVORA_REQUIRE_GUI();
    Ground pane;
    auto* button = new SignalButton("Cleaning…", 44, 15, &pane);
    button->setBusy(true);
    button->move(10, 10);
    Snapshot::setSnapshot(&pane, true);
    QImage first = Render::widget(pane, QSize(200, 64));
    QTest::qWait(250);
    EXPECT_EQ(Render::widget(pane, QSize(200, 64)), first);
}

} // namespace
} // namespace kelvora::testing
