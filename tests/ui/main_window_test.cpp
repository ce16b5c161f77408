// The main window as the user sees it: a layout that holds whatever the
// fonts, its keys and menus, every change of a box reaching the program, and
// the core's state on screen.
#include <QtTest>

#include "layout_check.h"
#include "link/link_summary.h"
#include "ui/main_window.h"

namespace quadrel::testing {
namespace {

QWidget* control(const QWidget& window, const char* name) {
    return window.findChild<QWidget*>(name);
}

TEST(MainWindow, LooksAsDesignedWhateverTheFontsAndAnswersItsKeysAndMenus) {
    MainWindow w;
    EXPECT_EQ(w.windowTitle(), "Quadrel");
    ReceiverView cable;
    cable.cableFormat = true;  // the longest caption: "Zhen Hua Cable"
    for (const ReceiverView& v : {ReceiverView{}, cable}) {
        w.render(v, {" Comms Port 4: 19200,N,8,1.5", {}});
        expectTidyLayout(w.centralWidget());
    }
    // Each frame's border runs where the room of its controls begins.
    for (const char* name : {"Frame1", "Frame2", "Frame3"}) {
        QWidget* f = control(w, name);
        const QImage drawn = f->grab().toImage();
        int top = 0;
        while (drawn.pixel(f->width() - 2, top) == f->palette().window().color().rgb()) ++top;
        EXPECT_EQ(top, frameInnerRect(f->size(), f->fontMetrics().height()).top() - 2) << name;
    }
    // Headings in the colours of a text field; the no-signal line in red.
    const QWidget* heading = control(w, "Label10_8");
    EXPECT_TRUE(heading->autoFillBackground() && heading->backgroundRole() == QPalette::Base &&
                heading->foregroundRole() == QPalette::Text);
    EXPECT_EQ(control(w, "Label11")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    // Enter anywhere and the access key click "Ca&librate"; Tab visits the
    // button, the reverse boxes, then the two groups.
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QSignalSpy calibrate(&w, &MainWindow::calibrateClicked);
    QTest::keyClick(control(w, "Check2"), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return calibrate.count() == 1; }, 5000));
    QTest::keyClick(&w, Qt::Key_Enter);
    EXPECT_TRUE(QTest::qWaitFor([&] { return calibrate.count() == 2; }, 5000));
    QTest::keyClick(&w, Qt::Key_L, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return calibrate.count() == 3; }, 5000));
    QStringList order;
    for (QWidget* next = control(w, "Command1"); order.size() < 14; next = next->nextInFocusChain())
        if (next->focusPolicy() & Qt::TabFocus) order << next->objectName();
    EXPECT_EQ(order.join(" "),
              "Command1 Check1 Check2 Check3 Check4 Mode1 Mode2 Mode3 Mode4 "
              "Option1 Option2 Option3 Option4 Option5");
    QStringList items;
    for (QAction* top : w.menuBar()->actions()) {
        items << top->text();
        for (QAction* item : top->menu() ? top->menu()->actions() : QList<QAction*>())
            items << item->text();
    }
    EXPECT_EQ(
        items.join("|"),
        "&File|E&xit|&Settings|&Recalibrate||&Comms...|&Zhen Hua|&Diagnostics|&Link Monitor...|"
        "&Find Settings...|&Joystick|&Output...|&Help|&About...");
}

// Right of the port line, inside the window: the link's verdict in a few
// words with a coloured mark, whole; a click asks the program what to open.
TEST(MainWindow, TheLinksVerdictSitsBesideThePortLine) {
    MainWindow w;
    w.render({}, {" Comms Port 4: 19200,N,8,1.5", {}});
    const QWidget* port = control(w, "Label1");
    const QWidget* panel = control(w, "LinkSummaryPanel");
    EXPECT_EQ(port->pos(), QPoint(3, 360));  // 45 and 5400 twips, as designed
    EXPECT_LT(port->geometry().right(), panel->geometry().left());
    EXPECT_LE(panel->geometry().right(), w.centralWidget()->width() - 1);
    EXPECT_EQ(panel->geometry().top(), port->geometry().top());
    auto* button = w.findChild<QToolButton*>("LinkSummary");
    const std::pair<Verdict, QColor> marks[] = {{Verdict::Good, QColor(0, 255, 0)},
                                                {Verdict::NoFrames, QColor(255, 0, 0)},
                                                {Verdict::PortShared, QColor(255, 191, 0)}};
    for (const auto& [verdict, colour] : marks) {
        LinkReport report;
        report.verdict = verdict;
        report.verdictText = "the evidence";
        w.showLinkSummary(summarizeLink(report, 1));
        EXPECT_EQ(button->accessibleName(), button->text());
        EXPECT_LE(button->sizeHint().width(), button->width()) << button->text().toStdString();
        const QImage mark = button->icon().pixmap(button->iconSize()).toImage();
        EXPECT_EQ(mark.pixelColor(mark.rect().center()), colour) << button->text().toStdString();
        EXPECT_TRUE(button->toolTip().startsWith("the evidence"));
    }
    QSignalSpy clicked(&w, &MainWindow::linkSummaryClicked);
    button->click();
    EXPECT_EQ(clicked.count(), 1);
}

