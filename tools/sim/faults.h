#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace mk843nb::sim {

// Frames are numbered from 1 in the order the board receives them, every
// complete request counting (whatever its kind, and across reopenings of the port).
enum class FaultKind {
    NoAnswer,     // the frame is ignored: nothing stored, nothing sent
    Gap,          // the reply pauses before one of its bytes
    BadChecksum,  // the reply's sum is wrong (a write is still stored)
    BadAck,       // a write is refused: the acknowledgement carries 0x15 instead of 0x06
    HangUp,       // the pseudo-terminal is closed once the frame is answered
    LostWrite,    // a write is acknowledged but not stored (the pager's memory did not take it)
};

struct Fault {
    FaultKind kind;
    // 0 only for NoAnswer: the board never answers at all.
    unsigned frame = 0;
    std::chrono::milliseconds gap{0};
    // For Gap: the index of the reply byte the pause comes before; unset means
    // the middle of the reply (its length / 2).
    std::optional<std::size_t> beforeByte;
};

// Parses one --fault value:
//   no-answer | no-answer:FRAME | gap:FRAME:MS | gap:FRAME:MS:BYTE |
//   bad-checksum:FRAME | bad-ack:FRAME | hangup:FRAME | lost-write:FRAME
// Throws std::invalid_argument with a message naming the fault on bad input.
Fault ParseFault(const std::string& text);

using FaultPlan = std::vector<Fault>;

}  // namespace mk843nb::sim
