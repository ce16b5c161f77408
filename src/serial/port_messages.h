// What the user is told when a port cannot be opened or goes away: one line
// naming the port and its device, with a hint where one helps.
#pragma once

#include <string>

#include "serial/serial_port.h"

namespace quadrel {

// "COM 1 (/dev/ttyUSB0)"
std::string portLabel(int port, const std::string& device);

// Why opening `device` for `port` failed. `detail` (the system's words)
// is added for Io and InvalidValue failures when not empty.
std::string openFailureMessage(SerialError::Kind kind, int port, const std::string& device,
                               const std::string& detail = {});

// The system said "no permission" but the port may just as well be held by
// another program; used when the two cannot be told apart.
std::string busyOrNotPermittedMessage(int port, const std::string& device);

// Another program reads the open port too and takes bytes from it.
std::string sharedReaderMessage(int port, const std::string& device);

// An open port whose device went away (an adapter pulled out).
std::string linkLostMessage(int port, const std::string& device, const std::string& detail = {});

}  // namespace quadrel
