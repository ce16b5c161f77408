#include "joystick/joystick_settings.h"

#include <charconv>

#include "settings/plain_text.h"

namespace quadrel {
namespace {

constexpr const char* kFailsafeNames[] = {"hold", "centre", "value"};

std::optional<int> wholeNumber(std::string_view text, int low, int high) {
    text = trimmed(text);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

std::string axisKey(int axis) {
    return "Axis" + std::to_string(axis + 1);
}

std::string buttonKey(int button) {
    return "Button" + std::to_string(button + 1);
}

}  // namespace

std::string axisText(const AxisChoice& a) {
    std::string text = std::to_string(a.channel) + (a.reversed ? ",1," : ",0,") +
                       kFailsafeNames[static_cast<int>(a.failsafe)];
    if (a.failsafe == Failsafe::Value) text += "," + std::to_string(a.failsafeValue);
    return text;
}

std::optional<AxisChoice> readAxis(std::string_view text) {
    auto fields = splitFields<4>(text, ',');
    if (!fields) {
        const auto three = splitFields<3>(text, ',');
        if (!three) return std::nullopt;
        fields = std::array<std::string_view, 4>{(*three)[0], (*three)[1], (*three)[2], "0"};
    }
    const auto& f = *fields;
    const auto channel = wholeNumber(f[0], 1, 8);
    const auto reversed = wholeNumber(f[1], 0, 1);
    const auto value = wholeNumber(f[3], kAxisMin, kAxisMax);
    std::optional<Failsafe> failsafe;
    for (int i = 0; i < 3; ++i)
        if (trimmed(f[2]) == kFailsafeNames[i]) failsafe = static_cast<Failsafe>(i);
    if (!channel || !reversed || !failsafe || !value) return std::nullopt;
    return AxisChoice{*channel, *reversed == 1, *failsafe, *value};
}

JoystickChoices readJoystickChoices(const SettingsFile& file, std::optional<TransmitterType> type) {
    JoystickChoices choices = defaultJoystickChoices(type);
    choices.enabled = wholeNumber(file.read(kJoystickSection, "Enabled", "0"), 0, 1) == 1;
    for (int a = 0; a < kJoystickAxes; ++a)
        if (const auto axis = readAxis(file.read(kJoystickSection, axisKey(a), "")))
            choices.axes[static_cast<std::size_t>(a)] = *axis;
    for (int b = 0; b < kJoystickButtons; ++b)
        choices.buttons[static_cast<std::size_t>(b)] =
            wholeNumber(file.read(kJoystickSection, buttonKey(b), "0"), 0, 8).value_or(0);
    return choices;
}

bool writeJoystickChoices(SettingsFile& file, const JoystickChoices& choices) {
    std::array<std::string, kJoystickAxes> keys, values;
    for (int a = 0; a < kJoystickAxes; ++a) {
        keys[static_cast<std::size_t>(a)] = axisKey(a);
        values[static_cast<std::size_t>(a)] = axisText(choices.axes[static_cast<std::size_t>(a)]);
    }
    std::array<std::string, kJoystickButtons> buttonKeys, buttons;
    for (int b = 0; b < kJoystickButtons; ++b) {
        buttonKeys[static_cast<std::size_t>(b)] = buttonKey(b);
        buttons[static_cast<std::size_t>(b)] =
            std::to_string(choices.buttons[static_cast<std::size_t>(b)]);
    }
    const std::string_view s = kJoystickSection;
    return file.write({{s, "Enabled", choices.enabled ? "1" : "0"},
                       {s, keys[0], values[0]},
                       {s, keys[1], values[1]},
                       {s, keys[2], values[2]},
                       {s, keys[3], values[3]},
                       {s, keys[4], values[4]},
                       {s, keys[5], values[5]},
                       {s, keys[6], values[6]},
                       {s, keys[7], values[7]},
                       {s, buttonKeys[0], buttons[0]},
                       {s, buttonKeys[1], buttons[1]},
                       {s, buttonKeys[2], buttons[2]},
                       {s, buttonKeys[3], buttons[3]}});
}

}  // namespace quadrel
