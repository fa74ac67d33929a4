#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "link/byte_channel.h"
#include "link/comm_error.h"

class QSerialPort;

namespace mk843nb {

// The program's serial port, over QSerialPort. Opens a name under /dev
// ("ttyUSB0") or a full path ("/dev/pts/3", "/dev/serial/by-id/..."). Line
// settings as last given to Configure or SetBaudRate (9600 8N1 at first), no
// flow control, DTR and RTS on (a device that cannot set them, such as a
// pseudo-terminal, is used without them). Waiting runs a local event loop.
class TCommPort : public ByteChannel {
public:
    TCommPort();
    ~TCommPort() override;
    TCommPort(const TCommPort&) = delete;
    TCommPort& operator=(const TCommPort&) = delete;

    static std::unique_ptr<ByteChannel> Create() { return std::make_unique<TCommPort>(); }

    // Refuses (ECommError 8) a path that is no terminal device ("not a serial
    // port") and a port another process holds ("in use by minicom (pid 42)")
    // before opening anything.
    void Open();
    void Close() override;
    bool IsOpen() const override;
    void SetBaudRate(std::uint32_t baudRate);
    void SetPortName(const std::string& name);
    const std::string& PortName() const override { return portName_; }
    void Configure(std::uint32_t baudRate, const std::string& portName, int format) override;

    void Write(std::span<const std::uint8_t> bytes) override;
    std::uint8_t ReadByte();
    std::size_t BytesAvailable() override;
    std::size_t ReadNext(std::span<std::uint8_t> out, int timeoutMs) override;
    void Purge() override;

    // 500 ms for a write to leave; a read returns what came within its own time-out.
    static constexpr int kWriteTimeoutMs = 500;
    static constexpr int kReadQueueSize = 32768;

private:
    void RequireOpen() const;
    void RequireClosed() const;
    [[noreturn]] void Raise(CommErrorCode code) const;
    void ApplyLineSettings();
    // A device error reported while waiting (unplugged adapter, hung-up terminal).
    void ThrowIfFailed(CommErrorCode code) const;

    std::unique_ptr<QSerialPort> port_;
    std::string portName_ = "ttyS0";
    std::uint32_t baudRate_ = 9600;
    int dataBits_ = 8;
    int parity_ = 0;    // 0 none, 2 even
    int stopBits_ = 1;  // 1 or 2
};

}  // namespace mk843nb
