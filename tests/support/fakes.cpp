#include "fakes.h"

namespace quadrel::testing {

void FakeSerialPort::setPortNumber(int port) {
    if (open_) throw SerialError(SerialError::Kind::InvalidValue, "port is open");
    if (port < 1 || port > 16)
        throw SerialError(SerialError::Kind::InvalidValue, "invalid port number");
    port_ = port;
}

void FakeSerialPort::setLine(const LineSettings& line) {
    if (!portTakes(line)) throw SerialError(SerialError::Kind::InvalidValue, "invalid settings");
    line_ = line;
}

void FakeSerialPort::open() {
    if (open_) throw SerialError(SerialError::Kind::InvalidValue, "port already open");
    if (!existingPorts.contains(port_))
        throw SerialError(SerialError::Kind::NotFound, "no such port");
    if (busyPorts.contains(port_)) throw SerialError(SerialError::Kind::Busy, "port in use");
    ++opens;
    open_ = true;
}

void FakeSerialPort::close() {
    if (!open_) throw SerialError(SerialError::Kind::NotOpen, "port already closed");
    open_ = false;
}

}  // namespace quadrel::testing
