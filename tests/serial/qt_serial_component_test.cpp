// The serial component on pseudo-terminals, which open and read like ports.
#include <sys/stat.h>
#include <unistd.h>

#include <QtTest>

#include <gtest/gtest.h>

#include "pty.h"
#include "serial/qt_serial_component.h"

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

struct QtSerialPort : ::testing::Test {
    Pty pty;
    std::map<int, std::string> devices{{1, pty.slavePath()}, {2, "/dev/none"}, {3, "/dev/null"}};
    QtSerialComponent port{[this](int n) { return devices[n]; }};
    Bytes received;

    void SetUp() override {
        // As the main window takes them: one byte per receive event.
        port.setReceiveHandler([this] {
            if (port.CommEvent() == comm_event::Receive)
                received.push_back(port.Input().value_or(0));
        });
    }
};

TEST_F(QtSerialPort, RefusesWhatItCannotDoReceivesEveryByteInOrderAndLosesTheLinkOnce) {
    port.setSettings("1200,s,5,2");
    EXPECT_EQ(port.Settings(), "1200,S,5,2");
    QtSerialComponent other([this](int) { return pty.slavePath(); });
    const std::tuple<std::function<void()>, std::optional<Kind>, const char*> steps[] = {
        {[&] { port.setSettings("19200,X,8,1"); }, Kind::InvalidValue, "19200,X,8,1"},
        {[&] { port.setCommPort(17); }, Kind::InvalidValue, "COM 17"},
        {[&] { port.setRThreshold(-1); }, Kind::InvalidValue, "RThreshold"},
        {[&] { port.setPortOpen(false); }, Kind::NotOpen, ""},
        {[&] { port.setSettings("19200,N,8,1.5"); }, {}, ""},  // tried when opening
        {[&] { port.setPortOpen(true); }, Kind::InvalidValue, "1.5"},
        {[&] { port.setCommPort(2), port.setPortOpen(true); }, Kind::NotFound, "/dev/none"},
        {[&] { port.setCommPort(3), port.setPortOpen(true); }, Kind::Io, "/dev/null"},
        {[&] { port.setCommPort(1), port.setSettings("19200,N,8,2"); }, {}, ""},
        {[&] { port.setPortOpen(true); }, {}, ""},
        {[&] { port.setPortOpen(true); }, Kind::InvalidValue, ""},
        {[&] { port.setSettings("19200,N,8,1.5"); }, Kind::InvalidValue, "1.5"},
        {[&] { other.setPortOpen(true); }, Kind::Busy, "in use"},
    };
    for (const auto& [action, kind, mentions] : steps) {
        const auto [threw, message] = thrown(action);
        EXPECT_EQ(threw, kind) << message;
        EXPECT_NE(message.find(mentions), std::string::npos) << message;
    }
    // The refusals left the open port as it was. Every byte is one receive
    // event, in order across batches: every value, CR, LF, XON and XOFF too.
    EXPECT_EQ(std::tuple(port.PortOpen(), port.Settings()), std::tuple(true, "19200,N,8,2"));
    Bytes all;
    for (int v = 0; v < 256; ++v) all.push_back(static_cast<std::uint8_t>(v));
    for (std::size_t n = 64; n <= all.size(); n += 64)
        ASSERT_TRUE(pty.write(Bytes(all.begin() + n - 64, all.begin() + n)) &&
                    QTest::qWaitFor([&] { return received.size() == n; }, 5000));
    EXPECT_EQ(received, all);

    QSignalSpy lost(&port, &QtSerialComponent::linkLost);
    ASSERT_TRUE(pty.write({1, 2, 3, 4, 5}));
    pty.hangUp();  // mid-stream, as a pulled-out adapter
    ASSERT_TRUE(QTest::qWaitFor([&] { return lost.count() > 0; }, 5000));
    EXPECT_FALSE(port.PortOpen());
    EXPECT_TRUE(port.lastError().contains(QString::fromStdString(pty.slavePath())));
    EXPECT_EQ(lost.first().at(0).toString(), port.lastError());
    // Neither the event loop nor a late report from the closed device is a second loss.
    for (int i = 0; i < 1000; ++i) QCoreApplication::processEvents();
    emit port.findChild<QSerialPort*>()->errorOccurred(QSerialPort::ResourceError);
    QCoreApplication::processEvents();
    EXPECT_EQ(lost.count(), 1);
    EXPECT_TRUE(std::equal(received.begin() + 256, received.end(), Bytes{1, 2, 3, 4, 5}.begin()));
}

TEST_F(QtSerialPort, ADeviceTheUserMayNotOpenSaysHowToGetPermission) {
    if (::geteuid() == 0) GTEST_SKIP() << "running as root, which may open any device";
    ASSERT_EQ(::chmod(pty.slavePath().c_str(), 0), 0);
    const auto [kind, message] = thrown([&] { port.setPortOpen(true); });
    EXPECT_EQ(kind, Kind::PermissionDenied);
    EXPECT_NE(message.find("sudo usermod -aG dialout $USER"), std::string::npos) << message;
}

}  // namespace
}  // namespace quadrel::testing
