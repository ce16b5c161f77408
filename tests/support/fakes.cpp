#include "fakes.h"

#include "settings/comm_settings.h"

namespace quadrel::testing {

std::optional<std::uint8_t> FakeSerialPort::Input() {
    if (failNextInput) {
        failNextInput = false;
        throw SerialError(SerialError::Kind::Io, "device gone");
    }
    if (pending.empty()) return std::nullopt;
    const std::uint8_t b = pending.front();
    pending.pop_front();
    return b;
}

void FakeSerialPort::setCommPort(std::int16_t port) {
    if (open_) throw SerialError(SerialError::Kind::InvalidValue, "port is open");
    if (port < 1 || port > 16) throw SerialError(SerialError::Kind::InvalidValue, "invalid port number");
    port_ = port;
}

void FakeSerialPort::setSettings(const std::string& settings) {
    const auto parsed = parseCommSettings(settings);
    if (!parsed) throw SerialError(SerialError::Kind::InvalidValue, "invalid settings");
    settings_ = formatCommSettings(*parsed);
}

void FakeSerialPort::setPortOpen(bool open) {
    if (open == open_)
        throw SerialError(open ? SerialError::Kind::InvalidValue : SerialError::Kind::NotOpen,
                          open ? "port already open" : "port already closed");
    if (open) {
        if (!existingPorts.contains(port_)) throw SerialError(SerialError::Kind::NotFound, "no such port");
        if (busyPorts.contains(port_)) throw SerialError(SerialError::Kind::Busy, "port in use");
        ++opens;
    }
    open_ = open;
}

}  // namespace quadrel::testing
