// The port settings dialog and the cable window on screen: their controls,
// the keys that close them, and that each exists once.
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include "ui/cable_dialog.h"
#include "running_program.h"

namespace quadrel::testing {
namespace {

QStringList entries(const QComboBox* combo) {
    QStringList out;
    for (int i = 0; i < combo->count(); ++i) out << combo->itemText(i);
    return out;
}

template <typename Widget>
QString caption(QWidget* parent, const char* name) {
    const auto* w = parent->findChild<Widget*>(name);
    return w ? w->text() : QString("<no %1>").arg(name);
}

// --- Port settings dialog --------------------------------------------------

TEST(PortSettingsWindow, ShowsItsControlsWhereTheyBelongInTabOrder) {
    RunningProgram run;
    PortSettingsDialog* d = run.openPortSettings();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(d->windowTitle(), "Port Settings");
    EXPECT_EQ(d->size(), QSize(207, 212));
    EXPECT_LE((d->frameGeometry().center() - run.app->mainWindow().frameGeometry().center()).manhattanLength(), 4);

    const std::pair<const char*, const char*> labels[] = {
        {"Label2", "Port"}, {"Label1", "Baud Rate"}, {"Label4", "Data Bits"}, {"Parity", "Parity"}, {"Label3", "Stop Bits"}};
    for (const auto& [name, text] : labels) EXPECT_EQ(caption<QLabel>(d, name), text) << name;
    EXPECT_EQ(caption<QCheckBox>(d, "Check1"), "RTS Enable");
    EXPECT_EQ(caption<QCheckBox>(d, "Check2"), "DTR Enable");
    EXPECT_EQ(caption<QPushButton>(d, "Command1"), "&Ok");
    EXPECT_EQ(caption<QPushButton>(d, "Command2"), "&Close");
    EXPECT_EQ(caption<QPushButton>(d, "Command3"), "&Default");
    EXPECT_EQ(run.portControl("Command1")->geometry(), QRect(16, 176, 73, 25));
    EXPECT_EQ(run.portControl("Combo4")->geometry(), QRect(112, 112, 81, 21));
    EXPECT_EQ(run.portControl("Command3")->geometry(), QRect(112, 24, 73, 25));

    EXPECT_EQ(entries(run.portControl<QComboBox>("Combo5")), QStringList({"1", "2", "3", "4"}));
    EXPECT_EQ(entries(run.portControl<QComboBox>("Combo1")), QStringList({"9600", "19200"}));
    EXPECT_EQ(entries(run.portControl<QComboBox>("Combo4")), QStringList({"1", "1.5", "2"}));
    EXPECT_EQ(run.portControl<QComboBox>("Combo1")->currentText(), "19200");
    EXPECT_TRUE(run.portControl<QCheckBox>("Check1")->isChecked());

    QStringList order;
    QWidget* w = run.portControl("Combo5");
    do {
        if (w->focusPolicy() & Qt::TabFocus) order << w->objectName();
        w = w->nextInFocusChain();
    } while (w != run.portControl("Combo5"));
    EXPECT_EQ(order, QStringList({"Combo5", "Combo1", "Combo3", "Combo2", "Combo4", "Command1", "Command2",
                                  "Check1", "Check2", "Command3"}));
}

TEST(PortSettingsWindow, EveryListTakesTheUsersPick) {
    RunningProgram run;
    run.openPortSettings();
    for (const char* name : {"Combo1", "Combo2", "Combo3", "Combo4", "Combo5"}) {
        auto* combo = run.portControl<QComboBox>(name);
        EXPECT_TRUE(combo->isEnabled()) << name;
        EXPECT_FALSE(combo->isEditable()) << name;
    }
    const PortSettingsForm& form = run.program().portSettings();
    const std::pair<const char*, const DropDownList*> lists[] = {
        {"Combo1", &form.Combo1}, {"Combo2", &form.Combo2}, {"Combo3", &form.Combo3},
        {"Combo4", &form.Combo4}, {"Combo5", &form.Combo5}};
    for (const auto& [name, list] : lists) {
        auto* combo = run.portControl<QComboBox>(name);
        QTest::keyClick(combo, Qt::Key_Home);
        EXPECT_EQ(list->ListIndex(), 0) << name;
        QTest::keyClick(combo, Qt::Key_End);
        EXPECT_EQ(list->ListIndex(), combo->count() - 1) << name;
        EXPECT_EQ(combo->currentIndex(), combo->count() - 1) << name;
        combo->setCurrentIndex(1);  // as assistive tools set it
        EXPECT_EQ(list->ListIndex(), 1) << name;
    }
    QTest::mouseClick(run.portControl("Check2"), Qt::LeftButton);
    EXPECT_EQ(form.Check2.Value(), 1);
    // A screen reader's toggle reaches the program and survives the next render.
    QAccessible::queryAccessibleInterface(run.portControl("Check1"))
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(form.Check1.Value(), 0);
    run.app->refresh();
    EXPECT_FALSE(run.portControl<QCheckBox>("Check1")->isChecked());
}

TEST(PortSettingsWindow, EnterAppliesAndEscClosesKeepingThePicks) {
    RunningProgram run;
    run.openPortSettings();
    QTest::keyClick(run.portControl("Combo1"), Qt::Key_Up);  // 9600
    QTest::keyClick(run.portControl("Combo1"), Qt::Key_Return);
    EXPECT_FALSE(run.app->portSettingsDialog()->isVisible());
    EXPECT_NE(run.settingsText().find("Settings=9600,N,8,1\n"), std::string::npos);
    EXPECT_TRUE(run.program().ui().Timer2.Enabled());

    run.openPortSettings();
    QTest::keyClick(run.portControl("Combo3"), Qt::Key_Up);  // 7 data bits
    QTest::keyClick(run.portControl("Combo3"), Qt::Key_Escape);
    EXPECT_FALSE(run.app->portSettingsDialog()->isVisible());
    EXPECT_NE(run.settingsText().find("Settings=9600,N,8,1\n"), std::string::npos);

    run.openPortSettings();
    EXPECT_EQ(run.portControl<QComboBox>("Combo3")->currentText(), "7");
}

TEST(PortSettingsWindow, CloseBoxDiscardsItAndTheNextShowingStartsFromThePort) {
    RunningProgram run;
    run.openPortSettings();
    QTest::keyClick(run.portControl("Combo5"), Qt::Key_End);
    run.app->portSettingsDialog()->close();
    EXPECT_EQ(run.app->portSettingsDialog(), nullptr);
    EXPECT_TRUE(run.program().ui().Timer2.Enabled());

    PortSettingsDialog* again = run.openPortSettings();
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->isVisible());
    EXPECT_EQ(run.portControl<QComboBox>("Combo5")->currentText(), "1");
}

TEST(PortSettingsWindow, TellsWhichDeviceAPortOpensAndWhyItFailed) {
    RunningProgram run("COM2=/dev/quadrel-no-such-adapter\n");
    run.openPortSettings();
    auto* ports = run.portControl<QComboBox>("Combo5");
    EXPECT_EQ(ports->itemData(0, Qt::ToolTipRole).toString(), QString::fromStdString(run.pty.slavePath()));
    EXPECT_EQ(ports->itemData(1, Qt::ToolTipRole).toString(), "/dev/quadrel-no-such-adapter");
    auto* line = run.portControl<QLabel>("PortDevice");
    EXPECT_EQ(line->toolTip(), QString("COM 1 opens %1").arg(QString::fromStdString(run.pty.slavePath())));

    QTest::keyClick(ports, Qt::Key_Down);
    EXPECT_EQ(line->toolTip(), "COM 2 opens /dev/quadrel-no-such-adapter");
    QTest::keyClick(ports, Qt::Key_Return);
    ASSERT_EQ(run.program().ui().Label1.Caption.str(), "Unable to open COM 2!");

    // The whole reason shows, wrapped under the buttons; the window grows
    // for it and returns to its designed size for a port that did not fail.
    PortSettingsDialog* d = run.openPortSettings();
    auto* why = run.portControl<QLabel>("PortFailure");
    EXPECT_TRUE(line->isVisible());
    ASSERT_TRUE(why->isVisible());
    const QString reason = QString::fromStdString(run.program().ui().Label1ToolTip);
    EXPECT_TRUE(reason.contains("/dev/quadrel-no-such-adapter") && reason.contains("no such device"))
        << reason.toStdString();
    EXPECT_EQ(why->text(), reason);
    EXPECT_GE(why->height(), why->heightForWidth(why->width()));
    EXPECT_GE(why->y(), run.portControl("Command1")->geometry().bottom());
    EXPECT_EQ(d->height(), why->geometry().bottom() + 1 + 16);
    EXPECT_EQ(entries(ports), QStringList({"1", "2", "3", "4"}));

    QTest::keyClick(ports, Qt::Key_Up);
    EXPECT_FALSE(why->isVisible());
    EXPECT_EQ(d->size(), QSize(207, 212));
}

// --- Cable window ----------------------------------------------------------

TEST(CableWindow, ShowsTheWiringNotesWhereTheyBelong) {
    RunningProgram run;
    emit run.app->mainWindow().zhenHuaTriggered();
    CableDialog* d = run.app->cableWindow().dialog();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->parentWidget(), nullptr);
    EXPECT_FALSE(d->isModal());
    EXPECT_EQ(d->windowTitle(), "Zhen Hua Cable");
    EXPECT_EQ(d->size(), QSize(255, 344));
    EXPECT_EQ(d->pos(), QPoint(39, 226));