// The mouse, a program call, and the toggle action a screen reader uses.
const std::function<void(QAbstractButton*)> kWaysToChange[] = {
    [](QAbstractButton* b) { b->click(); },
    [](QAbstractButton* b) { b->setChecked(!b->isChecked()); },
    [](QAbstractButton* b) {
        QAccessible::queryAccessibleInterface(b)->actionInterface()->doAction(
            QAccessibleActionInterface::toggleAction());
    }};

TEST(MainWindow, ShowsTheCoresStateAndReportsEveryChangeOfABoxOnce) {
    ReceiverView s;
    s.rows[0] = {.value = 80, .width = kWideRange, .bar = 50};
    s.setup.reverse[1] = ReverseBox::Greyed;
    s.setup.type = TransmitterType::ZhenHua;
    s.sticks.right = {0, 0};  // the top-left corner of its box
    ReceiverView cable = s;
    cable.cableFormat = true;
    for (const auto& change : kWaysToChange) {
        MainWindow w;
        w.render(cable, {});
        // The cable fixes the type: only its own option stays.
        EXPECT_TRUE(control(w, "Option5")->property("checked").toBool());
        for (const char* other : {"Option1", "Option2", "Option3", "Option4"})
            EXPECT_FALSE(control(w, other)->isEnabled()) << other;
        w.render(s, {});
        EXPECT_EQ(qobject_cast<QProgressBar*>(control(w, "ProgressBar1"))->value(), 50);
        EXPECT_EQ(control(w, "Res1")->palette().color(QPalette::Window), QColor(0, 255, 0));
        EXPECT_EQ(control(w, "Res2")->palette().color(QPalette::Window), QColor(255, 0, 0));  // "-"
        EXPECT_EQ(qobject_cast<QCheckBox*>(control(w, "Check2"))->checkState(),
                  Qt::PartiallyChecked);
        EXPECT_EQ(control(w, "Ball1")->pos(), QPoint(96, 16));
        QSignalSpy reverse(&w, &MainWindow::reverseChanged);
        QSignalSpy mode(&w, &MainWindow::modeChosen);
        QSignalSpy type(&w, &MainWindow::typeChosen);
        for (const char* name : {"Check3", "Check3", "Mode4", "Option2"})
            change(qobject_cast<QAbstractButton*>(control(w, name)));
        // Never greyed by the user.
        EXPECT_EQ(reverse, (QList<QVariantList>{{3, QVariant::fromValue(ReverseBox::Ticked)},
                                                {3, QVariant::fromValue(ReverseBox::Clear)}}));
        EXPECT_EQ(mode, QList<QVariantList>{{QVariant::fromValue(StickMode::Four)}});
        EXPECT_EQ(type, QList<QVariantList>{{QVariant::fromValue(TransmitterType::HitecFutaba)}});
        w.render(s, {});  // the program's own state is not taken for a choice
        EXPECT_EQ(reverse.count() + mode.count() + type.count(), 4);
    }
}

// Values, bars and markers are painted by the layers beneath them: what
// reaches the screen after a change is what a fresh paint of the window shows.
TEST(MainWindow, EveryChangeReachesTheScreen) {
    MainWindow w;
    ReceiverView s;
    w.render(s, {});
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    auto onScreen = [&] { return w.screen()->grabWindow(w.winId()).toImage(); };
    auto fresh = [&] { return w.grab().toImage().convertToFormat(onScreen().format()); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return onScreen() == fresh(); }, 5000));
    for (int step = 1; step <= 3; ++step) {
        s.rows[step - 1] = {.value = 40 * step, .width = 20, .bar = 30.0f * step};
        s.sticks.right = {20.0 * step, 10.0 * step};
        s.sticks.left = {15.0 * step, 100.0 - 20 * step};
        w.render(s, {});
        EXPECT_TRUE(QTest::qWaitFor([&] { return onScreen() == fresh(); }, 5000)) << step;
    }
}

}  // namespace
}  // namespace quadrel::testing
