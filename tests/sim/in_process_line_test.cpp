// The in-process board keeps the line's time as the emulator does on a real
// pseudo-terminal: pacing, turnaround, gaps, a forgotten half request, a
// device that vanishes with a hang-up.
#include "in_process_line.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>

#include "frames.h"
#include "line_timing.h"
#include "pager_memory.h"

namespace mk843nb::sim {
namespace {

using std::chrono::milliseconds;
using std::chrono::nanoseconds;

Bytes ReadRequest(std::uint8_t address, std::uint8_t count) {
    const std::uint8_t body[] = {0, address, count};
    return BuildFrame(kReadSub, 3, body);
}

struct LineFixture : testing::Test {
    InProcessBoard& Plug(const std::vector<std::string>& faults = {}, BoardTiming timing = {}) {
        FaultPlan plan;
        for (const auto& text : faults) plan.push_back(ParseFault(text));
        InProcessBoard& board = line.Plug("ttyS0", memory, plan, timing);
        if (!port) port = line.MakeChannel();
        port->Configure(9600, "ttyS0", 1);
        return board;
    }
    // Takes every byte of the reply, waiting as long as needed; returns the bytes.
    Bytes TakeAll(std::size_t count) {
        Bytes got(count);
        std::size_t taken = 0;
        while (taken < count) {
            const std::size_t n = port->ReadNext(std::span(got).subspan(taken), 10'000);
            if (n == 0) break;
            taken += n;
        }
        got.resize(taken);
        return got;
    }
    nanoseconds Now() const { return line.clock.Now(); }

    PagerImage memory = MakePagerMemory({});
    InProcessLine line;
    std::unique_ptr<ByteChannel> port;
};

TEST_F(LineFixture, ReplyCrossesTheWireAtTheBoardsPaceAfterItsTurnaround) {
    struct Case {
        unsigned baud;
        int turnaroundMs;
    };
    for (const Case c : {Case{9600, 0}, Case{9600, 25}, Case{1200, 5}, Case{0, 0}}) {
        SCOPED_TRACE(c.baud);
        Plug({}, {c.baud, milliseconds(c.turnaroundMs)});
        const nanoseconds byte = ByteTimeAt(c.baud);
        const nanoseconds start = Now();
        const Bytes request = ReadRequest(0, 16);
        port->Write(request);
        const Bytes reply = TakeAll(31);
        // The request crosses first, then the turnaround, then 31 reply bytes.
        const nanoseconds expected =
            byte * static_cast<long long>(request.size() + 31) + milliseconds(c.turnaroundMs);
        EXPECT_EQ(Now() - start, expected);
        EXPECT_EQ(reply, BuildReadReply(std::span(memory).first(16)));
    }
}

TEST_F(LineFixture, BytesArriveOnlyWhenTheyHaveCrossed) {
    Plug({"gap:1:400:5"});
    port->Write(ReadRequest(0, 0));
    std::array<std::uint8_t, 15> reply{};
    EXPECT_EQ(port->ReadNext(reply, 0), 0u) << "a timeout of 0 never waits";
    EXPECT_EQ(port->ReadNext(std::span(reply).first(5), 1000), 1u) << "the first byte, alone";
    line.clock.Advance(milliseconds(10));
    EXPECT_EQ(port->BytesAvailable(), 4u) << "up to the gap";
    EXPECT_EQ(port->ReadNext(std::span(reply).first(4), 0), 4u);
    EXPECT_EQ(port->ReadNext(reply, 300), 0u) << "300 ms of the 400 ms gap pass in silence";
    EXPECT_EQ(port->ReadNext(reply, 300), 1u);
    line.clock.Advance(milliseconds(3));
    port->Purge();
    EXPECT_EQ(TakeAll(8).size(), 7u) << "a purge drops the two bytes that have arrived, no more";
}

TEST_F(LineFixture, HalfARequestIsForgottenAfterHalfASecondOfSilence) {
    InProcessBoard& board = Plug();
    const Bytes request = ReadRequest(0, 0);
    port->Write(std::span(request).first(14));
    line.clock.Advance(milliseconds(600));
    port->Write(request);
    EXPECT_EQ(board.Requests(), std::vector<Bytes>{request});
    EXPECT_EQ(TakeAll(15).size(), 15u);

    port->Write(std::span(request).first(14));
    line.clock.Advance(milliseconds(300));
    port->Write(std::span(request).subspan(14));
    EXPECT_EQ(board.Requests().size(), 2u) << "a pause under the limit keeps the first part";
}

TEST_F(LineFixture, HangUpTakesTheDeviceAwayOnceTheReplyIsRead) {
    InProcessBoard& board = Plug({"hangup:1"});
    port->Write(ReadRequest(0, 0));
    EXPECT_TRUE(board.HungUp());
    EXPECT_EQ(TakeAll(15).size(), 15u) << "the last reply is still delivered";
    const auto expectFailure = [&](auto operation, CommErrorCode code) {
        try {
            operation();
            ADD_FAILURE() << "no error for code " << int(code);
        } catch (const ECommError& error) {
            EXPECT_EQ(error.code, code);
            EXPECT_EQ(error.systemError, std::uint32_t{EIO});
            EXPECT_EQ(error.reason, "Input/output error");
        }
    };
    std::array<std::uint8_t, 1> byte{};
    expectFailure([&] { port->ReadNext(byte, 100); }, CommErrorCode::ReadFailed);
    expectFailure([&] { port->BytesAvailable(); }, CommErrorCode::LineStateUnreadable);
    expectFailure([&] { port->Write(ReadRequest(0, 0)); }, CommErrorCode::WriteFailed);
    port->Close();
    EXPECT_THROW(port->Configure(9600, "ttyS0", 1), ECommError) << "the device is gone";
    EXPECT_EQ(board.Requests().size(), 1u);
}

TEST_F(LineFixture, OpeningFindsTheBoardByNameOrFailsAsTheSystemSays) {
    Plug();
    auto other = line.MakeChannel();
    try {
        other->Configure(9600, "ttyS9", 1);
        ADD_FAILURE() << "opened a port with no device";
    } catch (const ECommError& error) {
        EXPECT_EQ(error.code, CommErrorCode::CannotOpen);
        EXPECT_EQ(error.systemError, std::uint32_t{ENOENT});
    }
    EXPECT_FALSE(other->IsOpen());

    const ECommError busy{CommErrorCode::CannotOpen, EBUSY, "Device or resource busy", false};
    line.RefuseOpen("ttyS0", 3, busy);
    EXPECT_NO_THROW(other->Configure(9600, "ttyS0", 1)) << "open 2";
    EXPECT_THROW(other->Configure(9600, "ttyS0", 1), ECommError) << "open 3";
    EXPECT_NO_THROW(other->Configure(9600, "ttyS0", 1)) << "open 4";
    EXPECT_EQ(line.Board("ttyS0").Opens(), 4);

    line.Plug("ttyS0", memory);
    EXPECT_FALSE(port->IsOpen()) << "unplugging the board closes the channels onto it";
    EXPECT_FALSE(other->IsOpen());
}

}  // namespace
}  // namespace mk843nb::sim
