#include "serial/port_messages.h"

namespace quadrel {
namespace {

constexpr const char* kDialoutHint =
    "join the dialout group (sudo usermod -aG dialout $USER, then log in again)";

std::string withDetail(std::string text, const std::string& detail) {
    if (!detail.empty()) text += ": " + detail;
    return text;
}

}  // namespace

std::string portLabel(int port, const std::string& device) {
    return "COM " + std::to_string(port) + " (" + device + ")";
}

std::string openFailureMessage(SerialError::Kind kind, int port, const std::string& device,
                               const std::string& detail) {
    const std::string label = portLabel(port, device);
    switch (kind) {
        case SerialError::Kind::NotFound:
            return label + ": no such device; is the adapter plugged in?";
        case SerialError::Kind::Busy:
            return label + " is in use by another program";
        case SerialError::Kind::PermissionDenied:
            return label + ": permission denied; " + kDialoutHint;
        case SerialError::Kind::InvalidValue:
            return withDetail(label + " refused the port settings", detail);
        case SerialError::Kind::NotOpen:
            return label + " is not open";
        case SerialError::Kind::Io:
            break;
    }
    return withDetail(label + " cannot be opened", detail);
}

std::string busyOrNotPermittedMessage(int port, const std::string& device) {
    return portLabel(port, device) +
           " is busy or not permitted; close other programs using it, or " + kDialoutHint;
}

std::string linkLostMessage(int port, const std::string& device, const std::string& detail) {
    return withDetail(
        portLabel(port, device) +
            " went away; the port is closed and opens again by itself when the device is back",
        detail);
}

std::string sharedReaderMessage(int port, const std::string& device) {
    return "another program is reading " + portLabel(port, device) +
           " and takes bytes from Quadrel: close it (a modem manager probing new serial devices "
           "does this; its rules can leave the port alone)";
}

}  // namespace quadrel
