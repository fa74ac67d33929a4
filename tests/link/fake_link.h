#pragma once

// An in-memory line for the link's unit tests: a fake clock that waits for
// nothing, and boards behind port names that answer requests from a 256-byte
// memory, with the faults a real line shows (silence, gaps, bad sums, wrong
// acknowledgements, a device that fails mid-transfer or cannot be opened).

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/pager_image.h"
#include "link/byte_channel.h"
#include "link/comm_error.h"
#include "link/link_clock.h"

namespace mk843nb::test {

using Bytes = std::vector<std::uint8_t>;

class FakeClock : public LinkClock {
public:
    std::int64_t NowMs() override { return now; }
    void Delay(int ms) override {
        now += ms;
        delays.push_back(ms);
    }
    std::int64_t now = 1000;
    std::vector<int> delays;
};

// A board with a pager, as one port shows it.
struct FakeBoard {
    PagerImage memory{};
    bool silent = false;                   // answers nothing
    int msPerByte = 1;                     // reply pacing
    std::optional<ECommError> openError;   // every Configure fails with this
    std::map<int, ECommError> openErrors;  // open number (from 1) -> Configure fails with this
    // Faults by request number, counted from 1 across the board's life.
    std::map<int, int> gapBeforeLastByteMs;  // request -> silence before the reply's last byte
    std::vector<int> noAnswer;               // requests left unanswered
    std::vector<int> badChecksum;            // read replies with the sum off by one
    std::vector<int> badAck;                 // write replies with status 0x07 instead of 0x06
    int failOnRequest = 0;                   // this request raises ECommError 9 (device gone)

    std::vector<Bytes> requests;  // every request received, whole
    int opens = 0;

    // The reply the board sends to one whole request (empty for none).
    Bytes Answer(const Bytes& request);
};

// The channel the link opens; Configure looks the port name up among the boards.
class FakeChannel : public ByteChannel {
public:
    FakeChannel(FakeClock& clock, std::map<std::string, FakeBoard*>& boards,
                std::vector<FakeChannel*>& live)
        : clock_(clock), boards_(boards), live_(live) {
        live_.push_back(this);
    }
    ~FakeChannel() override { std::erase(live_, this); }

    void Configure(std::uint32_t baudRate, const std::string& portName, int format) override;
    void Close() override { board_ = nullptr; }
    bool IsOpen() const override { return board_ != nullptr; }
    const std::string& PortName() const override { return name_; }
    void Write(std::span<const std::uint8_t> bytes) override;
    std::size_t BytesAvailable() override;
    std::size_t ReadNext(std::span<std::uint8_t> out, int timeoutMs) override;
    void Purge() override;

    std::uint32_t baudRate = 0;
    int format = -1;

private:
    struct Timed {
        std::int64_t at;
        std::uint8_t value;
    };
    void RequireOpen() const;

    FakeClock& clock_;
    std::map<std::string, FakeBoard*>& boards_;
    std::vector<FakeChannel*>& live_;
    FakeBoard* board_ = nullptr;
    std::string name_;
    Bytes pending_;           // request bytes not yet a whole frame
    std::deque<Timed> line_;  // reply bytes with their arrival times
};

// Boards by port name and a factory of channels onto them.
struct FakeLine {
    FakeClock clock;
    std::map<std::string, FakeBoard*> boards;
    std::vector<FakeChannel*> channels;  // the channels the link holds now

    std::unique_ptr<ByteChannel> Make() {
        return std::make_unique<FakeChannel>(clock, boards, channels);
    }
};

// The pager memory as shipped, with the version, a model text and a right checksum.
PagerImage PagerMemory(std::uint8_t major, std::uint8_t minor, const std::string& model);

}  // namespace mk843nb::test
