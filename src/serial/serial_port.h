// The serial port as the program drives it: which port, the line's
// settings, the control lines, open or closed. Bytes are not pulled from
// it: its owner hands every read to the receiver. An operation the port
// refuses throws SerialError.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "serial/driver_tuning.h"
#include "serial/port_settings.h"

namespace quadrel {

class SerialError : public std::runtime_error {
public:
    enum class Kind {
        InvalidValue,      // the port refused a value it was given
        NotFound,          // no such port
        Busy,              // the port is in use
        PermissionDenied,  // the user may not open the port
        NotOpen,           // an operation that needs an open port
        Io,                // any other failure of the device
    };
    SerialError(Kind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

class SerialPort {
public:
    virtual ~SerialPort() = default;

    // The port to open next; refused while one is open.
    virtual void setPortNumber(int port) = 0;
    virtual int portNumber() const = 0;
    // Taken at once by an open port; refused as a whole.
    virtual void setLine(const LineSettings& line) = 0;
    virtual LineSettings line() const = 0;
    // The control lines follow these while the port is open.
    virtual void setRts(bool on) = 0;
    virtual void setDtr(bool on) = 0;
    // Opening an open port, or closing a closed one, is refused.
    virtual void open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Line errors the driver counted since the port opened; nothing where
    // it does not count them.
    virtual std::optional<LineErrorCounts> lineErrors() const { return std::nullopt; }
};

}  // namespace quadrel
