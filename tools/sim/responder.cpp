#include "responder.h"

#include <algorithm>
#include <utility>

namespace mk843nb::sim {

Responder::Responder(const PagerImage& memory, FaultPlan faults)
    : memory_(memory), startMemory_(memory), faults_(std::move(faults)) {}

std::optional<Response> Responder::Feed(std::uint8_t byte) {
    pending_.push_back(byte);
    while (!pending_.empty() && !PendingCanStartFrame()) {
        discarded_.push_back(pending_.front());
        pending_.erase(pending_.begin());
    }
    if (pending_.size() < kHeaderSize || pending_.size() < PendingFrameSize()) return std::nullopt;
    return Answer(std::exchange(pending_, {}));
}

std::vector<Response> Responder::Feed(std::span<const std::uint8_t> bytes) {
    std::vector<Response> responses;
    for (const std::uint8_t byte : bytes)
        if (auto response = Feed(byte)) responses.push_back(std::move(*response));
    return responses;
}

Bytes Responder::DropPartialFrame() { return std::exchange(pending_, {}); }

Bytes Responder::TakeDiscarded() { return std::exchange(discarded_, {}); }

// Whether the pending bytes are the beginning of a request the board understands:
// the preamble, 0x33, "R" with length 3 or "S" with length n + 2.
bool Responder::PendingCanStartFrame() const {
    for (std::size_t i = 0; i < pending_.size() && i < kPreambleSize; ++i)
        if (pending_[i] != static_cast<std::uint8_t>(kPreamble[i])) return false;
    if (pending_.size() > 10 && pending_[10] != kCommand) return false;
    if (pending_.size() > 11 && pending_[11] != kReadSub && pending_[11] != kWriteSub) return false;
    if (pending_.size() > 12) {
        const std::uint8_t length = pending_[12];
        if (pending_[11] == kReadSub && length != 3) return false;
        if (pending_[11] == kWriteSub && length < 2) return false;
    }
    return true;
}

// Header, the length byte's count of bytes, two sum bytes.
std::size_t Responder::PendingFrameSize() const { return kHeaderSize + pending_[12] + 2; }

Response Responder::Answer(Bytes request) {
    Response response;
    response.frame = ++frames_;
    response.request = std::move(request);
    const Bytes& frame = response.request;
    const std::uint16_t sent =
        static_cast<std::uint16_t>(frame[frame.size() - 2] << 8 | frame.back());
    if (FrameSum(frame, frame.size() - 2) != sent) {
        response.note = "request checksum wrong, ignored";
        return response;
    }
    ApplyFaults(response);
    return response;
}

void Responder::Serve(Response& response) {
    const Bytes& frame = response.request;
    const std::size_t address = static_cast<std::size_t>(frame[13] << 8 | frame[14]);
    const bool isRead = frame[11] == kReadSub;
    const std::size_t count = isRead ? frame[15] : frame[12] - 2u;
    if (cradle_) {
        const Cradle cradle = cradle_();
        if (cradle.present && !wasPresent_) memory_ = cradle.memory.value_or(startMemory_);
        wasPresent_ = cradle.present;
        if (!cradle.present && !(isRead && count == 0)) {
            response.note = "no pager on the board";
            return;
        }
    }
    if (newPagerAfterWrite_ && written_ && isRead && count == 0) {
        memory_ = startMemory_;
        written_ = false;
        response.note = "a new pager placed";
    }
    if (address + count > kPagerMemorySize) {
        response.note = "outside the pager's 256 bytes, ignored";
        return;
    }
    if (isRead) {
        response.reply = BuildReadReply(std::span(memory_).subspan(address, count));
        return;
    }
    const auto data = frame.begin() + 15;
    response.stored =
        !std::equal(data, data + static_cast<std::ptrdiff_t>(count), memory_.begin() + address);
    std::copy(data, data + static_cast<std::ptrdiff_t>(count), memory_.begin() + address);
    written_ = true;
    response.reply = BuildAcknowledgement();
}

void Responder::ApplyFaults(Response& response) {
    const bool isWrite = response.request[11] == kWriteSub;
    std::vector<const Fault*> mine;
    for (const Fault& fault : faults_)
        if (fault.frame == response.frame ||
            (fault.kind == FaultKind::NoAnswer && fault.frame == 0))
            mine.push_back(&fault);
    const auto has = [&](FaultKind kind) {
        return std::any_of(mine.begin(), mine.end(),
                           [&](const Fault* f) { return f->kind == kind; });
    };
    const auto note = [&](const std::string& text) {
        response.note += (response.note.empty() ? "" : "; ") + text;
    };

    // A silent board or a refusing pager stores nothing.
    if (has(FaultKind::NoAnswer)) {
        note("fault no-answer");
    } else if (has(FaultKind::BadAck) && isWrite) {
        response.reply = BuildAcknowledgement();
        response.reply[kAckStatusOffset] = kNakStatus;
        note("fault bad-ack");
    } else if (has(FaultKind::LostWrite) && isWrite) {
        response.reply = BuildAcknowledgement();
        note("fault lost-write");
    } else {
        Serve(response);
    }
    if (has(FaultKind::BadAck) && !isWrite) note("fault bad-ack has no effect on a read");
    if (has(FaultKind::LostWrite) && !isWrite) note("fault lost-write has no effect on a read");

    if (has(FaultKind::BadChecksum) && !response.reply.empty()) {
        response.reply.back() ^= 0xFF;
        note("fault bad-checksum");
    }
    for (const Fault* fault : mine) {
        if (fault->kind == FaultKind::Gap && !response.reply.empty()) {
            response.gap = fault->gap;
            response.gapBeforeByte = std::min(fault->beforeByte.value_or(response.reply.size() / 2),
                                              response.reply.size() - 1);
            note("fault gap of " + std::to_string(fault->gap.count()) + " ms before reply byte " +
                 std::to_string(response.gapBeforeByte));
        }
    }
    if (has(FaultKind::HangUp)) {
        response.hangUp = true;
        note("fault hangup");
    }
}

}  // namespace mk843nb::sim
