// The serial port on pseudo-terminals, which open and read like ports.
#include <sys/stat.h>
#include <unistd.h>

#include <QtTest>

#include <gtest/gtest.h>

#include "pty.h"
#include "serial/qt_serial_port.h"

namespace quadrel::testing {
namespace {

using Kind = SerialError::Kind;
using Bytes = std::vector<std::uint8_t>;

// The kind and message of what `action` threw; no kind when nothing.
std::pair<std::optional<Kind>, std::string> thrown(const std::function<void()>& action) {
    try {
        action();
    } catch (const SerialError& e) {
        return {e.kind(), e.what()};
    }
    return {};
}

struct QtSerialPortTest : ::testing::Test {
    Pty pty;
    std::map<int, std::string> devices{{1, pty.slavePath()}, {2, "/dev/none"}, {3, "/dev/null"}};
    quadrel::QtSerialPort port{[this](int n) { return devices[n]; }};
    Bytes received;

    void SetUp() override {
        port.setReadHandler([this](std::span<const std::uint8_t> bytes) {
            received.insert(received.end(), bytes.begin(), bytes.end());
        });
    }
};

TEST_F(QtSerialPortTest, RefusesWhatItCannotDoReceivesEveryByteInOrderAndLosesTheLinkOnce) {
    const LineSettings twoStop{19200, Parity::None, 8, StopBits::Two};
    LineSettings oneAndAHalf = twoStop;
    oneAndAHalf.stopBits = StopBits::OneAndHalf;
    quadrel::QtSerialPort other([this](int) { return pty.slavePath(); });
    const std::tuple<std::function<void()>, std::optional<Kind>, const char*> steps[] = {
        {[&] {
             port.setLine({19200, Parity::None, 9, StopBits::One});
         },
         Kind::InvalidValue, "19200,N,9,1"},
        {[&] { port.setPortNumber(17); }, Kind::InvalidValue, "COM 17"},
        {[&] { port.close(); }, Kind::NotOpen, ""},
        {[&] { port.setLine(oneAndAHalf); }, {}, ""},  // tried when opening
        {[&] { port.open(); }, Kind::InvalidValue, "1.5"},
        {[&] { port.setPortNumber(2), port.open(); }, Kind::NotFound, "/dev/none"},
        {[&] { port.setPortNumber(3), port.open(); }, Kind::Io, "/dev/null"},
        {[&] { port.setPortNumber(1), port.setLine(twoStop); }, {}, ""},
        {[&] { port.open(); }, {}, ""},
        {[&] { port.open(); }, Kind::InvalidValue, ""},
        {[&] { port.setPortNumber(2); }, Kind::InvalidValue, "while the port is open"},
        {[&] { port.setLine(oneAndAHalf); }, Kind::InvalidValue, "1.5"},
        {[&] { other.open(); }, Kind::Busy, "in use"},
    };
    for (const auto& [action, kind, mentions] : steps) {
        const auto [threw, message] = thrown(action);
        EXPECT_EQ(threw, kind) << message;
        EXPECT_NE(message.find(mentions), std::string::npos) << message;
    }
    // The refusals left the open port as it was. Every byte arrives, in
    // order across reads: every value, CR, LF, XON and XOFF too.
    EXPECT_EQ(std::tuple(port.isOpen(), port.portNumber(), port.line()),
              std::tuple(true, 1, twoStop));
    Bytes all;
    for (int v = 0; v < 256; ++v) all.push_back(static_cast<std::uint8_t>(v));
    for (std::size_t n = 64; n <= all.size(); n += 64)
        ASSERT_TRUE(pty.write(Bytes(all.begin() + n - 64, all.begin() + n)) &&
                    QTest::qWaitFor([&] { return received.size() == n; }, 5000));
    EXPECT_EQ(received, all);

    QSignalSpy lost(&port, &quadrel::QtSerialPort::linkLost);
    ASSERT_TRUE(pty.write({1, 2, 3, 4, 5}));
    pty.hangUp();  // mid-stream, as a pulled-out adapter
    ASSERT_TRUE(QTest::qWaitFor([&] { return lost.count() > 0; }, 5000));
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(port.lastError().contains(QString::fromStdString(pty.slavePath())));
    EXPECT_EQ(lost.first().at(0).toString(), port.lastError());
    // Neither the event loop nor a late report from the closed device is a second loss.
    for (int i = 0; i < 1000; ++i) QCoreApplication::processEvents();
    emit port.findChild<QSerialPort*>()->errorOccurred(QSerialPort::ResourceError);
    QCoreApplication::processEvents();
    EXPECT_EQ(lost.count(), 1);
    EXPECT_TRUE(std::equal(received.begin() + 256, received.end(), Bytes{1, 2, 3, 4, 5}.begin()));
}

TEST_F(QtSerialPortTest, ADeviceTheUserMayNotOpenSaysHowToGetPermission) {
    if (::geteuid() == 0) GTEST_SKIP() << "running as root, which may open any device";
    ASSERT_EQ(::chmod(pty.slavePath().c_str(), 0), 0);
    const auto [kind, message] = thrown([&] { port.open(); });
    EXPECT_EQ(kind, Kind::PermissionDenied);
    EXPECT_NE(message.find("sudo usermod -aG dialout $USER"), std::string::npos) << message;
}

}  // namespace
}  // namespace quadrel::testing
