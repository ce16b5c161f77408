// The whole program with COM1 on a pseudo-terminal, as the user meets it.
#include <QtWidgets>

#include "frames/frame_window.h"
#include "harness.h"
#include "running_program.h"
#include "ui/cable_dialog.h"

namespace quadrel::testing {
namespace {

QWidget* control(RunningProgram& run, const char* name) {
    return run.app->mainWindow().findChild<QWidget*>(name);
}

QString text(RunningProgram& run, const char* name) {
    return control(run, name)->property("text").toString();
}

// A transmitter on the line: `frame` every 22 ms while the test runs, so
// that neither the watchdog nor a calibration leaves the rows empty.
struct Transmitter {
    Transmitter(Pty& pty, Bytes frame) : frame(std::move(frame)) {
        QObject::connect(&timer, &QTimer::timeout, [this, &pty] { pty.write(this->frame); });
        timer.start(22);
    }
    Bytes frame;
    QTimer timer;
};

TEST(EndToEnd, LiveValuesBehindThePortDialogTheCableWindowAndExitSavingTheChoices) {
    RunningProgram run("[Reverse Settings]\nChannel3=1\n");
    Transmitter tx(run.pty, bytes({255, 120, 130, 140, 150}));
    PortSettingsDialog* dialog = run.openPortSettings();
    ASSERT_SOON(text(run, "In4") == "150");
    EXPECT_EQ(text(run, "In1") + text(run, "In3") + text(run, "In5") + text(run, "Res1"),
              "120140-0");
    EXPECT_TRUE(dialog->isVisible() && dialog->isModal());  // it stayed in front
    QTest::keyClick(dialog, Qt::Key_Escape);
    // Frames keep the watchdog from running out, through the calibration
    // that follows the dialog.
    EXPECT_FALSE(QTest::qWaitFor([&] { return control(run, "Label11")->isVisible(); }, 1500));

    // A Zhen Hua cable brings up its window; a standard interface takes it down.
    auto cableShown = [&] {
        const CableDialog* d = run.app->cableWindow().dialog();
        return d && d->isVisible();
    };
    tx.frame = bytes({239, reverseBits(100), reverseBits(120), reverseBits(140), reverseBits(160)});
    ASSERT_SOON(cableShown());
    EXPECT_EQ(text(run, "Option5"), "Zhen Hua Cable");
    EXPECT_FALSE(control(run, "Option1")->isEnabled());
    ASSERT_SOON(text(run, "In1") == "100");  // bits put back in order

    tx.frame = bytes({255, 120, 130, 140, 150});
    ASSERT_SOON(!cableShown());
    EXPECT_EQ(text(run, "Option5"), "Zhen Hua");
    EXPECT_TRUE(control(run, "Option1")->isEnabled());
    ASSERT_SOON(text(run, "In1") == "120");
    tx.timer.stop();

    for (const char* choice : {"Check1", "Mode3", "Option4"})
        qobject_cast<QAbstractButton*>(control(run, choice))->click();
    QObject guard;
    QTimer::singleShot(0, &guard,
                       [&] { run.app->mainWindow().findChild<QAction*>("FExit")->trigger(); });
    QTimer::singleShot(kWaitMs, &guard, [] { QCoreApplication::exit(1); });  // a hang fails
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_FALSE(run.app->mainWindow().isVisible() || run.app->serialPort().isOpen());
    for (const char* line : {"Channel1=1\n", "Channel3=1\n", "TX Mode=3\n", "TX Type=4\n"})
        EXPECT_NE(run.settingsText().find(line), std::string::npos) << run.settingsText();
}

TEST(EndToEnd, StartsAfterTheSplashArmsTheWatchdogAndEndsInNoSignalWhenPulledOut) {
    RunningProgram run({}, false);
    AboutDialog* splash = run.app->aboutDialog();
    ASSERT_TRUE(splash && splash->isVisible() && splash->isModal());
    EXPECT_FALSE(run.app->mainWindow().isVisible() || run.app->serialPort().isOpen() ||
                 run.program().receiver().watchdog().running());
    ASSERT_SOON(!splash->isVisible());
    EXPECT_TRUE(run.program().receiver().watchdog().running());
    EXPECT_TRUE(run.app->mainWindow().isVisible() && run.app->serialPort().isOpen());
    EXPECT_EQ(text(run, "Label1"), " Comms Port 1: 19200,N,8,1");
    ASSERT_TRUE(run.pty.write(repeated(bytes({255, 10, 20, 30, 40}), 3)));
    ASSERT_SOON(text(run, "In1") == "10");
    run.pty.hangUp();
    ASSERT_SOON(!run.app->serialPort().isOpen() && control(run, "Label11")->isVisible());
    EXPECT_EQ(text(run, "In1"), "-");
    EXPECT_TRUE(
        control(run, "Label1")->toolTip().contains(QString::fromStdString(run.pty.slavePath())));
}

}  // namespace
}  // namespace quadrel::testing
