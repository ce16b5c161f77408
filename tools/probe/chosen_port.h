// The serial port a command-line tool reads: the chosen port number behind
// the device --device names, or the device Quadrel maps it to.
#pragma once

#include "port_choice.h"
#include "serial/qt_serial_port.h"

namespace quadrel::probe {

inline QtSerialPort::DeviceResolver chosenDevice(const ProbeOptions& o, const PortChoice& choice) {
    if (o.source == ProbeOptions::Source::Device) return [path = o.path](int) { return path; };
    return systemDeviceResolver(choice.devices);
}

// Sets the chosen port up and opens it; a SerialError says why it could not.
inline void openChosen(QtSerialPort& serial, const PortSettings& port) {
    serial.setPortNumber(port.port);
    serial.setLine(port.line);
    serial.setRts(port.rts);
    serial.setDtr(port.dtr);
    serial.open();
}

}  // namespace quadrel::probe
