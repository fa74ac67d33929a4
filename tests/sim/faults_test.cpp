#include "faults.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace mk843nb::sim {
namespace {

using std::chrono::milliseconds;

TEST(ParseFault, ReadsEveryKind) {
    struct Case {
        const char* text;
        FaultKind kind;
        unsigned frame;
        milliseconds gap;
        std::optional<std::size_t> beforeByte;
    };
    const Case cases[] = {
        {"no-answer", FaultKind::NoAnswer, 0, milliseconds(0), {}},
        {"no-answer:4", FaultKind::NoAnswer, 4, milliseconds(0), {}},
        {"gap:3:3100", FaultKind::Gap, 3, milliseconds(3100), {}},
        {"gap:5:2900:0", FaultKind::Gap, 5, milliseconds(2900), std::size_t{0}},
        {"bad-checksum:5", FaultKind::BadChecksum, 5, milliseconds(0), {}},
        {"bad-ack:12", FaultKind::BadAck, 12, milliseconds(0), {}},
        {"hangup:20", FaultKind::HangUp, 20, milliseconds(0), {}},
        {"lost-write:7", FaultKind::LostWrite, 7, milliseconds(0), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Fault fault = ParseFault(c.text);
        EXPECT_EQ(fault.kind, c.kind);
        EXPECT_EQ(fault.frame, c.frame);
        EXPECT_EQ(fault.gap, c.gap);
        EXPECT_EQ(fault.beforeByte, c.beforeByte);
    }
}

TEST(ParseFault, RefusesWhatItCannotRead) {
    for (const char* text :
         {"", "silence", "gap", "gap:3", "gap:0:100", "gap:3:-5", "gap:3:1:2:3", "bad-ack",
          "bad-ack:0", "bad-ack:x", "hangup:3:4", "no-answer:", "bad-checksum:3 ", "lost-write"}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(ParseFault(text), std::invalid_argument);
    }
}

}  // namespace
}  // namespace mk843nb::sim
