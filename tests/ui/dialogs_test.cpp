// The port settings, About and cable windows: layout, picks, keys, close
// boxes, one window of each, and the cable's wiring.
#include "layout_check.h"
#include "running_program.h"
#include "ui/cable_diagram.h"
#include "ui/cable_dialog.h"

namespace quadrel::testing {
namespace {

QWidget* child(const QWidget* window, const char* name) {
    return window->findChild<QWidget*>(name);
}

TEST(Windows, HaveTheirTitlesATidyLayoutTheirKeysAndCloseBoxesAndTheRightWiring) {
    RunningProgram run;
    MainWindow& main = run.app->mainWindow();
    PortSettingsDialog* port = run.openPortSettings();
    QTest::keyClick(port, Qt::Key_Escape);
    emit main.aboutTriggered();
    AboutDialog* about = run.app->aboutDialog();
    EXPECT_EQ(child(about, "Label1")->property("text"), "Version 1.2.2");
    emit main.zhenHuaTriggered();
    QPointer<CableDialog> cable = run.app->cableWindow().dialog();
    for (auto [window, title] : {std::pair<QWidget*, const char*>{port, "Port Settings"},
                                 {about, "About"},
                                 {cable, "Zhen Hua Cable"}}) {
        EXPECT_EQ(window->windowTitle(), title);
        expectTidyLayout(window);
    }
    // The cable window stays one window, hidden by its keys, discarded by its close box.
    emit main.zhenHuaTriggered();
    EXPECT_EQ(run.app->cableWindow().dialog(), cable);
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape, Qt::Key_Space}) {  // Space clicks
        emit main.aboutTriggered();
        QTest::keyClick(child(about, "cmdOK"), key);
        emit main.zhenHuaTriggered();
        QTest::keyClick(child(cable, "Command1"), key);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_FALSE(cable.isNull()) << key;
        EXPECT_FALSE(about->isVisible() || cable->isVisible()) << key;
    }
    cable->show();
    cable->close();
    ASSERT_SOON(cable.isNull());
    emit main.zhenHuaTriggered();
    EXPECT_TRUE(run.app->cableWindow().dialog()->isVisible());
    // Its wiring: each wire, by colour, from its DB9 pin to its S-Video pin.
    auto onPin = [](const char* name, int x, int y) {
        const auto& pin = *std::find_if(cable::kShapes.begin(), cable::kShapes.end(),
                                        [&](auto& s) { return std::string_view(name) == s.name; });
        const double r = pin.width / 2.0, dx = x - pin.left - r, dy = y - pin.top - r;
        return dx * dx + dy * dy <= r * r;
    };
    // DB9 pins 5, 3, 2, 7 to the S-Video pins, and pin 4 as the alternative.
    const std::pair<Rgb, const char*> ends[] = {
        {kGreen, "Shape8"},  {kGreen, "Shape3"},  {kRed, "Shape10"},
        {kRed, "Shape2"},    {kWhite, "Shape11"}, {kWhite, "Shape4"},
        {kBlack, "Shape15"}, {kBlack, "Shape5"},  {kRed, "Shape9"}};
    for (auto [colour, pin] : ends)
        EXPECT_TRUE(std::any_of(cable::kLines.begin(), cable::kLines.end(), [&](auto& l) {
            return l.colour == colour && (onPin(pin, l.x1, l.y1) || onPin(pin, l.x2, l.y2));
        })) << pin;
}

TEST(PortSettingsWindow, TakesPicksHoweverMadeEscKeepsThemDefaultAndCloseBoxResetEnterApplies) {
    RunningProgram run;
    PortSettingsDialog* d = run.openPortSettings();
    auto shown = [&] {  // as the program has them: each refresh renders them again
        run.app->refresh();
        QStringList out;
        for (auto* list : run.app->portSettingsDialog()->findChildren<QComboBox*>())
            out << list->currentText();
        for (auto* box : run.app->portSettingsDialog()->findChildren<QCheckBox*>())
            out << (box->isChecked() ? "ticked" : "clear");
        return out;  // Combo1 to Combo5, Check1 and Check2
    };
    // Keys, a program or an assistive tool pick; a click or a screen reader ticks.
    for (const char* name : {"Combo5", "Combo1", "Combo2"})
        QTest::keyClick(child(d, name), Qt::Key_End);
    for (const char* name : {"Combo3", "Combo4"})
        qobject_cast<QComboBox*>(child(d, name))->setCurrentIndex(1);
    QTest::mouseClick(child(d, "Check2"), Qt::LeftButton);
    QAccessible::queryAccessibleInterface(child(d, "Check1"))
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::toggleAction());
    const QStringList picks{"19200", "S", "5", "1.5", "4", "clear", "ticked"};
    EXPECT_EQ(shown(), picks);
    QTest::keyClick(d, Qt::Key_Escape);
    EXPECT_FALSE(d->isVisible());
    run.openPortSettings();
    EXPECT_EQ(shown(), picks);
    QTest::mouseClick(child(d, "Command3"), Qt::LeftButton);  // "&Default"
    EXPECT_EQ(shown(), QStringList({"19200", "N", "8", "1", "4", "ticked", "clear"}));
    d->close();  // the close box: the next showing loads the port's values
    EXPECT_EQ(run.app->portSettingsDialog(), nullptr);
    d = run.openPortSettings();
    EXPECT_EQ(shown(), QStringList({"19200", "N", "8", "1", "1", "ticked", "clear"}));
    QTest::keyClick(child(d, "Combo1"), Qt::Key_Up);  // 9600
    QTest::keyClick(child(d, "Combo1"), Qt::Key_Return);
    EXPECT_FALSE(d->isVisible());
    EXPECT_NE(run.settingsText().find("Settings=9600,N,8,1\n"), std::string::npos);
    EXPECT_TRUE(run.program().receiver().delayedCalibration().running());
}

}  // namespace
}  // namespace quadrel::testing
