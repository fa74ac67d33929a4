#include "link/comm_port.h"

#include <poll.h>
#include <sys/stat.h>

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QSerialPort>
#include <QTimer>
#include <cerrno>

#include "link/port_diagnosis.h"
#include "link/port_users.h"

namespace mk843nb {
namespace {

constexpr const char* kLineGone = "the device was unplugged or closed";

// Runs a local event loop until the port emits signal, reports an error, or ms pass.
template <typename Signal>
void WaitFor(QSerialPort& port, Signal signal, int ms) {
    QEventLoop loop;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&port, signal, &loop, &QEventLoop::quit);
    QObject::connect(&port, &QSerialPort::errorOccurred, &loop,
                     [&loop](QSerialPort::SerialPortError e) {
                         if (e != QSerialPort::NoError) loop.quit();
                     });
    timer.start(ms);
    loop.exec();
}

bool IsDeviceFailure(QSerialPort::SerialPortError error) {
    // Setting DTR or RTS on a device without modem lines reports an unsupported
    // operation; a wait that ran out is no failure of the device either.
    return error != QSerialPort::NoError && error != QSerialPort::UnsupportedOperationError &&
           error != QSerialPort::TimeoutError;
}

// What kind of failure Qt saw, in words, ahead of the system's own text.
const char* KindOf(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::DeviceNotFoundError:
            return "no such device";
        case QSerialPort::PermissionError:
            return "permission denied";
        case QSerialPort::OpenError:
            return "the device is already open";
        case QSerialPort::ResourceError:
            return kLineGone;
        case QSerialPort::ReadError:
            return "read failed";
        case QSerialPort::WriteError:
            return "write failed";
        case QSerialPort::NotOpenError:
            return "the device is not open";
        default:
            return "";
    }
}

// The line is gone: the adapter was unplugged (its node vanished, or the
// descriptor reports a hang-up) or the other end of a terminal closed it.
bool LineGone(const QSerialPort& port, const std::string& name) {
    const auto fd = static_cast<int>(port.handle());
    if (fd >= 0) {
        pollfd line{fd, POLLIN, 0};
        if (::poll(&line, 1, 0) == 1 && (line.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)
            return true;
    }
    struct stat st {};
    return ::stat(DevicePathOf(name).c_str(), &st) != 0;
}

}  // namespace

TCommPort::TCommPort() = default;

TCommPort::~TCommPort() {
    if (port_) port_->close();
}

bool TCommPort::IsOpen() const { return port_ != nullptr && port_->isOpen(); }

void TCommPort::RequireOpen() const {
    if (!IsOpen()) throw ECommError{CommErrorCode::NotOpen, 0, "the port is not open", false};
}

void TCommPort::RequireClosed() const {
    if (IsOpen()) throw ECommError{CommErrorCode::PortNameWhileOpen, 0, "the port is open", false};
}

void TCommPort::Raise(CommErrorCode code) const {
    const int systemError = errno;
    ECommError error{code, static_cast<std::uint32_t>(systemError), "", false};
    if (port_) {
        const QSerialPort::SerialPortError qtError = port_->error();
        // After a hang-up the system's last error text is whatever a later call
        // left behind ("Inappropriate ioctl for device"); the cause is known.
        const bool transferError = qtError == QSerialPort::ReadError ||
                                   qtError == QSerialPort::WriteError ||
                                   qtError == QSerialPort::ResourceError;
        if (transferError &&
            (qtError == QSerialPort::ResourceError || LineGone(*port_, portName_))) {
            error.reason = kLineGone;
        } else {
            const std::string kind = KindOf(qtError);
            const std::string text = port_->errorString().toStdString();
            error.reason = kind.empty() ? text : text.empty() ? kind : kind + ": " + text;
        }
        error.permissionDenied = port_->error() == QSerialPort::PermissionError;
    }
    throw error;
}

void TCommPort::ThrowIfFailed(CommErrorCode code) const {
    if (port_ && IsDeviceFailure(port_->error())) Raise(code);
}

void TCommPort::Open() {
    if (IsOpen()) return;
    // Nothing is opened, so nothing is sent, on a port another program holds:
    // the device's exclusive flag keeps out no one running as root.
    if (const auto refusal = CheckBeforeOpen(DevicePathOf(portName_))) {
        const bool held = !refusal->holders.empty();
        throw ECommError{CommErrorCode::CannotOpen, held ? static_cast<std::uint32_t>(EBUSY) : 0U,
                         refusal->reason, held};
    }
    port_ = std::make_unique<QSerialPort>();
    port_->setPortName(QString::fromStdString(portName_));
    if (!port_->open(QIODevice::ReadWrite)) Raise(CommErrorCode::CannotOpen);
    try {
        ApplyLineSettings();
    } catch (...) {
        port_->close();
        throw;
    }
    // The device has no driver queue to size; the program's own input queue is bounded instead.
    port_->setReadBufferSize(kReadQueueSize);
    port_->setDataTerminalReady(true);
    port_->setRequestToSend(true);
    port_->clearError();
}

