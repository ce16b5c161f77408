#include "serial/qt_serial_port.h"

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
constexpr int kMinPort = 1;
constexpr int kMaxPort = 16;

// What QSerialPort may hold for us between two ready-reads; beyond it the
// bytes wait in the system's buffer.
constexpr qint64 kReadBufferSize = 64 * 1024;
// The most bytes handed on at once; a faster stream than the program
// takes leaves the rest for the next ready-read.
constexpr qint64 kMaxRead = 64 * 1024;
// A lost device is looked for twice a second; a port in use, every two.
constexpr int kReopenMs = 500, kBusyRetryMs = 2000;

QSerialPort::Parity toQt(Parity parity) {
    switch (parity) {
        case Parity::Even:
            return QSerialPort::EvenParity;
        case Parity::Odd:
            return QSerialPort::OddParity;
        case Parity::Mark:
            return QSerialPort::MarkParity;
        case Parity::Space:
            return QSerialPort::SpaceParity;
        case Parity::None:
            break;
    }
    return QSerialPort::NoParity;
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

QtSerialPort::QtSerialPort(DeviceResolver resolver, QObject* parent)
    : QObject(parent), resolver_(std::move(resolver)), serial_(new QSerialPort(this)) {
    serial_->setObjectName(QStringLiteral("serialPort"));
    serial_->setReadBufferSize(kReadBufferSize);
    reopen_.setInterval(kReopenMs);
    connect(&reopen_, &QTimer::timeout, this, &QtSerialPort::tryReopen);
    // Another reader is gone when reads have come right for a while.
    sharedFor_.setSingleShot(true);
    sharedFor_.setInterval(5000);
    connect(&sharedFor_, &QTimer::timeout, this, [this] {
        shared_ = false;
        emit sharedReader({});
    });
    connect(serial_, &QSerialPort::readyRead, this, &QtSerialPort::onReadyRead);
    connect(serial_, &QSerialPort::errorOccurred, this, &QtSerialPort::onErrorOccurred);
}

QtSerialPort::~QtSerialPort() {
    // The port is destroyed after this object's members; keep its last
    // signals from reaching them.
    serial_->disconnect(this);
    tuning_.close();  // while the port's descriptor is still its own
    if (serial_->isOpen()) serial_->close();
}

void QtSerialPort::setPortNumber(int port) {
    if (open_)
        fail(SerialError::Kind::InvalidValue,
             "The port number cannot change while the port is open");
    if (port < kMinPort || port > kMaxPort)
        fail(SerialError::Kind::InvalidValue, "There is no port COM " + std::to_string(port));
    port_ = port;
}

void QtSerialPort::setLine(const LineSettings& line) {
    if (!portTakes(line))
        fail(SerialError::Kind::InvalidValue,
             "Invalid port settings \"" + formatLineSettings(line) + "\"");
    if (open_) {
        if (const auto refused = applyLine(line); !refused.empty()) {
            applyLine(line_);  // back to what worked
            fail(SerialError::Kind::InvalidValue,
                 openFailureMessage(SerialError::Kind::InvalidValue, port_, device_, refused));
        }
    }
    line_ = line;
}

void QtSerialPort::setRts(bool on) {
    rts_ = on;
    if (open_) applyLines();
}

void QtSerialPort::setDtr(bool on) {
    dtr_ = on;
    if (open_) applyLines();
}

void QtSerialPort::open() {
    if (open_) throw SerialError(SerialError::Kind::InvalidValue, "The port is already open");
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

    if (const auto refused = applyLine(line_); !refused.empty()) {
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

void QtSerialPort::close() {
    if (!open_) throw SerialError(SerialError::Kind::NotOpen, "The port is not open");
    reopen_.stop();
    open_ = false;
    tuning_.close();
    serial_->close();
    serial_->clearError();
}

void QtSerialPort::applyLines() {
    // A device without modem lines (a pseudo-terminal, some adapters)
    // refuses these; the port works without them, so that is no failure.
    serial_->setRequestToSend(rts_);
    serial_->setDataTerminalReady(dtr_);
    serial_->clearError();
}

std::string QtSerialPort::applyLine(const LineSettings& s) {
    // termios has no 1.5 stop bits; QSerialPort would quietly use 1 instead.
    if (s.stopBits == StopBits::OneAndHalf) return "1.5 stop bits are not supported on this system";
    std::string refused;
    if (!serial_->setBaudRate(s.baud))
        refused = std::to_string(s.baud) + " baud";
    else if (!serial_->setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits)))
        refused = std::to_string(s.dataBits) + " data bits";
    else if (!serial_->setParity(toQt(s.parity)))
        refused = std::string("parity ") + parityLetter(s.parity);
    else if (!serial_->setStopBits(toQt(s.stopBits)))
        refused = s.stopBits == StopBits::Two ? "2 stop bits" : "1 stop bit";
    else if (!serial_->setFlowControl(QSerialPort::NoFlowControl))
        refused = "no flow control";
    if (!refused.empty()) refused += " (" + serial_->errorString().toStdString() + ")";
    serial_->clearError();
    return refused;
}

void QtSerialPort::fail(SerialError::Kind kind, const std::string& message) {
    lastError_ = QString::fromStdString(message);
    throw SerialError(kind, message);
}

void QtSerialPort::onReadyRead() {
    // All that has arrived, so that its bytes can be placed in time: the
    // last came as the read returned, those before it a byte time apart.
    read_.resize(static_cast<std::size_t>(kMaxRead));
    qint64 got = 0;
    while (open_ && got < kMaxRead) {
        const qint64 n = serial_->read(reinterpret_cast<char*>(read_.data()) + got, kMaxRead - got);
        if (n <= 0) break;
        got += n;
    }
    if (got <= 0) return;
    if (onRead_) onRead_(std::span(read_.data(), static_cast<std::size_t>(got)));
    // What arrived meanwhile, or what did not fit, comes with the next
    // ready-read; Qt raises none for bytes it already holds.
    if (open_ && serial_->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &QtSerialPort::onReadyRead, Qt::QueuedConnection);
}

void QtSerialPort::onErrorOccurred(QSerialPort::SerialPortError error) {
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
    QMetaObject::invokeMethod(this, &QtSerialPort::finishLinkLoss, Qt::QueuedConnection);
}

void QtSerialPort::finishLinkLoss() {
    if (!lossPending_) return;
    lossPending_ = false;
    tuning_.close();
    serial_->close();
    serial_->clearError();
    reopen_.start(kReopenMs);
    emit linkLost(lastError_);
}

void QtSerialPort::tryReopen() {
    if (open_ || !QFileInfo::exists(QString::fromLocal8Bit(device_))) return;
    // The same path and settings as before; the resolver is not asked
    // again, so another device in its place is not taken by mistake.
    serial_->setPortName(realDevice(device_));
    if (!serial_->open(QIODevice::ReadWrite)) {
        serial_->clearError();
        return;  // back, but not ready yet: try again
    }
    if (!applyLine(line_).empty()) {
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

QtSerialPort::DeviceResolver systemDeviceResolver(std::map<int, std::string> configured) {
    return [configured = std::move(configured)](int port) {
        return devicePathForPort(port, configured, presentSerialPorts());
    };
}

}  // namespace quadrel
