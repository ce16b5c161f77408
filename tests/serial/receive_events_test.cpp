// The receive path: which serial events read a byte, what an empty or failed
// read puts into the frame window, the Zhen Hua bit mirror, and when a byte
// reaching the oldest position starts a frame.
#include <gtest/gtest.h>

#include "frames.h"

namespace quadrel::testing {
namespace {

const std::vector<std::string> kAllAbsent(8, "-");

// ---------------------------------------------------------------- events

class NonReceiveEvent : public ::testing::TestWithParam<int> {};

TEST_P(NonReceiveEvent, ChangesNothingAndLeavesTheByteWaiting) {
    // Once in the no-signal state (a byte would wake the window up) and once
    // while frames are being shown.
    for (bool running : {false, true}) {
        MainFormHarness h;
        if (running) {
            h.wakeUp();
            h.receive(standardFrame({10, 20, 30, 40, 50, 60, 70, 80}) + bytes({255}));
        }
        h.port.feed(bytes({255}));
        const FormSnapshot before = snapshot(h);

        h.port.event = GetParam();
        h.form.MSComm1_OnComm();

        EXPECT_EQ(snapshot(h), before) << "running=" << running;
        EXPECT_EQ(h.port.pending.size(), 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    LineAndErrorEvents, NonReceiveEvent,
    ::testing::Values(comm_event::Break, comm_event::CDTO, comm_event::CTSTO, comm_event::DSRTO,
                      comm_event::Frame, comm_event::Overrun, comm_event::RxOver, comm_event::RxParity,
                      comm_event::TxFull, comm_event::DCB, comm_event::CD, comm_event::CTS, comm_event::DSR,
                      comm_event::Ring, comm_event::Send, comm_event::EOF_,
                      // codes the port never reports
                      0, 8, 1005, -1));

TEST(ReceiveEvent, TakesExactlyOneByte) {
    MainFormHarness h;
    h.wakeUp();
    h.port.feed(bytes({11, 22, 33}));
    h.form.MSComm1_OnComm();
    EXPECT_EQ(h.port.pending.size(), 2u);
    EXPECT_EQ(h.form.frameWindow()[9], 11);
    EXPECT_EQ(h.form.frameWindow()[8], 0);
}

TEST(ReceiveEvent, EmptyReadPushesZero) {
    MainFormHarness h;
    h.wakeUp();
    h.receive({1, 2, 3, 4, 5, 6, 7, 8, 9});
    const auto restarts = h.ui().Timer1.starts();

    h.form.MSComm1_OnComm();  // nothing waiting

    EXPECT_EQ(windowCells(h.form), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 0}));
    EXPECT_EQ(h.ui().Timer1.starts(), restarts + 1);  // a byte that completes no frame
}

TEST(ReceiveEvent, FailingReadPushesZeroAndLosesNothing) {
    MainFormHarness h;
    h.wakeUp();
    h.receive({1, 2, 3, 4, 5, 6, 7, 8, 9});
    h.port.feed(bytes({77}));
    h.port.failNextInput = true;

    h.form.MSComm1_OnComm();
    EXPECT_EQ(windowCells(h.form), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 0}));

    h.form.MSComm1_OnComm();
    EXPECT_EQ(windowCells(h.form), (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 0, 77}));
}

TEST(ReceiveEvent, EmptyReadInTheNoSignalStateWakesTheWindowUp) {
    MainFormHarness h;
    ASSERT_TRUE(h.ui().Label11.Visible);
    h.form.MSComm1_OnComm();
    EXPECT_FALSE(h.ui().Label11.Visible);
    EXPECT_TRUE(h.ui().Timer2.Enabled());
}

TEST(ReceiveEvent, WakeUpLeavesNineZerosAndTheNewByte) {
    MainFormHarness h;
    h.wakeUp();
    h.receive(repeated(bytes({255}), 10));
    h.form.Timer1_Timer();  // signal lost
    ASSERT_TRUE(h.ui().Label11.Visible);

    h.receive({42});

    EXPECT_FALSE(h.ui().Label11.Visible);
    EXPECT_EQ(windowCells(h.form), (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 42}));
    EXPECT_EQ(h.inCaptions(), kAllAbsent);
    EXPECT_EQ(h.form.channelRange(1), (ChannelRange{1000, 0}));
}

// ------------------------------------------------------------ bit mirror

