// Joystick > Output..., offscreen: it shows the choices, the values sent
// and the device's state, and every change of a box reports the choices
// whole.
#include <QtTest>
#include <QtWidgets>

#include <gtest/gtest.h>

#include <linux/input.h>

#include <cstdlib>
#include <fstream>

#include "running_program.h"
#include "ui/joystick_window.h"

namespace quadrel::testing {
namespace {

TEST(JoystickWindow, ShowsTheChoicesAndReportsEachChange) {
    JoystickWindow w;
    JoystickChoices choices = defaultJoystickChoices(TransmitterType::JR);
    choices.buttons[0] = 5;
    JoystickState sent;
    sent.axes[1] = kAxisMax;
    sent.buttons[0] = true;
    w.render(choices, sent, "No joystick: no permission to write /dev/uinput");
    EXPECT_EQ(w.findChild<QProgressBar*>("SentY")->value(), kAxisMax);
    EXPECT_EQ(w.findChild<QLabel*>("PressedTrigger")->text(), "Pressed");
    EXPECT_EQ(w.findChild<QLabel*>("PressedTrigger")->accessibleName(), "Trigger: Pressed");
    EXPECT_EQ(w.findChild<QLabel*>("PressedThumb")->text(), "");  // no channel presses it
    EXPECT_FALSE(w.findChild<QSpinBox*>("FailsafeValueY")->isEnabled());
    EXPECT_TRUE(w.findChild<QSpinBox*>("FailsafeValueX")->isEnabled());  // JR: X is the throttle
    EXPECT_EQ(w.findChild<QLabel*>("JoystickStatus")->text(),
              "No joystick: no permission to write /dev/uinput");

    QSignalSpy changes(&w, &JoystickWindow::choicesChanged);
    w.findChild<QCheckBox*>("ReverseZ")->click();
    w.findChild<QComboBox*>("ChannelRudder")->setCurrentIndex(0);
    w.findChild<QCheckBox*>("EnableJoystick")->click();
    w.findChild<QComboBox*>("ButtonThumb2")->setCurrentIndex(8);
    ASSERT_EQ(changes.count(), 4);
    const auto last = changes.last().first().value<JoystickChoices>();
    choices.axes[2].reversed = true;
    choices.axes[7].channel = 1;
    choices.enabled = true;
    choices.buttons[2] = 8;
    EXPECT_EQ(last, choices);
    for (QWidget* c : w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        EXPECT_FALSE(c->objectName().isEmpty()) << c->metaObject()->className();
        EXPECT_EQ(c->accessibleDescription(), c->objectName());
    }
}

// What the program wrote to the device: each record of an axis or a key.
std::vector<input_event> eventsIn(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<input_event> events;
    input_event e{};
    while (in.read(reinterpret_cast<char*>(&e), sizeof e)) events.push_back(e);
    return events;
}

// The whole program, its output on since the last run, writing where
// QUADREL_JOYSTICK_EVENTS says in place of /dev/uinput: the sticks arrive
// as events, and an unplugged port puts the throttle (JR: channel 1) low.
TEST(JoystickWindow, TheProgramDrivesTheJoystickFromTheStart) {
    TempDir events;
    const auto file = events / "events";
    std::ofstream(file).flush();
    ::setenv("QUADREL_JOYSTICK_EVENTS", file.c_str(), 1);
    RunningProgram p("[Joystick]\nEnabled=1\n");
    ::unsetenv("QUADREL_JOYSTICK_EVENTS");
    const auto lastValue = [&](int type, int code) -> std::optional<int> {
        std::optional<int> value;
        for (const input_event& e : eventsIn(file))
            if (e.type == type && e.code == code) value = e.value;
        return value;
    };
    const std::vector<std::uint8_t> frame{255, 200, 0, 127, 127, 127, 127, 127, 127};
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(p.pty.write(frame));
    // 200 of 0..254 (the range is not learnt yet) on -32767..32767.
    ASSERT_SOON(lastValue(EV_ABS, ABS_X) == 18835);
    EXPECT_EQ(lastValue(EV_ABS, ABS_Y), -32767);
    EXPECT_EQ(eventsIn(file).back().type, EV_SYN);

    p.app->showJoystickWindow();
    p.app->refresh();
    EXPECT_EQ(p.app->joystickWindow()->findChild<QLabel*>("JoystickStatus")->text().toStdString(),
              "Sending events to " + file.string() + " (QUADREL_JOYSTICK_EVENTS)");
    p.pty.hangUp();  // unplugged
    ASSERT_SOON(lastValue(EV_ABS, ABS_X) == -32767);
}

}  // namespace
}  // namespace quadrel::testing
