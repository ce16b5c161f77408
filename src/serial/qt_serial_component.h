// The serial component on a real port, through QSerialPort. On ready-read
// the arrived bytes are read and handed out one receive event per byte.
// While the port is open its driver is asked to hand bytes over at once.
#pragma once

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "serial/driver_tuning.h"
#include "serial/serial_component.h"
#include "settings/comm_settings.h"

namespace quadrel {

class QtSerialComponent : public QObject, public SerialComponent {
    Q_OBJECT

public:
    // Maps a port number to the device to open ("/dev/ttyUSB0", "COM3").
    using DeviceResolver = std::function<std::string(int portNumber)>;

    explicit QtSerialComponent(DeviceResolver resolver, QObject* parent = nullptr);
    ~QtSerialComponent() override;

    // Called once per received byte, which Input() then yields; it must
    // not throw.
    void setReceiveHandler(std::function<void()> onComm) { onComm_ = std::move(onComm); }
    // Called before and after the events of one batch of arrived bytes,
    // with their number (to note their arrival time; to repaint once).
    void setBatchStartHandler(std::function<void(std::size_t bytes)> onBatchStart) {
        onBatchStart_ = std::move(onBatchStart);
    }
    void setBatchDoneHandler(std::function<void()> onBatchDone) {
        onBatchDone_ = std::move(onBatchDone);
    }

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
    std::optional<LineErrorCounts> lineErrors() const { return tuning_.lineErrors(); }

    int CommEvent() const override { return event_; }
    std::optional<std::uint8_t> Input() override;
    void setCommPort(std::int16_t port) override;
    std::int16_t CommPort() const override { return port_; }
    void setSettings(const std::string& settings) override;
    std::string Settings() const override { return formatCommSettings(settings_); }
    const CommSettings& lineSettings() const { return settings_; }
    // Both are checked and kept: every byte raises its own event and Input
    // yields that one byte, which is what the program asks for (1 and 1).
    void setInputLen(std::int16_t len) override;
    void setRThreshold(std::int16_t threshold) override;
    void setRTSEnable(bool on) override;
    void setDTREnable(bool on) override;
    void setPortOpen(bool open) override;
    bool PortOpen() const override { return open_; }

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
    void open();
    void closePort();
    void applyLines();
    // Empty when the port took all of `s`, else what it refused.
    std::string applySettings(const CommSettings& s);
    [[noreturn]] void fail(SerialError::Kind kind, const std::string& message);
    void onReadyRead();
    void onErrorOccurred(QSerialPort::SerialPortError error);
    void finishLinkLoss();
    void tryReopen();

    DeviceResolver resolver_;
    QSerialPort* serial_;
    std::function<void()> onComm_;
    std::function<void(std::size_t)> onBatchStart_;
    std::function<void()> onBatchDone_;

    std::int16_t port_ = 1;
    CommSettings settings_{9600, 'N', 8, StopBits::One};
    bool rts_ = false;
    bool dtr_ = false;
    bool open_ = false;
    bool lossPending_ = false;
    int event_ = comm_event::Receive;
    std::optional<std::uint8_t> byte_;  // the byte of the event being raised
    std::vector<char> batch_;           // the bytes of one ready-read
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
QtSerialComponent::DeviceResolver systemDeviceResolver(std::map<int, std::string> configured);

}  // namespace quadrel
