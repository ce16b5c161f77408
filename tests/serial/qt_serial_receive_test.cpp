// Receiving on a real device: every byte one event, in order, whatever the
// handler does; and a device that goes away while open.
#include <QCoreApplication>
#include <QSignalSpy>

#include <algorithm>
#include <numeric>

#include "serial_port_fixture.h"

namespace quadrel::testing {
namespace {

// --- Receiving ------------------------------------------------------------

TEST_F(QtSerialComponentTest, EveryByteIsOneReceiveEventInOrderAcrossBatches) {
    takeOneBytePerEvent();
    port.setPortOpen(true);
    Bytes all(256);
    std::iota(all.begin(), all.end(), 0);  // every value, CR, LF, XON and XOFF too
    for (std::size_t start = 0; start < all.size(); start += 64) {
        ASSERT_TRUE(pty.write(Bytes(all.begin() + static_cast<std::ptrdiff_t>(start),
                                    all.begin() + static_cast<std::ptrdiff_t>(start + 64))));
        ASSERT_TRUE(waitForBytes(start + 64)) << "received " << received.size();
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.back() == 'b'; }, kTimeoutMs));

    EXPECT_EQ(received, all);
    EXPECT_EQ(events.size(), all.size());
    EXPECT_TRUE(
        std::all_of(events.begin(), events.end(), [](int e) { return e == comm_event::Receive; }));
    // A batch of events, each batch followed by its one "done".
    EXPECT_EQ(log.front(), 'e');
    EXPECT_FALSE(contains(log, "bb")) << log;
    EXPECT_EQ(port.Input(), std::nullopt);
}

TEST_F(QtSerialComponentTest, AByteTheHandlerLeftWaitsForTheNextEventInOrder) {
    bool skipNext = true;
    port.setReceiveHandler([&] {
        if (std::exchange(skipNext, false)) return;  // this event takes nothing
        if (const auto b = port.Input()) received.push_back(*b);
    });
    port.setPortOpen(true);
    ASSERT_TRUE(pty.write({1, 2, 3}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !skipNext; }, kTimeoutMs));
    ASSERT_TRUE(pty.write({4}));
    ASSERT_TRUE(waitForBytes(4));
    EXPECT_EQ(received, (Bytes{1, 2, 3, 4}));
}

TEST_F(QtSerialComponentTest, AHandlerThatTakesNothingIsNotCalledOverAndOver) {
    int calls = 0;
    port.setReceiveHandler([&] {
        if (++calls > 100) port.Input();  // lets a component that insists move on
    });
    port.setPortOpen(true);
    ASSERT_TRUE(pty.write({1, 2, 3}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls > 0; }, kTimeoutMs));
    for (int i = 0; i < 100; ++i) QCoreApplication::processEvents();
    EXPECT_LE(calls, 3);  // at most one per arrival

    Bytes taken;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            if (const auto b = port.Input()) taken.push_back(*b);
            return taken.size() == 3;
        },
        kTimeoutMs));
    EXPECT_EQ(taken, (Bytes{1, 2, 3}));
}

TEST_F(QtSerialComponentTest, AHandlerTakingSeveralBytesPerEventLosesNone) {
    port.setReceiveHandler([&] {
        for (int i = 0; i < 2; ++i)
            if (const auto b = port.Input()) received.push_back(*b);
    });
    port.setPortOpen(true);
    ASSERT_TRUE(pty.write({1, 2, 3, 4, 5}));
    ASSERT_TRUE(waitForBytes(5));
    EXPECT_EQ(received, (Bytes{1, 2, 3, 4, 5}));
}

TEST_F(QtSerialComponentTest, BytesArrivingDuringANestedEventLoopAreDeliveredWithoutReentry) {
    auto* device = port.findChild<QSerialPort*>();
    ASSERT_NE(device, nullptr);
    int depth = 0;
    int maxDepth = 0;
    bool first = true;
    port.setReceiveHandler([&] {
        maxDepth = std::max(maxDepth, ++depth);
        if (std::exchange(first, false)) {
            // More bytes arrive while the handler waits, as in a modal
            // window; Qt announces no arrival while its announcement runs.
            EXPECT_TRUE(pty.write({2, 3}));
            EXPECT_TRUE(QTest::qWaitFor([&] { return device->bytesAvailable() >= 2; }, kTimeoutMs));
        }
        if (const auto b = port.Input()) received.push_back(*b);
        --depth;
    });
    port.setPortOpen(true);
    ASSERT_TRUE(pty.write({1}));
    ASSERT_TRUE(waitForBytes(3)) << "received " << received.size();
    EXPECT_EQ(maxDepth, 1);
    EXPECT_EQ(received, (Bytes{1, 2, 3}));
}

TEST_F(QtSerialComponentTest, ThresholdZeroRaisesNoEventsButKeepsTheBytes) {
    takeOneBytePerEvent();
    port.setRThreshold(0);
    port.setPortOpen(true);
    ASSERT_TRUE(pty.write({9, 8, 7}));
    Bytes taken;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            if (const auto b = port.Input()) taken.push_back(*b);
            return taken.size() == 3;
        },
        kTimeoutMs));
    EXPECT_EQ(taken, (Bytes{9, 8, 7}));
    EXPECT_TRUE(events.empty());
}

