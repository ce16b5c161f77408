// The serial component on a real port, through QSerialPort. Bytes are read
// as they arrive and handed out one receive event per byte.
#pragma once

#include <QObject>
#include <QSerialPort>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "serial/comm_settings.h"
#include "serial/serial_component.h"

namespace quadrel {

class QtSerialComponent : public QObject, public SerialComponent {
    Q_OBJECT

public:
    // Maps a port number to the device to open ("/dev/ttyUSB0", "COM3").
    using DeviceResolver = std::function<std::string(int portNumber)>;

    explicit QtSerialComponent(DeviceResolver resolver, QObject* parent = nullptr);
    ~QtSerialComponent() override;

    // Called once per receive event; CommEvent() tells which event. The
    // handler is expected to take one byte with Input() and must not throw.
    void setReceiveHandler(std::function<void()> onComm) { onComm_ = std::move(onComm); }
    // Called after the events of one batch of arrived bytes (to repaint once).
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

    int CommEvent() const override { return event_; }
    std::optional<std::uint8_t> Input() override;
    void setCommPort(std::int16_t port) override;
    std::int16_t CommPort() const override { return port_; }
    void setSettings(const std::string& settings) override;
    std::string Settings() const override { return formatCommSettings(settings_); }
    // Input yields one byte whatever InputLen says; the value is kept.
    void setInputLen(std::int16_t len) override;
    std::int16_t InputLen() const { return inputLen_; }
    // Receive events are raised while at least this many bytes wait; 0
    // raises none (the bytes still wait for Input). 1 until set, so that a
    // port nobody configured still reports every byte.
    void setRThreshold(std::int16_t threshold) override;
    std::int16_t RThreshold() const { return rThreshold_; }
    void setRTSEnable(bool on) override;
    void setDTREnable(bool on) override;
    void setPortOpen(bool open) override;
    bool PortOpen() const override { return open_; }

signals:
    // The open port's device went away; the port is closed and lastError()
    // says why. Emitted once per loss, from the event loop.
    void linkLost(const QString& reason);

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
    void readAvailable();
    void deliver();
    std::size_t waiting() const { return buffer_.size() - head_; }

    DeviceResolver resolver_;
    QSerialPort* serial_;
    std::function<void()> onComm_;
    std::function<void()> onBatchDone_;

    std::int16_t port_ = 1;
    CommSettings settings_{9600, 'N', 8, StopBits::One};
    std::int16_t inputLen_ = 0;
    std::int16_t rThreshold_ = 1;
    bool rts_ = false;
    bool dtr_ = false;
    bool open_ = false;
    bool lossPending_ = false;
    bool delivering_ = false;
    unsigned session_ = 0;  // changes at every open and close
    int event_ = comm_event::Receive;

    // Received bytes not yet taken: buffer_[head_..]. Kept between batches
    // so that receiving allocates nothing once it has grown.
    std::vector<std::uint8_t> buffer_;
    std::size_t head_ = 0;
    std::uint64_t taken_ = 0;  // bytes taken by Input, to see whether a handler took its byte
    bool overrun_ = false;     // bytes were dropped since the last delivery

    std::string device_;
    QString lastError_;
    bool permissionRefused_ = false;
};

// The system paths of the serial ports present ("/dev/ttyUSB0", "COM3").
std::vector<std::string> presentSerialPorts();

// A resolver that names ports by devicePathForPort, with the ports
// configured in the settings file and those present when a port opens.
QtSerialComponent::DeviceResolver systemDeviceResolver(std::map<int, std::string> configured);

}  // namespace quadrel