void TCommPort::ApplyLineSettings() {
    const auto dataBits = dataBits_ == 7 ? QSerialPort::Data7 : QSerialPort::Data8;
    const auto parity = parity_ == 2 ? QSerialPort::EvenParity : QSerialPort::NoParity;
    const auto stopBits = stopBits_ == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop;
    if (!port_->setBaudRate(static_cast<qint32>(baudRate_)) || !port_->setDataBits(dataBits) ||
        !port_->setParity(parity) || !port_->setStopBits(stopBits) ||
        !port_->setFlowControl(QSerialPort::NoFlowControl)) {
        Raise(CommErrorCode::SettingsRefused);
    }
}

void TCommPort::Close() {
    if (!IsOpen()) return;
    port_->close();
    port_.reset();
}

void TCommPort::SetBaudRate(std::uint32_t baudRate) {
    const std::uint32_t old = baudRate_;
    baudRate_ = baudRate;
    if (IsOpen() && !port_->setBaudRate(static_cast<qint32>(baudRate))) {
        baudRate_ = old;
        port_->setBaudRate(static_cast<qint32>(old));
        Raise(CommErrorCode::BaudRateRefused);
    }
}

void TCommPort::SetPortName(const std::string& name) {
    RequireClosed();
    portName_ = name;
}

void TCommPort::Configure(std::uint32_t baudRate, const std::string& portName, int format) {
    switch (format) {
        case 0:
            dataBits_ = 7;
            parity_ = 2;
            stopBits_ = 2;
            break;
        case 1:
            dataBits_ = 8;
            parity_ = 0;
            stopBits_ = 1;
            break;
        default:
            dataBits_ = 8;
            parity_ = 0;
            stopBits_ = 2;
            break;
    }
    Close();
    SetBaudRate(baudRate);
    SetPortName(portName);
    Open();
}

void TCommPort::Write(std::span<const std::uint8_t> bytes) {
    RequireOpen();
    if (bytes.empty()) return;
    ThrowIfFailed(CommErrorCode::WriteFailed);
    const auto size = static_cast<qint64>(bytes.size());
    if (port_->write(reinterpret_cast<const char*>(bytes.data()), size) != size)
        Raise(CommErrorCode::WriteFailed);
    port_->flush();
    // The line may take the bytes in several pieces; all of them get the one 500 ms.
    const QDeadlineTimer deadline(kWriteTimeoutMs, Qt::PreciseTimer);
    while (port_->bytesToWrite() > 0 && !deadline.hasExpired()) {
        WaitFor(*port_, &QSerialPort::bytesWritten, static_cast<int>(deadline.remainingTime()));
        ThrowIfFailed(CommErrorCode::WriteFailed);
    }
    ThrowIfFailed(CommErrorCode::WriteFailed);
    if (port_->bytesToWrite() > 0) {
        throw ECommError{CommErrorCode::WriteFailed, 0, "the write did not leave within 500 ms",
                         false};
    }
}

std::size_t TCommPort::BytesAvailable() {
    RequireOpen();
    ThrowIfFailed(CommErrorCode::LineStateUnreadable);
    return static_cast<std::size_t>(port_->bytesAvailable());
}

std::size_t TCommPort::ReadNext(std::span<std::uint8_t> out, int timeoutMs) {
    RequireOpen();
    ThrowIfFailed(CommErrorCode::ReadFailed);
    if (out.empty()) return 0;
    if (port_->bytesAvailable() == 0 && timeoutMs > 0)
        WaitFor(*port_, &QSerialPort::readyRead, timeoutMs);
    ThrowIfFailed(CommErrorCode::ReadFailed);
    const qint64 got =
        port_->read(reinterpret_cast<char*>(out.data()), static_cast<qint64>(out.size()));
    if (got < 0) Raise(CommErrorCode::ReadFailed);
    return static_cast<std::size_t>(got);
}

std::uint8_t TCommPort::ReadByte() {
    std::uint8_t byte = 0;
    if (ReadNext(std::span(&byte, 1), kWriteTimeoutMs) != 1) {
        throw ECommError{CommErrorCode::ReadFailed, 0, "no byte within 500 ms", false};
    }
    return byte;
}

void TCommPort::Purge() {
    RequireOpen();
    if (!port_->clear(QSerialPort::AllDirections)) Raise(CommErrorCode::PurgeFailed);
}

}  // namespace mk843nb
