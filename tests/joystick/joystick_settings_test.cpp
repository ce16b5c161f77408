// The [Joystick] section of the settings file.
#include <gtest/gtest.h>

#include "joystick/joystick_settings.h"
#include "temp_dir.h"

namespace quadrel::testing {
namespace {

// Stored and read back whole; a hand-edited key that makes no sense leaves
// only its own axis at the default.
TEST(JoystickSettings, KeepTheChoicesAndSurviveHandEditing) {
    TempDir dir;
    SettingsFile file(dir / "Quadrel.ini", [](const std::string&) {});
    JoystickChoices choices = defaultJoystickChoices(TransmitterType::MultiplexRobbe);
    choices.enabled = true;
    choices.axes[0] = {5, true, Failsafe::Hold, 0};
    choices.axes[7] = {8, false, Failsafe::Value, 12000};
    choices.buttons = {0, 7, 0, 8};
    ASSERT_TRUE(writeJoystickChoices(file, choices));
    EXPECT_EQ(readJoystickChoices(file, TransmitterType::MultiplexRobbe), choices);
    EXPECT_EQ(file.read("Joystick", "Axis4", ""), "4,0,value,-32767");  // the throttle goes low

    // clang-format off
    const std::pair<const char*, std::optional<AxisChoice>> texts[] = {
        {"2,1,centre",        AxisChoice{2, true, Failsafe::Centre, 0}},
        {" 3 , 0 , hold ",    AxisChoice{3, false, Failsafe::Hold, 0}},
        {"9,0,centre",        std::nullopt},  // no channel 9
        {"1,2,centre",        std::nullopt},
        {"1,0,low",           std::nullopt},
        {"1,0,value,40000",   std::nullopt},  // beyond the axis
        {"1,0,value,-1,2",    std::nullopt},
        {"",                  std::nullopt},
    };
    // clang-format on
    for (const auto& [text, axis] : texts) EXPECT_EQ(readAxis(text), axis) << text;
    ASSERT_TRUE(file.write("Joystick", "Axis1", "x,y"));
    ASSERT_TRUE(file.write("Joystick", "Button2", "9"));
    const JoystickChoices edited = readJoystickChoices(file, TransmitterType::MultiplexRobbe);
    EXPECT_EQ(edited.axes[0], defaultJoystickChoices(TransmitterType::MultiplexRobbe).axes[0]);
    EXPECT_EQ(edited.buttons, (std::array<int, 4>{0, 0, 0, 8}));  // no channel 9
}

}  // namespace
}  // namespace quadrel::testing
