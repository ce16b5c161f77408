#include "serial/qt_serial_component.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QSerialPortInfo>

#include <algorithm>

#include "serial/port_messages.h"
#include "serial/port_names.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <filesystem>

namespace quadrel {
namespace {

// Ports numbered as the settings dialog and the settings file allow.
constexpr std::int16_t kMinPort = 1;
constexpr std::int16_t kMaxPort = 16;

// What QSerialPort may hold for us between two ready-reads; beyond it the
// bytes wait in the system's buffer.
constexpr qint64 kReadBufferSize = 64 * 1024;
// The most bytes of one batch of receive events; a faster stream than the
// program takes leaves the rest for the next ready-read.
constexpr qint64 kBatchSize = 64 * 1024;
// A lost device is looked for twice a second; a port in use, every two.
constexpr int kReopenMs = 500, kBusyRetryMs = 2000;

QSerialPort::Parity toQt(char parity) {
    switch (parity) {
        case 'E':
            return QSerialPort::EvenParity;
        case 'O':
            return QSerialPort::OddParity;
        case 'M':
            return QSerialPort::MarkParity;
        case 'S':
            return QSerialPort::SpaceParity;
        default:
            return QSerialPort::NoParity;
    }
}

QSerialPort::StopBits toQt(StopBits stop) {
    switch (stop) {
        case StopBits::Two:
            return QSerialPort::TwoStop;
        case StopBits::OneAndHalf:
            return QSerialPort::OneAndHalfStop;
        case StopBits::One:
            break;
    }
    return QSerialPort::OneStop;
}

// QSerialPort reports a port held by another program (its lock file, or
// TIOCEXCL) and a device the user may not open alike. Asking the system
// directly tells them apart. Nothing when it cannot tell.
std::optional<SerialError::Kind> whyNotPermitted(const std::string& device) {
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        ::close(fd);
        return SerialError::Kind::Busy;  // openable, so a lock of another program held it
    }
    if (errno == EBUSY) return SerialError::Kind::Busy;
    if (errno == EACCES || errno == EPERM) return SerialError::Kind::PermissionDenied;
    if (errno == ENOENT || errno == ENODEV || errno == ENXIO) return SerialError::Kind::NotFound;
    return std::nullopt;
}

}  // namespace

QtSerialComponent::QtSerialComponent(DeviceResolver resolver, QObject* parent)
    : QObject(parent), resolver_(std::move(resolver)), serial_(new QSerialPort(this)) {
    serial_->setObjectName(QStringLiteral("serialPort"));
    serial_->setReadBufferSize(kReadBufferSize);
    reopen_.setInterval(kReopenMs);
    connect(&reopen_, &QTimer::timeout, this, &QtSerialComponent::tryReopen);
    // Another reader is gone when reads have come right for a while.
    sharedFor_.setSingleShot(true);
    sharedFor_.setInterval(5000);
    connect(&sharedFor_, &QTimer::timeout, this, [this] {
        shared_ = false;
        emit sharedReader({});
    });
    connect(serial_, &QSerialPort::readyRead, this, &QtSerialComponent::onReadyRead);
    connect(serial_, &QSerialPort::errorOccurred, this, &QtSerialComponent::onErrorOccurred);
}

QtSerialComponent::~QtSerialComponent() {
    // The port is destroyed after this object's members; keep its last
    // signals from reaching them.
    serial_->disconnect(this);
    tuning_.close();  // while the port's descriptor is still its own
    if (serial_->isOpen()) serial_->close();
}

std::optional<std::uint8_t> QtSerialComponent::Input() {
    return std::exchange(byte_, std::nullopt);
}

void QtSerialComponent::setCommPort(std::int16_t port) {
    if (open_)
        fail(SerialError::Kind::InvalidValue,
             "The port number cannot change while the port is open");
    if (port < kMinPort || port > kMaxPort)
        fail(SerialError::Kind::InvalidValue, "There is no port COM " + std::to_string(port));
    port_ = port;
}

void QtSerialComponent::setSettings(const std::string& settings) {
    const auto parsed = parseCommSettings(settings);
    if (!parsed)
        fail(SerialError::Kind::InvalidValue, "Invalid port settings \"" + settings + "\"");
    if (open_) {
        if (const auto refused = applySettings(*parsed); !refused.empty()) {
            applySettings(settings_);  // back to what worked
            fail(SerialError::Kind::InvalidValue,
                 openFailureMessage(SerialError::Kind::InvalidValue, port_, device_, refused));
        }
    }
    settings_ = *parsed;
}