// The cable's mirror, worked out bit weight by bit weight.
int mirrorByThresholds(int value) {
    int result = 0;
    const int weights[] = {128, 64, 32, 16, 8, 4, 2, 1};
    for (int i = 0; i < 8; ++i) {
        if (value > weights[i] - 1) {
            result += 1 << i;
            value -= weights[i];
        }
    }
    return result;
}

TEST(ReverseBits, KnownValues) {
    EXPECT_EQ(ReverseBits(1), 128);
    EXPECT_EQ(ReverseBits(128), 1);
    EXPECT_EQ(ReverseBits(239), 247);
    EXPECT_EQ(ReverseBits(247), 239);
    EXPECT_EQ(ReverseBits(0), 0);
    EXPECT_EQ(ReverseBits(255), 255);
    EXPECT_EQ(ReverseBits(0x0F), 0xF0);
    EXPECT_EQ(ReverseBits(0x5A), 0x5A);
}

TEST(ReverseBits, MirrorsEveryByteAndUndoesItself) {
    for (int v = 0; v <= 255; ++v) {
        const auto b = static_cast<std::uint8_t>(v);
        EXPECT_EQ(ReverseBits(b), mirrorByThresholds(v)) << v;
        EXPECT_EQ(ReverseBits(ReverseBits(b)), b) << v;
    }
}

// --------------------------------------------------------- classification

struct Classification {
    int oldest;
    std::vector<std::string> shown;
    bool cableWindow;
    bool restartsWatchdog;
};

class OldestByte : public ::testing::TestWithParam<Classification> {};

TEST_P(OldestByte, DecidesTheFrameKind) {
    const Classification& c = GetParam();
    MainFormHarness h;
    h.wakeUp();
    h.receive(bytes({c.oldest, 11, 12, 13, 14, 15, 16, 17, 18}));
    const auto restarts = h.ui().Timer1.starts();

    h.receive({19});  // brings c.oldest to position 0

    EXPECT_EQ(h.inCaptions(), c.shown);
    EXPECT_EQ(h.cable.visible, c.cableWindow);
    EXPECT_EQ(h.ui().Timer1.starts() != restarts, c.restartsWatchdog);
}

const std::vector<std::string> kStandard{"11", "12", "13", "14", "15", "16", "17", "18"};
const std::vector<std::string> kVariant{"12", "13", "14", "15", "16", "17", "18", "19"};
const std::vector<std::string> kZhenHua{"11", "12", "13", "14", "-", "-", "-", "-"};

INSTANTIATE_TEST_SUITE_P(ByValue, OldestByte,
                         ::testing::Values(Classification{0, kAllAbsent, false, true},
                                           Classification{128, kAllAbsent, false, true},
                                           Classification{238, kAllAbsent, false, true},
                                           Classification{239, kZhenHua, true, true},
                                           Classification{240, kVariant, false, false},
                                           Classification{247, kVariant, false, false},
                                           Classification{254, kVariant, false, false},
                                           Classification{255, kStandard, false, false}));

TEST(FrameWindow, NeverWrittenCellsNeverLookLikeASync) {
    MainFormHarness h;
    EXPECT_EQ(windowCells(h.form), std::vector<int>(10, 0));
    // The first 255 wakes the window up; eight more fill it, and still only
    // the never-written cell is at position 0.
    for (int i = 1; i <= 9; ++i) {
        const auto restarts = h.ui().Timer1.starts();
        h.receive({255});
        EXPECT_EQ(h.inCaptions(), kAllAbsent) << "byte " << i;
        EXPECT_EQ(h.ui().Timer1.starts(), restarts + 1) << "byte " << i;
    }
    h.receive({255});  // the first 255 reaches position 0: all channels absent
    EXPECT_EQ(h.form.frameWindow()[0], 255);
    EXPECT_EQ(h.form.channelRange(2).Max, 255);
}

TEST(FrameWindow, A255IsDecodedNineEventsAfterItArrived) {
    MainFormHarness h;
    h.wakeUp();
    h.receive({255});  // event n
    for (int i = 1; i <= 8; ++i) {
        h.receive({i * 10});
        EXPECT_EQ(text(h.ui().In(1).Caption), "-") << "event n+" << i;
    }
    h.receive({90});  // event n+9
    EXPECT_EQ(windowCells(h.form), (std::vector<int>{255, 10, 20, 30, 40, 50, 60, 70, 80, 90}));
    EXPECT_EQ(h.inCaptions(), (std::vector<std::string>{"10", "20", "30", "40", "50", "60", "70", "80"}));
}

}  // namespace
}  // namespace quadrel::testing
