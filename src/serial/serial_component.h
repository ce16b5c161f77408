// The serial port as the main window uses it: one receive event per byte,
// read with `Input`, configured through a handful of properties. Every
// property that refuses a value, and an open that fails, throws SerialError.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace quadrel {

// Event codes reported by `CommEvent`: a received byte, and the line errors
// that the program ignores.
namespace comm_event {
enum : int {
    Receive = 2,
    Break = 1001,
    Frame = 1004,
    Overrun = 1006,
    RxOver = 1008,
    RxParity = 1009
};
}  // namespace comm_event

class SerialError : public std::runtime_error {
public:
    enum class Kind {
        InvalidValue,      // a property refused the value it was given
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

class SerialComponent {
public:
    virtual ~SerialComponent() = default;

    // The code of the event being reported.
    virtual int CommEvent() const = 0;
    // Removes and returns the next waiting byte; nothing when none waits.
    virtual std::optional<std::uint8_t> Input() = 0;

    virtual void setCommPort(std::int16_t port) = 0;
    virtual std::int16_t CommPort() const = 0;
    // "baud,parity,data,stop", for example "19200,N,8,1".
    virtual void setSettings(const std::string& settings) = 0;
    virtual std::string Settings() const = 0;
    virtual void setInputLen(std::int16_t len) = 0;
    virtual void setRThreshold(std::int16_t threshold) = 0;
    virtual void setRTSEnable(bool on) = 0;
    virtual void setDTREnable(bool on) = 0;
    virtual void setPortOpen(bool open) = 0;
    virtual bool PortOpen() const = 0;
};

// A port that only delivers bytes (a replayed capture, a benchmark's loop):
// every property takes what it is given, and the port is always open.
class ReceiveOnlyPort : public SerialComponent {
public:
    int CommEvent() const override { return comm_event::Receive; }
    void setCommPort(std::int16_t) override {}
    std::int16_t CommPort() const override { return 1; }
    void setSettings(const std::string&) override {}
    std::string Settings() const override { return {}; }
    void setInputLen(std::int16_t) override {}
    void setRThreshold(std::int16_t) override {}
    void setRTSEnable(bool) override {}
    void setDTREnable(bool) override {}
    void setPortOpen(bool) override {}
    bool PortOpen() const override { return true; }
};

}  // namespace quadrel
