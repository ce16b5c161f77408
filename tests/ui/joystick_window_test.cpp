// Joystick > Output..., offscreen: it shows the choices, the values sent
// and the device's state, and every change of a box reports the choices
// whole.
#include <QtTest>
#include <QtWidgets>

#include <gtest/gtest.h>

#include "ui/joystick_window.h"

namespace quadrel::testing {
namespace {

TEST(JoystickWindow, ShowsTheChoicesAndReportsEachChange) {
    JoystickWindow w;
    JoystickChoices choices = defaultJoystickChoices(TransmitterType::JR);
    std::array<int, kJoystickAxes> sent{};
    sent[1] = kAxisMax;
    w.render(choices, sent, "No joystick: no permission to write /dev/uinput");
    EXPECT_EQ(w.findChild<QProgressBar*>("SentY")->value(), kAxisMax);
    EXPECT_FALSE(w.findChild<QSpinBox*>("FailsafeValueY")->isEnabled());
    EXPECT_TRUE(w.findChild<QSpinBox*>("FailsafeValueX")->isEnabled());  // JR: X is the throttle
    EXPECT_EQ(w.findChild<QLabel*>("JoystickStatus")->text(),
              "No joystick: no permission to write /dev/uinput");

    QSignalSpy changes(&w, &JoystickWindow::choicesChanged);
    w.findChild<QCheckBox*>("ReverseZ")->click();
    w.findChild<QComboBox*>("ChannelRudder")->setCurrentIndex(0);
    w.findChild<QCheckBox*>("EnableJoystick")->click();
    ASSERT_EQ(changes.count(), 3);
    const auto last = changes.last().first().value<JoystickChoices>();
    choices.axes[2].reversed = true;
    choices.axes[7].channel = 1;
    choices.enabled = true;
    EXPECT_EQ(last, choices);
    for (QWidget* c : w.findChildren<QWidget*>()) {
        if (c->objectName().isEmpty() || c->objectName().startsWith("qt_")) continue;
        EXPECT_EQ(c->accessibleDescription(), c->objectName());
    }
}

}  // namespace
}  // namespace quadrel::testing
