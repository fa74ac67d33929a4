#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "faults.h"
#include "frames.h"
#include "image/pager_image.h"

namespace mk843nb::sim {

// One complete request and what the board does about it.
struct Response {
    unsigned frame = 0;  // 1-based, see faults.h
    Bytes request;
    Bytes reply;          // empty: the board stays silent
    bool stored = false;  // a write changed the pager memory
    std::string note;     // why the board is silent, or which fault was applied
    // Timing the line applies while sending the reply.
    std::chrono::milliseconds gap{0};
    std::size_t gapBeforeByte = 0;
    bool hangUp = false;
};

// The programmer board with its pager, as a pure byte machine: request bytes in,
// replies out. Frames are found by their preamble; bytes that cannot start or
// continue a request are dropped (see TakeDiscarded), as a board resynchronises
// on the next preamble.
class Responder {
public:
    explicit Responder(const PagerImage& memory, FaultPlan faults = {});

    // A complete request yields its response; a partial one yields nothing yet.
    std::optional<Response> Feed(std::uint8_t byte);
    std::vector<Response> Feed(std::span<const std::uint8_t> bytes);

    bool HasPartialFrame() const { return !pending_.empty(); }
    // Forgets a request cut short (the line went quiet); returns its bytes.
    Bytes DropPartialFrame();
    // Bytes dropped while hunting for a preamble since the last call.
    Bytes TakeDiscarded();

    const PagerImage& Memory() const { return memory_; }

    // The cradle: whether a pager sits on the board now, asked at each request.
    // Without one the board answers only its test (a read of no bytes); a pager
    // placed again is a fresh one, holding the memory it started with, or the
    // memory the cradle says it holds (the same pager put back). Unset, the
    // pager never leaves the board.
    struct Cradle {
        bool present = true;
        std::optional<PagerImage> memory;
    };
    void SetCradle(std::function<Cradle()> cradle) { cradle_ = std::move(cradle); }

    // An operator who lifts each pager once it is written and places the next:
    // the board test after a write finds a new pager, holding the memory the
    // first one started with.
    void NewPagerAfterEachWrite(bool on) { newPagerAfterWrite_ = on; }

private:
    bool PendingCanStartFrame() const;
    std::size_t PendingFrameSize() const;
    Response Answer(Bytes request);
    void Serve(Response& response);
    void ApplyFaults(Response& response);

    PagerImage memory_;
    PagerImage startMemory_;
    std::function<Cradle()> cradle_;
    bool wasPresent_ = true;
    bool newPagerAfterWrite_ = false;
    bool written_ = false;  // this pager was written to
    FaultPlan faults_;
    Bytes pending_;
    Bytes discarded_;
    unsigned frames_ = 0;
};

}  // namespace mk843nb::sim
