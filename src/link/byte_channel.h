#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace mk843nb {

// The line to the programmer board as the protocol sees it. Every operation on
// a closed channel raises ECommError 7; every other failure raises ECommError
// with the code of the operation and the system's reason. Nothing here retries.
class ByteChannel {
public:
    virtual ~ByteChannel() = default;

    // Format 1 is 8 data bits, no parity, one stop bit (the only one the link uses);
    // 0 is 7 data bits, even parity, two stop bits; anything else 8 data bits, no
    // parity, two stop bits. Closes the channel, then opens portName with no flow
    // control, DTR and RTS on. Raises ECommError 8, 14, 15 or 16.
    virtual void Configure(std::uint32_t baudRate, const std::string& portName, int format) = 0;
    // Closing a closed channel does nothing.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual const std::string& PortName() const = 0;

    // Hands the whole buffer to the line; an empty buffer writes nothing.
    // Returns once the bytes have left the program's buffers, at most 500 ms later.
    virtual void Write(std::span<const std::uint8_t> bytes) = 0;
    // Bytes received and not yet read; never waits.
    virtual std::size_t BytesAvailable() = 0;
    // Waits until at least one byte has arrived or timeoutMs have passed without
    // one, keeping the program's event loop running and the CPU idle; then takes up
    // to out.size() of the bytes that have arrived. Returns how many it took: 0
    // means timeoutMs passed in silence. A timeout of 0 never waits.
    virtual std::size_t ReadNext(std::span<std::uint8_t> out, int timeoutMs) = 0;
    // Drops everything received and not yet read and everything not yet sent.
    virtual void Purge() = 0;
};

}  // namespace mk843nb
