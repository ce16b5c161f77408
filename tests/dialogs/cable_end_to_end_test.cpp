// The windows while bytes arrive through a pseudo-terminal mapped as COM1:
// a Zhen Hua cable brings its wiring window up, a standard interface takes
// it down, and the port dialog does not stop the main window receiving.
#include <QLabel>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "ui/cable_dialog.h"
#include "running_program.h"
#include "frames/frame_window.h"

namespace quadrel::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

// `frames` frames of 255 and the four channel values.
Bytes standardStream(std::initializer_list<int> channels, int frames) {
    Bytes out;
    for (int i = 0; i < frames; ++i) {
        out.push_back(255);
        for (int v : channels) out.push_back(static_cast<std::uint8_t>(v));
    }
    return out;
}

// What the cable sends: 239, then each channel value with its bits mirrored.
Bytes zhenHuaStream(std::initializer_list<int> channels, int frames) {
    Bytes out;
    for (int i = 0; i < frames; ++i) {
        out.push_back(239);
        for (int v : channels) out.push_back(ReverseBits(static_cast<std::uint8_t>(v)));
    }
    return out;
}

struct ReceivingProgram : ::testing::Test {
    RunningProgram run;

    void SetUp() override {
        ASSERT_TRUE(run.app->serialPort().PortOpen());
        // Pauses in the test's own pace must neither pass for a lost signal
        // nor let the delayed recalibration blank the rows being watched.
        run.program().ui().Timer1.setInterval(60'000);
        run.program().ui().Timer2.setInterval(60'000);
        run.app->refresh();
    }
    QString in1() { return run.app->mainWindow().findChild<QLabel*>("In1")->text(); }
    QRadioButton* option(int t) {
        return run.app->mainWindow().findChild<QRadioButton*>("Option" + QString::number(t));
    }
    bool cableShown() {
        const CableDialog* d = run.app->cableWindow().dialog();
        return d && d->isVisible();
    }
};

TEST_F(ReceivingProgram, ZhenHuaCableShowsItsWindowUntilAStandardStreamReturns) {
    ASSERT_TRUE(run.pty.write(zhenHuaStream({100, 120, 140, 160}, 30)));
    QTRY_VERIFY_WITH_TIMEOUT(cableShown(), kWaitMs);
    EXPECT_EQ(option(5)->text(), "Zhen Hua Cable");
    EXPECT_TRUE(option(5)->isChecked());
    EXPECT_FALSE(option(1)->isEnabled());
    // Later frames are read with their bits put back in order.
    QTRY_COMPARE_WITH_TIMEOUT(in1(), QString("100"), kWaitMs);
    EXPECT_TRUE(cableShown());

    ASSERT_TRUE(run.pty.write(standardStream({120, 130, 140, 150}, 30)));
    QTRY_VERIFY_WITH_TIMEOUT(!cableShown(), kWaitMs);
    EXPECT_EQ(option(5)->text(), "Zhen Hua");
    EXPECT_TRUE(option(1)->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(in1(), QString("120"), kWaitMs);
    EXPECT_NE(run.app->cableWindow().dialog(), nullptr);  // hidden, kept for next time
}

TEST_F(ReceivingProgram, MainWindowKeepsReceivingBehindThePortDialog) {
    PortSettingsDialog* d = run.openPortSettings();
    ASSERT_TRUE(d->isVisible());
    ASSERT_TRUE(run.pty.write(standardStream({120, 130, 140, 150}, 30)));
    QTRY_COMPARE_WITH_TIMEOUT(in1(), QString("120"), kWaitMs);
    EXPECT_TRUE(d->isVisible());
    EXPECT_TRUE(run.program().portSettings().isModal());
}

}  // namespace
}  // namespace quadrel::testing
