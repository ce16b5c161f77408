// A port that comes back: the device behind the mapped path goes away and
// a new one appears at the same path (a link the test controls, as udev's
// by-id links are); the program reopens it with the same settings and says
// meanwhile why nothing arrives.
#include <QTest>

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "app/qt_program.h"
#include "harness.h"
#include "pty.h"
#include "temp_dir.h"

namespace quadrel::testing {
namespace {

constexpr int kWaitMs = 5000;

struct Reconnect : ::testing::Test {
    TempDir dir;
    std::filesystem::path link = dir / "ttyPPM";
    std::unique_ptr<Pty> pty = std::make_unique<Pty>();
    void pointLinkAt(const Pty& p) {
        std::filesystem::remove(link);
        std::filesystem::create_symlink(p.slavePath(), link);
    }
};

TEST_F(Reconnect, TheLostDeviceIsReopenedAtItsPathAndDataFlowsAgain) {
    pointLinkAt(*pty);
    writeFile(dir / "Quadrel.ini",
              "[Devices]\nCOM1=" + link.string() + "\n[Port Settings]\nSettings=9600,N,8,1\n");
    QtProgram app(dir / "Quadrel.ini", [] {});
    app.start();
    app.program().about().cmdOK_Click();
    app.refresh();
    ASSERT_TRUE(app.serialPort().PortOpen())
        << app.program().ui().Label1ToolTip << app.program().ui().Label1.Caption.str();
    const auto caption = [&] { return app.program().ui().In(1).Caption.str(); };
    const Bytes frame{255, 11, 22, 33, 44, 55, 66, 77, 88};
    ASSERT_TRUE(pty->write(frame + frame + frame));
    ASSERT_TRUE(QTest::qWaitFor([&] { return caption() == "11"; }, kWaitMs));

    pty.reset();  // unplugged
    const auto away = [&] {
        return app.program().ui().Label1ToolTip.find("went away") != std::string::npos;
    };
    ASSERT_TRUE(QTest::qWaitFor(away, kWaitMs));
    EXPECT_FALSE(app.serialPort().PortOpen());
    EXPECT_EQ(app.program().link().report(app.now()).verdict, Verdict::PortAway);

    // The same adapter plugged in again: a new device behind the same path.
    Pty back;
    pointLinkAt(back);
    ASSERT_TRUE(QTest::qWaitFor([&] { return app.serialPort().PortOpen(); }, kWaitMs));
    EXPECT_EQ(app.serialPort().Settings(), "9600,N,8,1");
    EXPECT_TRUE(app.program().ui().Label1ToolTip.empty());
    const Bytes other{255, 99, 98, 97, 96, 95, 94, 93, 92};
    ASSERT_TRUE(back.write(other + other + other));
    EXPECT_TRUE(QTest::qWaitFor([&] { return caption() == "99"; }, kWaitMs)) << caption();
}

TEST_F(Reconnect, ADeviceAtAnotherPathIsNotTaken) {
    pointLinkAt(*pty);
    std::map<int, std::string> devices{{1, link.string()}};
    QtSerialComponent port([&](int n) { return devices[n]; });
    port.setSettings("19200,N,8,1");
    port.setPortOpen(true);
    pty.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !port.PortOpen(); }, kWaitMs));
    Pty elsewhere;  // a new device, but the mapped path stays empty
    std::filesystem::remove(link);
    QTest::qWait(1200);  // the watch looks twice a second
    EXPECT_FALSE(port.PortOpen());
    // The user's own open is not held up by the watch.
    devices[1] = elsewhere.slavePath();
    port.setPortOpen(true);
    EXPECT_TRUE(port.PortOpen());
}

}  // namespace
}  // namespace quadrel::testing
