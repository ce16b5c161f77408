#include "app/port_state.h"

#include <array>
#include <cctype>

#include "app/numeric_text.h"

namespace quadrel {

void PortState::formSettingsText() {
    PortSettingsText = plainNumber(PortBaud) + ',' + PortParity + ',' + plainNumber(PortDataBits) +
                       ',' + plainNumber(PortStopBits);
}

bool readPortSettings(std::string_view text, PortState& port) {
    std::array<std::string_view, 4> fields;
    std::size_t count = 0;
    for (;;) {
        const auto comma = text.find(',');
        if (count == fields.size()) return false;
        fields[count++] = text.substr(0, comma);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    if (count != fields.size()) return false;

    port.PortBaud = numericValue(fields[0]);
    port.PortParity.clear();
    for (char c : fields[1]) port.PortParity += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    port.PortDataBits = numericValue(fields[2]);
    port.PortStopBits = numericValue(fields[3]);
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
