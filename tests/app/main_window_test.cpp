// The main window as the user sees it: captions, places, keys, and that it
// shows what the core holds.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "ui/design_frame.h"
#include "ui/main_window.h"

namespace quadrel {
namespace {

template <typename T = QWidget>
T* control(const QWidget& window, const char* name) {
    T* w = window.findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

TEST(MainWindowLayout, CaptionsTooltipsAndNames) {
    MainWindow w;
    EXPECT_EQ(w.windowTitle(), "Quadrel");
    EXPECT_EQ(control<QLabel>(w, "Label16")->text(), "PPM In");
    EXPECT_EQ(control<QLabel>(w, "Label47")->text(), "Res");
    EXPECT_EQ(control<QLabel>(w, "Label2")->text(), "Rev");
    EXPECT_EQ(control<QPushButton>(w, "Command1")->text(), "Ca&librate");
    EXPECT_EQ(control<QPushButton>(w, "Command1")->toolTip(), "Calibrate signal");
    EXPECT_EQ(control<QGroupBox>(w, "Frame2")->title(), "Mode");
    EXPECT_EQ(control<QGroupBox>(w, "Frame2")->toolTip(), "Transmitter mode");
    EXPECT_EQ(control<QGroupBox>(w, "Frame1")->title(), "Transmitter");
    EXPECT_EQ(control<QGroupBox>(w, "Frame1")->toolTip(), "Transmitter type");
    EXPECT_EQ(control<QGroupBox>(w, "Frame3")->title(), "Stick Position");
    EXPECT_EQ(control<QRadioButton>(w, "Option4")->text(), "Sanwa/Airtronics");
    EXPECT_EQ(control<QRadioButton>(w, "Mode3")->text(), "Mode 3");
    EXPECT_EQ(control<QLabel>(w, "Label11")->text(), "No PPM signal present...");
    EXPECT_EQ(control<QLabel>(w, "Label11")->toolTip(), "Indicates that no interface is detected");
    for (int k = 1; k <= 8; ++k) {
        const QString n = QString::number(k);
        EXPECT_EQ(control<QLabel>(w, qPrintable("Label10_" + n))->text(), "Channel " + n);
        EXPECT_EQ(control<QLabel>(w, qPrintable("In" + n))->toolTip(), "PPM Data");
        EXPECT_EQ(control<QLabel>(w, qPrintable("Res" + n))->toolTip(), "Channel resolution");
        EXPECT_EQ(control<QProgressBar>(w, qPrintable("ProgressBar" + n))->toolTip(), "Channel movement");
    }
    EXPECT_EQ(control<QCheckBox>(w, "Check4")->toolTip(), "Normal/Reverse selection");
    EXPECT_EQ(w.findChild<QCheckBox*>("Check5"), nullptr);

    // Every named control carries its name for assistive tools too.
    for (const char* name : {"In1", "Res8", "ProgressBar3", "Check2", "Mode4", "Option5", "Ball1",
                             "Ball2", "Label11", "Label1", "Command1"})
        EXPECT_EQ(control(w, name)->accessibleDescription(), name);
    EXPECT_EQ(control(w, "Command1")->accessibleName(), "Calibrate");
}

TEST(MainWindowLayout, DesignPositionsAtNinetySixDotsPerInch) {
    MainWindow w;
    EXPECT_EQ(w.centralWidget()->size(), QSize(411, 379));  // 6165 x 5685 twips
    EXPECT_EQ(control(w, "In3")->geometry(), QRect(88, 88, 49, 17));
    EXPECT_EQ(control(w, "ProgressBar8")->geometry(), QRect(144, 208, 153, 17));
    EXPECT_EQ(control(w, "Res1")->geometry(), QRect(304, 40, 33, 17));
    EXPECT_EQ(control(w, "Command1")->geometry(), QRect(184, 8, 65, 25));
    EXPECT_EQ(control(w, "Frame3")->geometry(), QRect(224, 232, 177, 105));
    EXPECT_EQ(control(w, "Ball1")->geometry(), QRect(125, 45, 10, 10));  // centred in its box
    EXPECT_EQ(control(w, "Label1")->geometry(), QRect(3, 360, 409, 17));
}

// Key presses go to the active window.
void showActive(QWidget& w) {
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
}

TEST(MainWindowKeys, EnterAnywhereClicksCalibrate) {
    MainWindow w;
    showActive(w);
    QSignalSpy calibrate(&w, &MainWindow::calibrateClicked);
    auto* check = control<QCheckBox>(w, "Check2");
    check->setFocus();
    QTest::keyClick(check, Qt::Key_Return);
    QTRY_COMPARE(calibrate.count(), 1);
    QTest::keyClick(&w, Qt::Key_Enter);
    QTRY_COMPARE(calibrate.count(), 2);
}

TEST(MainWindowKeys, TabVisitsButtonReverseBoxesThenTheTwoGroups) {
    MainWindow w;
    QStringList order;
    QWidget* first = control(w, "Command1");
    QWidget* next = first;
    do {
        if (next->focusPolicy() & Qt::TabFocus) order << next->objectName();
        next = next->nextInFocusChain();
    } while (next != first && order.size() < 20);
    EXPECT_EQ(order.mid(0, 14),
              (QStringList{"Command1", "Check1", "Check2", "Check3", "Check4", "Mode1", "Mode2", "Mode3",
                           "Mode4", "Option1", "Option2", "Option3", "Option4", "Option5"}));
}

TEST(MainWindowKeys, MenusCarryTheirAccessKeys) {
    MainWindow w;
    QStringList titles;
    for (QAction* a : w.menuBar()->actions()) titles << a->text();
    EXPECT_EQ(titles, (QStringList{"&File", "&Settings", "&Zhen Hua", "&Help"}));
    EXPECT_EQ(w.findChild<QAction*>("FExit")->text(), "E&xit");
    EXPECT_EQ(w.findChild<QAction*>("SCal")->text(), "&Recalibrate");
    EXPECT_EQ(w.findChild<QAction*>("CMenu")->text(), "&Comms...");
    EXPECT_EQ(w.findChild<QAction*>("AMenu")->text(), "&About...");

    showActive(w);
    QSignalSpy calibrate(&w, &MainWindow::calibrateClicked);
    QTest::keyClick(&w, Qt::Key_L, Qt::AltModifier);
    QTRY_COMPARE(calibrate.count(), 1);
}

TEST(MainWindowRendering, ShowsTheCoresState) {
    MainWindow w;
    MainWindowState s;
    s.In(1).Caption = "120";
    s.Res(1).Caption = "143";
    s.Res(1).BackColor = kGreen;
    s.ProgressBar(1).Value = 50;
    s.Check(2).setValue(2);
    s.Mode.setValue(2, true);
    s.Option.setValue(5, true);
    s.Option.setCaption(5, kZhenHuaCableCaption);
    s.Option.setEnabled(1, false);
    s.Label11.Visible = false;
    s.Label1.Caption = "Unable to open COM 3!";
    s.Label1ToolTip = "no such port";
    s.Ball1 = {1440.0f, 240.0f};
    w.render(s);

    EXPECT_EQ(control<QLabel>(w, "In1")->text(), "120");
    EXPECT_EQ(control<QLabel>(w, "Res1")->text(), "143");
    EXPECT_EQ(control<QLabel>(w, "Res1")->palette().color(QPalette::Window), QColor(0, 255, 0));
    EXPECT_EQ(control<QLabel>(w, "Res2")->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(control<QProgressBar>(w, "ProgressBar1")->value(), 50);
    EXPECT_EQ(control<QCheckBox>(w, "Check2")->checkState(), Qt::PartiallyChecked);
    EXPECT_TRUE(control<QRadioButton>(w, "Mode2")->isChecked());
    EXPECT_TRUE(control<QRadioButton>(w, "Option5")->isChecked());
    EXPECT_EQ(control<QRadioButton>(w, "Option5")->text(), "Zhen Hua Cable");
    EXPECT_FALSE(control<QRadioButton>(w, "Option1")->isEnabled());
    EXPECT_TRUE(control<QLabel>(w, "Label11")->isHidden());
    EXPECT_EQ(control<QLabel>(w, "Label1")->text(), "Unable to open COM 3!");
    EXPECT_EQ(control<QLabel>(w, "Label1")->toolTip(), "no such port");
    EXPECT_EQ(control(w, "Ball1")->pos(), QPoint(96, 16));
}

// The ways a check box or option button can change: the mouse, a test or
// program call, and the toggle action a screen reader uses.
enum class Change { Click, SetChecked, AccessibleToggle };

void change(QAbstractButton* b, Change how) {
    switch (how) {
        case Change::Click: b->click(); break;
        case Change::SetChecked: b->setChecked(!b->isChecked()); break;
        case Change::AccessibleToggle: {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(b);
            ASSERT_NE(a, nullptr);
            ASSERT_NE(a->actionInterface(), nullptr);
            a->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
            break;
        }
    }
}

class MainWindowInput : public ::testing::TestWithParam<Change> {};

TEST_P(MainWindowInput, EveryChangeIsReportedAndRenderingDoesNotEchoIt) {
    MainWindow w;
    w.render(MainWindowState{});
    QSignalSpy reverse(&w, &MainWindow::reverseChanged);
    QSignalSpy mode(&w, &MainWindow::modeChosen);
    QSignalSpy type(&w, &MainWindow::typeChosen);

    change(control<QCheckBox>(w, "Check3"), GetParam());
    EXPECT_EQ(reverse.value(0), (QVariantList{3, 1}));
    change(control<QCheckBox>(w, "Check3"), GetParam());
    EXPECT_EQ(reverse.value(1), (QVariantList{3, 0}));  // never greyed by the user
    change(control<QRadioButton>(w, "Mode4"), GetParam());
    EXPECT_EQ(mode.value(0), (QVariantList{4}));
    change(control<QRadioButton>(w, "Option2"), GetParam());
    EXPECT_EQ(type.value(0), (QVariantList{2}));

    MainWindowState s;
    s.Check(1).setValue(1);
    s.Mode.setValue(3, true);
    s.Option.setValue(5, true);
    w.render(s);
    EXPECT_EQ(reverse.count() + mode.count() + type.count(), 4);
}

INSTANTIATE_TEST_SUITE_P(Ways, MainWindowInput,
                         ::testing::Values(Change::Click, Change::SetChecked, Change::AccessibleToggle));

// What goes wrong when fonts differ from the design: captions cut, controls
// poking out of their frame, headings in the wrong colours.
TEST(MainWindowLayout, CaptionsFitAndFramesHoldTheirControls) {
    MainWindow w;
    MainWindowState cable;
    cable.Option.setCaption(5, kZhenHuaCableCaption);
    for (const MainWindowState& s : {MainWindowState{}, cable}) {
        w.render(s);
        for (QWidget* c : w.centralWidget()->findChildren<QWidget*>()) {
            QString text;
            int room = c->width();
            if (auto* label = qobject_cast<QLabel*>(c)) {
                text = label->text();
                room = label->contentsRect().width();
            } else if (auto* button = qobject_cast<QAbstractButton*>(c)) {
                text = button->text().remove('&');
                if (!qobject_cast<QPushButton*>(c)) room = c->width() - (c->sizeHint().width() -
                                                                           c->fontMetrics().horizontalAdvance(text));
            }
            if (c->objectName() == "Label1") continue;  // the status line's text changes at run time
            EXPECT_LE(c->fontMetrics().horizontalAdvance(text), room) << c->objectName().toStdString();
        }
    }
    for (const char* name : {"Frame1", "Frame2", "Frame3"}) {
        auto* frame = control(w, name);
        const QRect inner = frameInnerRect(frame->size(), frame->fontMetrics().height());
        const QRect title(0, 0, frame->fontMetrics().horizontalAdvance(qobject_cast<QGroupBox*>(frame)->title()) + 10,
                          frame->fontMetrics().height());
        for (QWidget* c : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            EXPECT_TRUE(inner.contains(c->geometry())) << c->objectName().toStdString();
            EXPECT_FALSE(title.intersects(c->geometry())) << c->objectName().toStdString();
        }
        // The border is drawn where the inner rectangle says, half a text line down.
        const QImage drawn = frame->grab().toImage();
        const QRgb background = frame->palette().color(QPalette::Window).rgb();
        int borderTop = 0;
        while (borderTop < drawn.height() && drawn.pixel(frame->width() - 2, borderTop) == background) ++borderTop;
        EXPECT_EQ(borderTop, inner.top() - 2) << name;
    }
    EXPECT_EQ(control(w, "Shape4")->geometry(), QRect(96, 16, 67, 67));  // at its design place in the frame
    for (QString name : {"Label16", "Label47", "Label2", "Label10_1", "Label10_8"}) {
        auto* heading = control(w, qPrintable(name));
        EXPECT_EQ(heading->backgroundRole(), QPalette::Base) << name.toStdString();
        EXPECT_EQ(heading->foregroundRole(), QPalette::Text) << name.toStdString();
        EXPECT_TRUE(heading->autoFillBackground()) << name.toStdString();
    }
}

}  // namespace
}  // namespace quadrel
