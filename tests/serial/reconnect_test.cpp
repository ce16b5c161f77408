// A port that comes back: the device behind the mapped path goes away and
// a new one appears at the same path (a link the test controls, as udev's
// by-id links are); the program reopens it with the same settings and says
// meanwhile why nothing arrives.
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTest>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
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
    app.program().aboutOk(app.now());
    app.refresh();
    ASSERT_TRUE(app.serialPort().isOpen())
        << app.program().status().tooltip << app.program().status().text;
    const auto channel1 = [&] { return app.program().receiver().view().rows[0].value; };
    const Bytes frame{255, 11, 22, 33, 44, 55, 66, 77, 88};
    ASSERT_TRUE(pty->write(frame + frame + frame));
    ASSERT_TRUE(QTest::qWaitFor([&] { return channel1() == 11; }, kWaitMs));

    pty.reset();  // unplugged
    const auto away = [&] {
        return app.program().status().tooltip.find("went away") != std::string::npos;
    };
    ASSERT_TRUE(QTest::qWaitFor(away, kWaitMs));
    EXPECT_FALSE(app.serialPort().isOpen());
    EXPECT_EQ(app.program().link().report(app.now().count()).verdict, Verdict::PortAway);

    // The same adapter plugged in again: a new device behind the same path.
    Pty back;
    pointLinkAt(back);
    ASSERT_TRUE(QTest::qWaitFor([&] { return app.serialPort().isOpen(); }, kWaitMs));
    EXPECT_EQ(formatLineSettings(app.serialPort().line()), "9600,N,8,1");
    EXPECT_TRUE(app.program().status().tooltip.empty());
    const Bytes other{255, 99, 98, 97, 96, 95, 94, 93, 92};
    ASSERT_TRUE(back.write(other + other + other));
    EXPECT_TRUE(QTest::qWaitFor([&] { return channel1() == 99; }, kWaitMs));
}

// A port another program holds at start is tried again until it is free,
// and the status line then shows it; a second reader through a link to the
// same device is refused as busy.
TEST_F(Reconnect, APortInUseAtStartOpensOnceFree) {
    pointLinkAt(*pty);
    auto holder = std::make_unique<QtSerialPort>([&](int) { return pty->slavePath(); });
    holder->open();
    writeFile(dir / "Quadrel.ini", "[Devices]\nCOM1=" + link.string() + "\n");
    QtProgram app(dir / "Quadrel.ini", [] {});
    app.start();
    app.program().aboutOk(app.now());
    app.refresh();
    EXPECT_EQ(app.program().status().text, "Unable to open COM 1!");
    EXPECT_NE(app.program().status().tooltip.find("in use"), std::string::npos)
        << app.program().status().tooltip;
    holder.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return app.serialPort().isOpen(); }, kWaitMs));
    EXPECT_EQ(app.program().status().text, " Comms Port 1: 19200,N,8,1");
    EXPECT_TRUE(app.program().status().tooltip.empty());
}

// Another program reading the same device takes bytes, which Qt reports as
// failed reads: while the device is there, that is said, not taken for an
// unplugged adapter, and reading goes on.
TEST_F(Reconnect, ASecondReaderIsNotAnUnplug) {
    // The exclusive open that keeps other programs out does not hold for root.
    const int other = ::open(pty->slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (other < 0) GTEST_SKIP() << "the port cannot be opened twice here: " << std::strerror(errno);
    // The other reader is told of bytes before the port is, since it asked
    // first, and takes them all: the port, told next, finds nothing.
    QSocketNotifier thief(other, QSocketNotifier::Read);
    QObject::connect(&thief, &QSocketNotifier::activated, [other] {
        char buffer[64];
        while (::read(other, buffer, sizeof buffer) > 0) {
        }
    });
    QtSerialPort port([&](int) { return pty->slavePath(); });
    std::size_t received = 0;
    port.setReadHandler([&](std::span<const std::uint8_t> bytes) { received += bytes.size(); });
    port.open();
    QSignalSpy lost(&port, &QtSerialPort::linkLost);
    QSignalSpy shared(&port, &QtSerialPort::sharedReader);
    ASSERT_TRUE(pty->write({255, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !shared.isEmpty(); }, kWaitMs));
    thief.setEnabled(false);
    ::close(other);
    ASSERT_FALSE(shared.isEmpty());
    EXPECT_TRUE(shared.first().at(0).toString().startsWith("another program is reading COM 1"));
    EXPECT_TRUE(lost.isEmpty());
    EXPECT_TRUE(port.isOpen());
    const std::size_t before = received;
    ASSERT_TRUE(pty->write({9, 9, 9}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return received >= before + 3; }, kWaitMs));
}

}  // namespace
}  // namespace quadrel::testing
