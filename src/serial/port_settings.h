// The serial port the user chose: its number, the line's settings and the
// two control lines. One text form, "19200,N,8,1", read and written here
// for the settings file, the status line, the probe and the simulator.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quadrel {

enum class Parity { Even, Mark, None, Odd, Space };  // E, M, N, O, S
enum class StopBits { One, OneAndHalf, Two };

struct LineSettings {
    int baud = 19200;
    Parity parity = Parity::None;
    int dataBits = 8;  // the port takes 5 to 8
    StopBits stopBits = StopBits::One;

    bool operator==(const LineSettings&) const = default;
};

struct PortSettings {
    int port = 1;  // 1 is COM1
    LineSettings line;
    bool rts = true;  // drive RTS while open
    bool dtr = false;

    bool operator==(const PortSettings&) const = default;
};

char parityLetter(Parity parity);
std::optional<Parity> parityOfLetter(char letter);  // either case
// "1", "1.5", "2".
const char* stopBitsText(StopBits stopBits);

// "19200,N,8,1"; 1.5 stop bits read "1.5".
std::string formatLineSettings(const LineSettings& line);

// Reads "19200,N,8,1": four comma-separated fields, blanks around them
// allowed, parity in either case. Nothing when a field is missing, extra
// or not one a port takes (baud above 0, data bits 5 to 8).
std::optional<LineSettings> parseLineSettings(std::string_view text);

// Whether a port can take these: what parseLineSettings accepts.
bool portTakes(const LineSettings& line);

// The "Settings" text of the settings file, read by position from its end
// as the program always has: one character each for stop bits, data bits
// and parity, with a separator before each, the baud rate before them
// ("19200,N,8,1", "9600;e;7;2", "19200 N 8 1"); and "19200,N,8,1.5", as
// the port dialog stores 1.5 stop bits, by field. Nothing for a text too
// short to read, or whose values no line can have (a parity "X", 3 stop
// bits, a baud rate that is not a whole number).
std::optional<LineSettings> readStoredLineSettings(std::string_view text);

// The line under the main window's channel rows: the port and its
// settings, or that it could not be opened and, in its tooltip, why.
struct StatusLine {
    std::string text;
    std::string tooltip;

    bool operator==(const StatusLine&) const = default;
};

// " Comms Port 1: 19200,N,8,1", the status line of an open port.
std::string portCaption(int port, const LineSettings& line);

// "Unable to open COM 3!"
std::string portFailureText(int port);

}  // namespace quadrel
