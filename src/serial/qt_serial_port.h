// The serial port on a real device, through QSerialPort. On ready-read all
// that has arrived is read and handed on in one piece. While the port is
// open its driver is asked to hand bytes over at once.
#pragma once

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "serial/driver_tuning.h"
#include "serial/serial_port.h"

namespace quadrel {

class QtSerialPort : public QObject, public SerialPort {
    Q_OBJECT

public:
    // Maps a port number to the device to open ("/dev/ttyUSB0", "COM3").
    using DeviceResolver = std::function<std::string(int portNumber)>;

    using ReadHandler = std::function<void(std::span<const std::uint8_t> bytes)>;

    explicit QtSerialPort(DeviceResolver resolver, QObject* parent = nullptr);
    ~QtSerialPort() override;

    // Given each read, all that had arrived; it must not throw.
    void setReadHandler(ReadHandler onRead) { onRead_ = std::move(onRead); }

    // Why the last open or setting failed, or why the link was lost; one
    // line for a tooltip or stderr. Empty again after a successful open.
    const QString& lastError() const { return lastError_; }
    // The last open failed because the user may not open the device, or
    // may not: the system could not tell that from a port in use.
    bool lastErrorIsPermission() const { return permissionRefused_; }
    // The device the port was last opened on (or tried to be).
    const std::string& devicePath() const { return device_; }
    // What the open port's driver does and counts beside the bytes.
    LowLatency lowLatency() const { return tuning_.lowLatency(); }
    std::optional<LineErrorCounts> lineErrors() const override { return tuning_.lineErrors(); }

    void setPortNumber(int port) override;
    int portNumber() const override { return port_; }
    void setLine(const LineSettings& line) override;
    LineSettings line() const override { return line_; }
    void setRts(bool on) override;
    void setDtr(bool on) override;
    void open() override;
    void close() override;
    bool isOpen() const override { return open_; }

signals:
    // The open port's device went away; the port is closed and lastError()
    // says why. Emitted once per loss, from the event loop. The component
    // then watches the same path and reopens the port with the same
    // settings when the device is back (linkRestored); a device that comes
    // back under another name is not guessed at.
    void linkLost(const QString& reason);
    void linkRestored();
    // Another program reads the same port and takes bytes from it: why, in
    // one line; empty once reads have come right again for a while.
    void sharedReader(const QString& message);

private:
    void applyLines();
    // Empty when the port took all of `line`, else what it refused.
    std::string applyLine(const LineSettings& line);
    [[noreturn]] void fail(SerialError::Kind kind, const std::string& message);
    void onReadyRead();
    void onErrorOccurred(QSerialPort::SerialPortError error);
    void finishLinkLoss();
    void tryReopen();

    DeviceResolver resolver_;
    QSerialPort* serial_;
    ReadHandler onRead_;

    int port_ = 1;
    LineSettings line_{9600, Parity::None, 8, StopBits::One};
    bool rts_ = false;
    bool dtr_ = false;
    bool open_ = false;
    bool lossPending_ = false;
    std::vector<std::uint8_t> read_;  // the bytes of one ready-read
    DriverTuning tuning_;

    std::string device_;
    QString lastError_;
    QTimer reopen_;  // runs while a lost device, or a port in use, is awaited
    QTimer sharedFor_;
    bool shared_ = false;
    bool permissionRefused_ = false;
};

// The device a path names, links followed: so that a port is locked by its
// real name, and a second reader through a link is told it is busy.
QString realDevice(const std::string& path);

// The system paths of the serial ports present ("/dev/ttyUSB0", "COM3").
std::vector<std::string> presentSerialPorts();

// A resolver that names ports by devicePathForPort, with the ports
// configured in the settings file and those present when a port opens.
QtSerialPort::DeviceResolver systemDeviceResolver(std::map<int, std::string> configured);

}  // namespace quadrel