void QtSerialComponent::setInputLen(std::int16_t len) {
    if (len < 0) fail(SerialError::Kind::InvalidValue, "InputLen cannot be negative");
}

void QtSerialComponent::setRThreshold(std::int16_t threshold) {
    if (threshold < 0) fail(SerialError::Kind::InvalidValue, "RThreshold cannot be negative");
}

void QtSerialComponent::setRTSEnable(bool on) {
    rts_ = on;
    if (open_) applyLines();
}

void QtSerialComponent::setDTREnable(bool on) {
    dtr_ = on;
    if (open_) applyLines();
}

void QtSerialComponent::setPortOpen(bool open) {
    if (open == open_)
        throw SerialError(open ? SerialError::Kind::InvalidValue : SerialError::Kind::NotOpen,
                          open ? "The port is already open" : "The port is not open");
    if (open)
        this->open();
    else
        closePort();
}

void QtSerialComponent::open() {
    reopen_.stop();  // the user's own open wins over waiting for a lost device
    if (serial_->isOpen()) {
        // A lost link whose closing has not run yet: the user's reopen wins.
        lossPending_ = false;
        tuning_.close();
        serial_->close();
    }
    permissionRefused_ = false;
    device_ = resolver_ ? resolver_(port_) : std::string();
    if (device_.empty())
        fail(SerialError::Kind::NotFound, "COM " + std::to_string(port_) + " names no device");

    serial_->setPortName(realDevice(device_));
    serial_->clearError();
    if (!serial_->open(QIODevice::ReadWrite)) {
        const auto error = serial_->error();
        const std::string detail = serial_->errorString().toStdString();
        serial_->clearError();
        if (error == QSerialPort::DeviceNotFoundError)
            fail(SerialError::Kind::NotFound,
                 openFailureMessage(SerialError::Kind::NotFound, port_, device_));
        if (error == QSerialPort::PermissionError) {
            const auto kind = whyNotPermitted(device_);
            permissionRefused_ = !kind || *kind == SerialError::Kind::PermissionDenied;
            // A port in use is tried again until it is free, as a lost one is.
            if (kind == SerialError::Kind::Busy) reopen_.start(kBusyRetryMs);
            if (kind) fail(*kind, openFailureMessage(*kind, port_, device_));
            fail(SerialError::Kind::Busy, busyOrNotPermittedMessage(port_, device_));
        }
        if (error == QSerialPort::UnsupportedOperationError)
            fail(SerialError::Kind::Io, openFailureMessage(SerialError::Kind::Io, port_, device_,
                                                           "not a serial port (" + detail + ")"));
        fail(SerialError::Kind::Io,
             openFailureMessage(SerialError::Kind::Io, port_, device_, detail));
    }

    if (const auto refused = applySettings(settings_); !refused.empty()) {
        serial_->close();
        serial_->clearError();
        fail(SerialError::Kind::InvalidValue,
             openFailureMessage(SerialError::Kind::InvalidValue, port_, device_, refused));
    }
    open_ = true;
    lastError_.clear();
    applyLines();
    tuning_.open(static_cast<int>(serial_->handle()));
}

void QtSerialComponent::closePort() {
    reopen_.stop();
    open_ = false;
    tuning_.close();
    serial_->close();
    serial_->clearError();
}

void QtSerialComponent::applyLines() {
    // A device without modem lines (a pseudo-terminal, some adapters)
    // refuses these; the port works without them, so that is no failure.
    serial_->setRequestToSend(rts_);
    serial_->setDataTerminalReady(dtr_);
    serial_->clearError();
}

std::string QtSerialComponent::applySettings(const CommSettings& s) {
    // termios has no 1.5 stop bits; QSerialPort would quietly use 1 instead.
    if (s.stopBits == StopBits::OneAndHalf) return "1.5 stop bits are not supported on this system";
    std::string refused;
    if (!serial_->setBaudRate(s.baud))
        refused = std::to_string(s.baud) + " baud";
    else if (!serial_->setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits)))
        refused = std::to_string(s.dataBits) + " data bits";
    else if (!serial_->setParity(toQt(s.parity)))
        refused = std::string("parity ") + s.parity;
    else if (!serial_->setStopBits(toQt(s.stopBits)))
        refused = s.stopBits == StopBits::Two ? "2 stop bits" : "1 stop bit";
    else if (!serial_->setFlowControl(QSerialPort::NoFlowControl))
        refused = "no flow control";
    if (!refused.empty()) refused += " (" + serial_->errorString().toStdString() + ")";
    serial_->clearError();
    return refused;
}

