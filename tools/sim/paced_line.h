#pragma once

#include <chrono>
#include <cstddef>
#include <optional>

#include "frames.h"
#include "line_timing.h"

namespace mk843nb::sim {

using Clock = std::chrono::steady_clock;

// SIGTERM and SIGINT are blocked except while the emulator waits, so a stop
// request always ends a wait (never a half-written reply) and is never missed.
void BlockStopSignals();
bool StopRequested();

// The serial line as the board sees it: bytes arrive no faster than the baud rate
// allows (10 bits a byte) and replies go out at that pace. Baud 0: no pacing.
class PacedLine {
public:
    PacedLine(int fd, unsigned baud);

    Clock::duration ByteTime() const { return byteTime_; }

    enum class Wait { Data, Timeout, Stopped };
    // Waits for input up to timeout (none: for ever) and appends what came to out.
    Wait Read(Bytes& out, std::optional<std::chrono::milliseconds> timeout);

    // When the next received byte, read now, has come over the wire completely.
    Clock::time_point Arrival();

    // Sends bytes starting at start; the byte before which a gap falls is held
    // back gap longer. False when a stop request interrupted the reply.
    bool Send(const Bytes& bytes, Clock::time_point start, std::chrono::milliseconds gap = {},
              std::size_t gapBeforeByte = 0);

    // False when a stop request came first.
    static bool SleepUntil(Clock::time_point when);

private:
    bool WriteAll(const std::uint8_t* data, std::size_t size);

    int fd_;
    Clock::duration byteTime_;
    Clock::time_point lastArrival_{};
};

}  // namespace mk843nb::sim
