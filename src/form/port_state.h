// The serial port the user chose, as start-up reads it from the settings
// file and the port dialog applies it.
#pragma once

#include <string>
#include <string_view>

namespace quadrel {

struct PortState {
    int PortNumber = 0;  // 1 is COM1
    double PortBaud = 0;
    std::string PortParity;  // one upper-case letter
    double PortDataBits = 0;
    double PortStopBits = 0;
    int RtsFlag = 0;  // 1 drives RTS
    int DtrFlag = 0;  // 1 drives DTR
    // "19200,N,8,1", formed whenever the four values above are set.
    std::string PortSettingsText;

    void formSettingsText();
};

// Reads "baud,parity,data,stop" by position from its end ("19200,N,8,1",
// "9600;E;8;1"); the "1.5" stop bits that the port dialog writes are read
// by field. False, and nothing changed, for a text too short to read.
bool readPortSettings(std::string_view text, PortState& port);

// " Comms Port 1: 19200,N,8,1", the status line under the channel rows.
std::string portCaption(int commPort, std::string_view settingsText);

// "Unable to open COM 3!"
std::string portFailureText(int portNumber);

}  // namespace quadrel
