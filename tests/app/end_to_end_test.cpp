// The whole program in-process against a pseudo-terminal mapped as COM1:
// the splash, live channels on the widgets, and the settings file at exit.
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "../serial/pty.h"
#include "app/qt_program.h"
#include "temp_dir.h"

namespace quadrel::testing {
namespace {

QString text(QtProgram& app, const char* name) {
    return app.mainWindow().findChild<QLabel*>(name)->text();
}

struct RunningProgram {
    TempDir dir;
    Pty pty;
    bool ended = false;
    std::unique_ptr<QtProgram> app;

    // The program finds its settings as it does for a user: in $XDG_CONFIG_HOME.
    explicit RunningProgram(const std::string& extraSettings = {}) {
        writeFile(dir / "Quadrel.ini", "[Devices]\nCOM1=" + pty.slavePath() + "\n" + extraSettings);
        const bool wasSet = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
        const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(dir.path().string()));
        app = std::make_unique<QtProgram>(defaultSettingsPath(), [this] { ended = true; });
        if (wasSet)
            qputenv("XDG_CONFIG_HOME", previous);
        else
            qunsetenv("XDG_CONFIG_HOME");
        app->start();
    }
    Program& program() { return app->program(); }
};

TEST(Program, SplashClosesAfterTwoSecondsThenTheWindowOpensThePort) {
    RunningProgram run;
    ASSERT_NE(run.app->aboutDialog(), nullptr);
    EXPECT_TRUE(run.app->aboutDialog()->isVisible());
    EXPECT_TRUE(run.app->aboutDialog()->isModal());
    // The icon made from data/quadrel.svg is built into the program.
    const QPixmap icon = run.app->aboutDialog()->findChild<QLabel*>("picIcon")->pixmap();
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_GT(icon.toImage().pixelColor(16, 20).alpha(), 0);
    EXPECT_FALSE(run.app->mainWindow().isVisible());
    EXPECT_FALSE(run.app->serialPort().PortOpen());

    QTRY_VERIFY_WITH_TIMEOUT(!run.app->aboutDialog()->isVisible(), 5000);
    EXPECT_TRUE(run.program().ui().Timer1.Enabled());  // the watchdog is armed
    EXPECT_TRUE(run.app->mainWindow().isVisible());
    EXPECT_TRUE(run.app->serialPort().PortOpen());
    EXPECT_EQ(text(*run.app, "Label1"), " Comms Port 1: 19200,N,8,1");
}

TEST(Program, ShowsLiveChannelsAndSavesTheChoicesAtExit) {
    RunningProgram run("[Reverse Settings]\nChannel3=1\n");
    run.program().about().cmdOK_Click();  // no need to wait for the splash
    run.app->refresh();
    ASSERT_TRUE(run.app->serialPort().PortOpen());

    // A four-channel interface: the first byte after silence recalibrates.
    std::vector<std::uint8_t> stream;
    for (int frame = 0; frame < 20; ++frame)
        for (std::uint8_t b : {255, 120, 130, 140, 150}) stream.push_back(b);
    ASSERT_TRUE(run.pty.write(stream));

    QTRY_COMPARE_WITH_TIMEOUT(text(*run.app, "In4"), QString("150"), 5000);
    EXPECT_EQ(text(*run.app, "In1"), "120");
    EXPECT_EQ(text(*run.app, "In2"), "130");
    EXPECT_EQ(text(*run.app, "In3"), "140");
    EXPECT_EQ(text(*run.app, "In5"), "-");
    EXPECT_EQ(text(*run.app, "Res1"), "0");
    EXPECT_TRUE(run.app->mainWindow().findChild<QLabel*>("Label11")->isHidden());

    // The user ticks a reverse box and leaves through File > Exit.
    run.program().ui().Check(1).setValue(1);
    emit run.app->mainWindow().exitTriggered();
    EXPECT_TRUE(run.ended);
    EXPECT_FALSE(run.app->serialPort().PortOpen());
    SettingsFile saved(run.dir / "Quadrel.ini");
    EXPECT_EQ(saved.read("Reverse Settings", "Channel1", "?"), "1");
    EXPECT_EQ(saved.read("Reverse Settings", "Channel3", "?"), "1");
    EXPECT_EQ(saved.read("Transmitter", "TX Mode", "?"), "1");
    EXPECT_EQ(saved.read("Devices", "COM1", "?"), run.pty.slavePath());
}

TEST(Program, FileExitEndsTheEventLoopAndSaves) {
    TempDir dir;
    QtProgram app(dir / "Quadrel.ini");  // ends the way the real program does
    app.start();
    app.program().about().cmdOK_Click();
    app.refresh();
    ASSERT_TRUE(app.mainWindow().isVisible());
    QTimer::singleShot(0, &app.mainWindow(), [&app] { emit app.mainWindow().exitTriggered(); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });  // a hang fails, not blocks
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_FALSE(app.mainWindow().isVisible());
    EXPECT_EQ(SettingsFile(dir / "Quadrel.ini").read("Transmitter", "TX Type", "?"), "1");
}

TEST(Program, UnpluggedInterfaceEndsInTheNoSignalState) {
    RunningProgram run;
    run.program().about().cmdOK_Click();
    run.app->refresh();
    ASSERT_TRUE(run.pty.write({255, 10, 20, 30, 40, 255, 10, 20, 30, 40, 255}));
    QTRY_VERIFY_WITH_TIMEOUT(run.app->mainWindow().findChild<QLabel*>("Label11")->isHidden(), 5000);

    run.pty.hangUp();
    QTRY_VERIFY_WITH_TIMEOUT(!run.app->serialPort().PortOpen(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!run.app->mainWindow().findChild<QLabel*>("Label11")->isHidden(), 5000);
    EXPECT_EQ(text(*run.app, "In1"), "-");
    EXPECT_FALSE(run.app->mainWindow().findChild<QLabel*>("Label1")->toolTip().isEmpty());
}

}  // namespace
}  // namespace quadrel::testing