TEST_F(QtSerialComponentTest, BytesNobodyTakesAreCappedAndTheOverrunReported) {
    takeOneBytePerEvent();
    port.setRThreshold(0);
    port.setPortOpen(true);
    const Bytes chunk(4096, 0x55);
    std::size_t sent = 0;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            sent += pty.writeSome(chunk);
            return std::find(events.begin(), events.end(), comm_event::RxOver) != events.end();
        },
        kTimeoutMs))
        << "sent " << sent;
    std::size_t kept = 0;
    while (port.Input()) ++kept;
    EXPECT_EQ(kept, 64u * 1024u);
    EXPECT_TRUE(received.empty());  // no receive events below the threshold
}

TEST_F(QtSerialComponentTest, ClosingFromTheHandlerEndsTheEvents) {
    port.setReceiveHandler([&] {
        const auto b = port.Input();
        received.push_back(b.value_or(0));
        if (b == 3) port.setPortOpen(false);
    });
    port.setPortOpen(true);
    ASSERT_TRUE(pty.write({1, 2, 3, 4, 5}));
    ASSERT_TRUE(waitForBytes(3));
    for (int i = 0; i < 100; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(received, (Bytes{1, 2, 3}));
    EXPECT_FALSE(port.PortOpen());
    EXPECT_EQ(port.Input(), std::nullopt);
}

// --- A device that goes away ----------------------------------------------

TEST_F(QtSerialComponentTest, AVanishedDeviceClosesThePortOnceWithoutSpinning) {
    takeOneBytePerEvent();
    QSignalSpy lost(&port, &QtSerialComponent::linkLost);
    port.setPortOpen(true);
    auto* device = port.findChild<QSerialPort*>();
    ASSERT_NE(device, nullptr);
    QSignalSpy deviceErrors(device, &QSerialPort::errorOccurred);

    ASSERT_TRUE(pty.write({1, 2, 3, 4, 5}));
    pty.hangUp();  // mid-stream
    ASSERT_TRUE(QTest::qWaitFor([&] { return lost.count() > 0; }, kTimeoutMs));

    EXPECT_FALSE(port.PortOpen());
    EXPECT_FALSE(device->isOpen());
    EXPECT_TRUE(port.lastError().contains(QString::fromStdString(pty.slavePath())))
        << port.lastError().toStdString();
    EXPECT_EQ(lost.first().at(0).toString(), port.lastError());

    // A port left open on a vanished tty reports an error on every turn of
    // the event loop.
    for (int i = 0; i < 1000; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(lost.count(), 1);
    EXPECT_LT(deviceErrors.count(), 20);
    // A late report from the closed device is no second loss.
    emit device->errorOccurred(QSerialPort::ReadError);
    emit device->errorOccurred(QSerialPort::ResourceError);
    for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(lost.count(), 1);

    // What arrived before the loss came in order.
    const Bytes sent{1, 2, 3, 4, 5};
    ASSERT_LE(received.size(), sent.size());
    EXPECT_TRUE(std::equal(received.begin(), received.end(), sent.begin()));
    EXPECT_EQ(port.Input(), std::nullopt);
    EXPECT_EQ(thrownKind([&] { port.setPortOpen(false); }), Kind::NotOpen);
}

TEST_F(QtSerialComponentTest, AfterALostLinkTheReplacedDeviceOpensAgain) {
    takeOneBytePerEvent();
    QSignalSpy lost(&port, &QtSerialComponent::linkLost);
    port.setPortOpen(true);
    pty.hangUp();
    ASSERT_TRUE(QTest::qWaitFor([&] { return lost.count() > 0; }, kTimeoutMs));

    Pty replugged;
    devices[1] = replugged.slavePath();
    ASSERT_NO_THROW(port.setPortOpen(true));
    ASSERT_TRUE(replugged.write({200, 201}));
    ASSERT_TRUE(waitForBytes(2));
    EXPECT_EQ(received, (Bytes{200, 201}));
    EXPECT_EQ(lost.count(), 1);
}

// --- Naming the system's ports ----------------------------------------------

TEST(SystemDeviceResolver, AConfiguredDeviceIsOpened) {
    Pty pty;
    QtSerialComponent port(systemDeviceResolver({{1, pty.slavePath()}}));
    ASSERT_NO_THROW(port.setPortOpen(true));
    EXPECT_EQ(port.devicePath(), pty.slavePath());
}

TEST(SystemDeviceResolver, PseudoTerminalsAreNotAmongTheSystemsPorts) {
    Pty pty;
    const auto present = presentSerialPorts();
    EXPECT_EQ(std::find(present.begin(), present.end(), pty.slavePath()), present.end());
    for (const auto& path : present) EXPECT_FALSE(path.empty());
}

}  // namespace
}  // namespace quadrel::testing
