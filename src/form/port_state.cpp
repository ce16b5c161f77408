#include "form/port_state.h"

#include <array>
#include <cctype>

#include "settings/numeric_text.h"

namespace quadrel {

void PortState::formSettingsText() {
    PortSettingsText = plainNumber(PortBaud) + ',' + PortParity + ',' + plainNumber(PortDataBits) +
                       ',' + plainNumber(PortStopBits);
}

namespace {

std::string upperCase(std::string_view text) {
    std::string out;
    for (char c : text) out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// "19200,N,8,1.5" as the port dialog writes it: four comma fields, the last
// "1.5". Reading it by position would take parity from the "8".
bool readOneAndHalfStopBits(std::string_view text, PortState& port) {
    std::array<std::string_view, 4> fields;
    std::size_t count = 0;
    for (;;) {
        const auto comma = text.find(',');
        if (count == fields.size()) return false;
        fields[count++] = text.substr(0, comma);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    if (count != fields.size() || fields[3] != "1.5") return false;
    port.PortBaud = numericValue(fields[0]);
    port.PortParity = upperCase(fields[1]);
    port.PortDataBits = numericValue(fields[2]);
    port.PortStopBits = 1.5;
    return true;
}

}  // namespace

bool readPortSettings(std::string_view text, PortState& port) {
    if (!readOneAndHalfStopBits(text, port)) {
        // By position from the end: one character each for stop bits, data
        // bits and parity, with a separator before each; the baud rate is
        // everything before them. Any separator will do: "19200 N 8 1".
        const std::size_t n = text.size();
        if (n < 6) return false;
        port.PortBaud = numericValue(text.substr(0, n - 6));
        port.PortParity = upperCase(text.substr(n - 5, 1));
        port.PortDataBits = numericValue(text.substr(n - 3, 1));
        port.PortStopBits = numericValue(text.substr(n - 1, 1));
    }
    port.formSettingsText();
    return true;
}

std::string portCaption(int commPort, std::string_view settingsText) {
    return " Comms Port " + std::to_string(commPort) + ": " + std::string(settingsText);
}

std::string portFailureText(int portNumber) {
    return "Unable to open COM " + std::to_string(portNumber) + "!";
}

}  // namespace quadrel
