#pragma once

// The emulator's board without the pseudo-terminal: the same responder and
// fault plan behind the link's byte-channel interface, on a clock that moves
// only when the link waits. A silence of three seconds costs nothing, and the
// link meets a board that shares none of its frame code.
//
//   InProcessLine line;
//   InProcessBoard& board = line.Plug("ttyS0", memory, {ParseFault("bad-ack:9")});
//   LinkSession session([&] { return line.MakeChannel(); }, line.clock, events);

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "faults.h"
#include "link/byte_channel.h"
#include "link/comm_error.h"
#include "link/link_clock.h"
#include "responder.h"

namespace mk843nb::sim {

// Time that passes only when someone waits on it.
class ManualClock : public LinkClock {
public:
    std::int64_t NowMs() override { return Now().count() / 1'000'000; }
    void Delay(int ms) override;

    std::chrono::nanoseconds Now() const { return now_; }
    void Advance(std::chrono::nanoseconds by) { now_ += by; }
    void AdvanceTo(std::chrono::nanoseconds when) { now_ = std::max(now_, when); }

    // Every Delay asked for, in order.
    const std::vector<int>& Delays() const { return delays_; }

private:
    std::chrono::nanoseconds now_{std::chrono::seconds(1)};
    std::vector<int> delays_;
};

struct BoardTiming {
    unsigned baud = 9600;                     // 0: every byte crosses at once
    std::chrono::milliseconds turnaround{0};  // from the end of a request to the reply
};

// A programmer board with its pager behind one port name.
class InProcessBoard {
public:
    InProcessBoard(const PagerImage& memory, FaultPlan faults, BoardTiming timing);

    const PagerImage& Memory() const { return responder_.Memory(); }
    // Every complete request the board received, in order (frame numbers are positions + 1).
    std::vector<Bytes> Requests() const;
    const std::vector<Response>& Responses() const { return responses_; }
    // A hang-up fault closed the terminal: the device is gone.
    bool HungUp() const { return hungUp_; }
    int Opens() const { return opens_; }
    // Whether a pager sits on the board, asked at each request (see Responder::SetCradle).
    void SetCradle(std::function<Responder::Cradle()> cradle) {
        responder_.SetCradle(std::move(cradle));
    }
    // The operator lifts each pager once it is written and places the next
    // (see Responder::NewPagerAfterEachWrite).
    void NewPagerAfterEachWrite(bool on) { responder_.NewPagerAfterEachWrite(on); }

private:
    friend class InProcessChannel;
    friend class InProcessLine;

    Responder responder_;
    BoardTiming timing_;
    std::vector<Response> responses_;
    std::chrono::nanoseconds lastArrival_{};  // the last request byte the board took
    std::chrono::nanoseconds lineFreeAt_{};   // the end of the last reply sent
    bool hungUp_ = false;
    int opens_ = 0;
    std::optional<ECommError> refuseEveryOpen_;
    std::map<int, ECommError> refuseOpen_;  // open number (from 1) -> the error it raises
};

class InProcessLine;

// The channel the link opens: Configure finds the board by the port name.
class InProcessChannel : public ByteChannel {
public:
    explicit InProcessChannel(InProcessLine& line);
    ~InProcessChannel() override;

    void Configure(std::uint32_t baudRate, const std::string& portName, int format) override;
    void Close() override { board_ = nullptr; }
    bool IsOpen() const override { return board_ != nullptr; }
    const std::string& PortName() const override { return name_; }
    void Write(std::span<const std::uint8_t> bytes) override;
    std::size_t BytesAvailable() override;
    std::size_t ReadNext(std::span<std::uint8_t> out, int timeoutMs) override;
    void Purge() override;

    // What the link configured last.
    std::uint32_t BaudRate() const { return baudRate_; }
    int Format() const { return format_; }

private:
    friend class InProcessLine;
    struct Timed {
        std::chrono::nanoseconds at;
        std::uint8_t value;
    };
    void RequireOpen() const;
    // Once the board hung up and what it sent has been taken, the device fails.
    void RequireDevice(CommErrorCode code) const;
    std::size_t Arrived() const;
    void Take(const Response& response, std::chrono::nanoseconds received);

    InProcessLine& line_;
    InProcessBoard* board_ = nullptr;
    std::string name_;
    std::uint32_t baudRate_ = 0;
    int format_ = -1;
    std::deque<Timed> incoming_;  // reply bytes with the time each has crossed the wire
};

// Boards by port name, the clock they share, and a factory of channels onto them.
class InProcessLine {
public:
    ManualClock clock;

    // Puts a new board behind portName, replacing the one there (its frame count starts again).
    InProcessBoard& Plug(const std::string& portName, const PagerImage& memory,
                         FaultPlan faults = {}, BoardTiming timing = {});
    // Opening portName raises error: every time, or only on its n-th open (from 1).
    void RefuseOpen(const std::string& portName, const ECommError& error);
    void RefuseOpen(const std::string& portName, int openNumber, const ECommError& error);
    // Whatever refused to open portName has passed.
    void AcceptOpens(const std::string& portName);

    InProcessBoard& Board(const std::string& portName) { return *boards_.at(portName); }
    std::unique_ptr<ByteChannel> MakeChannel();
    // The channels alive now, oldest first.
    const std::vector<InProcessChannel*>& Channels() const { return channels_; }

private:
    friend class InProcessChannel;
    std::map<std::string, std::unique_ptr<InProcessBoard>> boards_;
    std::vector<InProcessChannel*> channels_;
};

}  // namespace mk843nb::sim