void QtSerialComponent::fail(SerialError::Kind kind, const std::string& message) {
    lastError_ = QString::fromStdString(message);
    throw SerialError(kind, message);
}

void QtSerialComponent::onReadyRead() {
    // All that has arrived, so that its bytes can be placed in time: the
    // last came as the read returned, those before it a byte time apart.
    batch_.resize(static_cast<std::size_t>(kBatchSize));
    qint64 got = 0;
    while (open_ && got < kBatchSize) {
        const qint64 n = serial_->read(batch_.data() + got, kBatchSize - got);
        if (n <= 0) break;
        got += n;
    }
    if (got <= 0) return;
    if (onBatchStart_) onBatchStart_(static_cast<std::size_t>(got));
    // A handler may close the port (nothing does today); stop there.
    for (qint64 i = 0; i < got && open_; ++i) {
        byte_ = static_cast<std::uint8_t>(batch_[static_cast<std::size_t>(i)]);
        event_ = comm_event::Receive;
        if (onComm_) onComm_();
    }
    byte_.reset();
    if (onBatchDone_) onBatchDone_();
    // What arrived meanwhile, or what did not fit, comes with the next
    // ready-read; Qt raises none for bytes it already holds.
    if (open_ && serial_->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &QtSerialComponent::onReadyRead, Qt::QueuedConnection);
}

void QtSerialComponent::onErrorOccurred(QSerialPort::SerialPortError error) {
    // Qt reports a vanished tty as ReadError or ResourceError, and may keep
    // reporting it for as long as the port stays open.
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError) return;
    if (!open_ || lossPending_) return;
    // It reports a read that found nothing the same way, which is what
    // another reader of the same port (a modem manager probing new serial
    // devices) leaves: while the device is there, the port is not lost.
    if (QFileInfo::exists(QString::fromLocal8Bit(device_))) {
        serial_->clearError();
        // Qt stops reading after such a report; this starts it again.
        serial_->setReadBufferSize(kReadBufferSize);
        if (!shared_) {
            shared_ = true;
            emit sharedReader(QString::fromStdString(sharedReaderMessage(port_, device_)));
        }
        sharedFor_.start();
        return;
    }
    open_ = false;
    lossPending_ = true;
    lastError_ = QString::fromStdString(linkLostMessage(port_, device_));
    // Closing inside QSerialPort's own error report is unsafe; close from
    // the event loop, which runs before the next report.
    QMetaObject::invokeMethod(this, &QtSerialComponent::finishLinkLoss, Qt::QueuedConnection);
}

void QtSerialComponent::finishLinkLoss() {
    if (!lossPending_) return;
    lossPending_ = false;
    tuning_.close();
    serial_->close();
    serial_->clearError();
    reopen_.start(kReopenMs);
    emit linkLost(lastError_);
}

void QtSerialComponent::tryReopen() {
    if (open_ || !QFileInfo::exists(QString::fromLocal8Bit(device_))) return;
    // The same path and settings as before; the resolver is not asked
    // again, so another device in its place is not taken by mistake.
    serial_->setPortName(realDevice(device_));
    if (!serial_->open(QIODevice::ReadWrite)) {
        serial_->clearError();
        return;  // back, but not ready yet: try again
    }
    if (!applySettings(settings_).empty()) {
        serial_->close();
        serial_->clearError();
        return;
    }
    reopen_.stop();
    open_ = true;
    lastError_.clear();
    applyLines();
    tuning_.open(static_cast<int>(serial_->handle()));
    emit linkRestored();
}

std::vector<std::string> presentSerialPorts() {
    std::vector<std::string> paths;
    for (const auto& info : QSerialPortInfo::availablePorts())
        paths.push_back(info.systemLocation().toLocal8Bit().toStdString());
    return paths;
}

QString realDevice(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::canonical(path, ec);
    return QString::fromLocal8Bit(ec ? path : real.string());
}

QtSerialComponent::DeviceResolver systemDeviceResolver(std::map<int, std::string> configured) {
    return [configured = std::move(configured)](int port) {
        return devicePathForPort(port, configured, presentSerialPorts());
    };
}

}  // namespace quadrel
