#pragma once

// A programmer board played by the fuzzer's input. An honest board (the
// emulator's responder) answers every request; the input decides, request by
// request, what happens to the answer on its way: nothing, silence, a pause,
// a wrong sum, a refused write, a hang-up, a flipped byte, a cut reply, stray
// bytes after it or a late start. Time is a fake clock that only moves when
// the link waits, so a 3 s silence costs nothing.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "faults.h"
#include "image/pager_image.h"
#include "link/byte_channel.h"
#include "link/link_clock.h"
#include "responder.h"

namespace mk843nb::fuzz {

using Bytes = std::vector<std::uint8_t>;

class FakeClock : public LinkClock {
public:
    std::int64_t NowMs() override { return now; }
    void Delay(int ms) override { now += ms; }
    std::int64_t now = 0;
};

// What becomes of the reply to one request.
struct ReplyPlan {
    enum class Kind {
        Honest,
        NoAnswer,     // nothing stored, nothing sent
        Gap,          // a pause before one reply byte
        BadChecksum,  // the last byte of the reply inverted
        BadAck,       // a write refused with status 0x15
        HangUp,       // the device goes away once the reply is sent
        Flip,         // one reply byte changed
        Cut,          // the reply stops short
        Stray,        // bytes of the input's choosing follow the reply
        Late,         // the whole reply starts late
    } kind = Kind::Honest;
    int pauseMs = 0;
    std::size_t position = 0;
    std::uint8_t value = 0;
    Bytes stray;
};

// Reads plans off the input, one per request; an input that has run out plays honest.
class ReplyScript {
public:
    explicit ReplyScript(std::span<const std::uint8_t> input) : input_(input) {}
    std::uint8_t Next() { return at_ < input_.size() ? input_[at_++] : 0; }
    bool Empty() const { return at_ >= input_.size(); }
    ReplyPlan NextPlan();

private:
    std::span<const std::uint8_t> input_;
    std::size_t at_ = 0;
};

// Everything that passed on the line for one request: the request, and the
// bytes the link took from the line after it and before the next request.
struct Exchange {
    Bytes request;
    Bytes taken;
    ReplyPlan plan;
};

// The board with its pager, across reopenings of the port and restarts after
// a hang-up.
class PlayedBoard {
public:
    PlayedBoard(const PagerImage& memory, ReplyScript& script, FakeClock& clock)
        : memory_(memory), script_(script), clock_(clock) {}

    // What the pager holds.
    const PagerImage& Memory() const { return responder_ ? responder_->Memory() : memory_; }
    // A hung-up board is started again (as a user would), with the pager's memory.
    void Restart();
    bool HungUp() const { return hungUpAt_.has_value() && clock_.now >= *hungUpAt_; }
    // False once a stray byte has been sent: the line then carries bytes the
    // board never meant as an answer, which could form any reply at all.
    bool Honest() const { return honest_; }
    const std::vector<Exchange>& Exchanges() const { return exchanges_; }

    // The line, as the channel sees it.
    void Receive(std::span<const std::uint8_t> bytes);
    std::size_t Arrived() const;
    // Takes up to out.size() of the bytes that have arrived.
    std::size_t Take(std::span<std::uint8_t> out);
    // The arrival time of the next byte on its way, if any.
    std::optional<std::int64_t> NextArrival() const;
    std::optional<std::int64_t> HangUpTime() const { return hungUpAt_; }
    void DropArrived();

private:
    struct Timed {
        std::int64_t at;
        std::uint8_t value;
    };
    sim::Responder& Board();
    void Send(const sim::Response& response, const ReplyPlan& plan);

    PagerImage memory_;
    ReplyScript& script_;
    FakeClock& clock_;
    std::unique_ptr<sim::Responder> responder_;
    std::vector<ReplyPlan> plans_;  // the plan for each frame of the running board, from 1
    std::deque<Timed> line_;
    std::optional<std::int64_t> hungUpAt_;
    std::vector<Exchange> exchanges_;
    bool honest_ = true;
};

// The channel the link opens onto the played board. It counts the channels
// still open, so the fuzzer can check that every command closes its port.
class PlayedChannel : public ByteChannel {
public:
    PlayedChannel(PlayedBoard& board, FakeClock& clock, int& openChannels)
        : board_(board), clock_(clock), openChannels_(openChannels) {}
    ~PlayedChannel() override { Close(); }

    void Configure(std::uint32_t baudRate, const std::string& portName, int format) override;
    void Close() override;
    bool IsOpen() const override { return open_; }
    const std::string& PortName() const override { return name_; }
    void Write(std::span<const std::uint8_t> bytes) override;
    std::size_t BytesAvailable() override;
    std::size_t ReadNext(std::span<std::uint8_t> out, int timeoutMs) override;
    void Purge() override;

    // How often the link waited on the line; an endless wait shows here.
    static inline long waits = 0;

private:
    void RequireOpen() const;
    void RequireDevice(int code, const char* what) const;

    PlayedBoard& board_;
    FakeClock& clock_;
    int& openChannels_;
    bool open_ = false;
    std::string name_;
};

}  // namespace mk843nb::fuzz