    const std::pair<const char*, const char*> texts[] = {
        {"Label5", "ZHEN HUA Type Tx Cable"}, {"Label9", "Note:"}, {"Label10", "Set baudrate to 19200 baud"},
        {"Label7", "5"}, {"Label6", "1"}, {"Label8", "Alternative"}, {"Label2", "DB9"}, {"Label1", "S-Video"},
        {"Label3", "Female"}, {"Label4", "As seen from the solder side of all connectors"}};
    for (const auto& [name, text] : texts) EXPECT_EQ(caption<QLabel>(d, name), text) << name;
    EXPECT_TRUE(caption<QLabel>(d, "Label11").startsWith("Please note that this cable will only work correct in FMS"));
    EXPECT_EQ(caption<QPushButton>(d, "Command1"), "Close");
    EXPECT_EQ(d->findChild<QWidget*>("Command1")->geometry(), QRect(96, 312, 65, 25));
    EXPECT_EQ(d->findChild<QWidget*>("Label11")->geometry(), QRect(16, 240, 217, 57));

    const auto* title = d->findChild<QLabel*>("Label5");
    EXPECT_DOUBLE_EQ(title->font().pointSizeF(), 13.5);
    EXPECT_FALSE(title->font().bold());
    const auto* note = d->findChild<QLabel*>("Label9");
    EXPECT_TRUE(note->font().bold() && note->font().underline());
    const auto* drivers = d->findChild<QLabel*>("Label11");
    EXPECT_TRUE(drivers->wordWrap());
    EXPECT_EQ(drivers->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(d->findChild<QLabel*>("Label8")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

TEST(CableWindow, StaysOneWindowAndEnterEscAndCloseHideIt) {
    RunningProgram run;
    emit run.app->mainWindow().zhenHuaTriggered();
    CableDialog* d = run.app->cableWindow().dialog();
    emit run.app->mainWindow().zhenHuaTriggered();
    EXPECT_EQ(run.app->cableWindow().dialog(), d);
    int cableWindows = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) cableWindows += qobject_cast<CableDialog*>(w) != nullptr;
    EXPECT_EQ(cableWindows, 1);

    // Hidden, not discarded: a discarded window is gone once deletions run.
    QPointer<CableDialog> kept(d);
    auto flushDeletions = [] { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); };
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        d->show();
        QTest::keyClick(d->findChild<QWidget*>("Command1"), key);
        flushDeletions();
        ASSERT_FALSE(kept.isNull()) << key;
        EXPECT_FALSE(d->isVisible()) << key;
    }
    d->show();
    QTest::mouseClick(d->findChild<QWidget*>("Command1"), Qt::LeftButton);
    flushDeletions();
    ASSERT_FALSE(kept.isNull());
    EXPECT_FALSE(d->isVisible());
}

TEST(CableWindow, CloseBoxDiscardsItAndTheNextShowingCreatesItAgain) {
    RunningProgram run;
    emit run.app->mainWindow().zhenHuaTriggered();
    QPointer<CableDialog> first = run.app->cableWindow().dialog();
    first->close();
    QTRY_VERIFY_WITH_TIMEOUT(first.isNull(), kWaitMs);

    emit run.app->mainWindow().zhenHuaTriggered();
    ASSERT_NE(run.app->cableWindow().dialog(), nullptr);
    EXPECT_TRUE(run.app->cableWindow().dialog()->isVisible());
}

}  // namespace
}  // namespace quadrel::testing
