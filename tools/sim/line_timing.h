#pragma once

#include <chrono>
#include <cstddef>

namespace mk843nb::sim {

// The serial line's timing as the board keeps it, shared by the emulator on a
// pseudo-terminal and the board the tests run in-process.

// A request cut short is forgotten after this much silence, so the next one is understood.
inline constexpr std::chrono::milliseconds kPartialFrameLimit{500};

// Ten bits a byte (start, eight data bits, stop); baud 0 is a line without pacing.
constexpr std::chrono::nanoseconds ByteTimeAt(unsigned baud) {
    return baud == 0 ? std::chrono::nanoseconds::zero()
                     : std::chrono::nanoseconds(10'000'000'000LL / baud);
}

// When reply byte `index` has crossed the wire, counted from the start of the
// reply: one byte time each, and the gap held back before byte gapBeforeByte.
constexpr std::chrono::nanoseconds ReplyByteDue(std::size_t index,
                                                std::chrono::nanoseconds byteTime,
                                                std::chrono::milliseconds gap,
                                                std::size_t gapBeforeByte) {
    return byteTime * static_cast<long long>(index + 1) +
           (index >= gapBeforeByte ? std::chrono::nanoseconds(gap) : std::chrono::nanoseconds{});
}

}  // namespace mk843nb::sim
