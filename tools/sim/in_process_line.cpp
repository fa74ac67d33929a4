#include "in_process_line.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "line_timing.h"

namespace mk843nb::sim {
namespace {

ECommError DeviceGone(CommErrorCode code) {
    return ECommError{code, EIO, std::strerror(EIO), false};
}

}  // namespace

void ManualClock::Delay(int ms) {
    delays_.push_back(ms);
    if (ms > 0) now_ += std::chrono::milliseconds(ms);
}

InProcessBoard::InProcessBoard(const PagerImage& memory, FaultPlan faults, BoardTiming timing)
    : responder_(memory, std::move(faults)), timing_(timing) {}

std::vector<Bytes> InProcessBoard::Requests() const {
    std::vector<Bytes> requests;
    for (const Response& response : responses_) requests.push_back(response.request);
    return requests;
}

InProcessChannel::InProcessChannel(InProcessLine& line) : line_(line) {
    line_.channels_.push_back(this);
}

InProcessChannel::~InProcessChannel() { std::erase(line_.channels_, this); }

void InProcessChannel::Configure(std::uint32_t baudRate, const std::string& portName, int format) {
    Close();
    baudRate_ = baudRate;
    format_ = format;
    name_ = portName;
    incoming_.clear();
    const auto found = line_.boards_.find(portName);
    // A board that hung up has taken its device with it.
    if (found == line_.boards_.end() || found->second->hungUp_)
        throw ECommError{CommErrorCode::CannotOpen, ENOENT, std::strerror(ENOENT), false};
    InProcessBoard& board = *found->second;
    if (board.refuseEveryOpen_) throw *board.refuseEveryOpen_;
    const int number = ++board.opens_;
    if (const auto refused = board.refuseOpen_.find(number); refused != board.refuseOpen_.end())
        throw refused->second;
    board_ = &board;
}

void InProcessChannel::RequireOpen() const {
    if (!IsOpen()) throw ECommError{CommErrorCode::NotOpen, 0, "the port is not open", false};
}

void InProcessChannel::RequireDevice(CommErrorCode code) const {
    if (board_->hungUp_ && incoming_.empty()) throw DeviceGone(code);
}

void InProcessChannel::Write(std::span<const std::uint8_t> bytes) {
    RequireOpen();
    if (bytes.empty()) return;
    if (board_->hungUp_) throw DeviceGone(CommErrorCode::WriteFailed);
    InProcessBoard& board = *board_;
    const auto byteTime = ByteTimeAt(board.timing_.baud);
    for (const std::uint8_t byte : bytes) {
        const auto arrival = std::max(line_.clock.Now(), board.lastArrival_) + byteTime;
        if (board.responder_.HasPartialFrame() && arrival - board.lastArrival_ > kPartialFrameLimit)
            board.responder_.DropPartialFrame();
        board.lastArrival_ = arrival;
        if (auto response = board.responder_.Feed(byte)) {
            Take(*response, arrival);
            // The emulator ends with the hang-up; nothing after it is heard.
            if (board.hungUp_) return;
        }
    }
}

// Queues the reply as the emulator's line sends it: after the turnaround and any
// reply still on the wire, one byte time a byte, the gap before its byte.
void InProcessChannel::Take(const Response& response, std::chrono::nanoseconds received) {
    InProcessBoard& board = *board_;
    board.responses_.push_back(response);
    if (!response.reply.empty()) {
        const auto byteTime = ByteTimeAt(board.timing_.baud);
        const auto start = std::max<std::chrono::nanoseconds>(received + board.timing_.turnaround,
                                                              board.lineFreeAt_);
        for (std::size_t i = 0; i < response.reply.size(); ++i) {
            const auto at = start + ReplyByteDue(i, byteTime, response.gap, response.gapBeforeByte);
            incoming_.push_back({at, response.reply[i]});
        }
        board.lineFreeAt_ = incoming_.back().at;
    }
    if (response.hangUp) board.hungUp_ = true;
}

std::size_t InProcessChannel::Arrived() const {
    const auto now = line_.clock.Now();
    return static_cast<std::size_t>(std::count_if(incoming_.begin(), incoming_.end(),
                                                  [&](const Timed& t) { return t.at <= now; }));
}

std::size_t InProcessChannel::BytesAvailable() {
    RequireOpen();
    RequireDevice(CommErrorCode::LineStateUnreadable);
    return Arrived();
}

std::size_t InProcessChannel::ReadNext(std::span<std::uint8_t> out, int timeoutMs) {
    RequireOpen();
    RequireDevice(CommErrorCode::ReadFailed);
    if (out.empty()) return 0;
    if (Arrived() == 0) {
        const auto deadline = line_.clock.Now() + std::chrono::milliseconds(std::max(0, timeoutMs));
        if (incoming_.empty() || incoming_.front().at > deadline) {
            line_.clock.AdvanceTo(deadline);
            return 0;
        }
        line_.clock.AdvanceTo(incoming_.front().at);
    }
    const auto now = line_.clock.Now();
    std::size_t taken = 0;
    while (taken < out.size() && !incoming_.empty() && incoming_.front().at <= now) {
        out[taken++] = incoming_.front().value;
        incoming_.pop_front();
    }
    return taken;
}

void InProcessChannel::Purge() {
    RequireOpen();
    RequireDevice(CommErrorCode::PurgeFailed);
    // Only what has arrived is dropped; bytes still on the wire arrive later.
    const auto now = line_.clock.Now();
    while (!incoming_.empty() && incoming_.front().at <= now) incoming_.pop_front();
}

InProcessBoard& InProcessLine::Plug(const std::string& portName, const PagerImage& memory,
                                    FaultPlan faults, BoardTiming timing) {
    auto& slot = boards_[portName];
    // The board that was there is unplugged: channels onto it are closed.
    for (InProcessChannel* channel : channels_)
        if (slot && channel->board_ == slot.get()) channel->Close();
    slot = std::make_unique<InProcessBoard>(memory, std::move(faults), timing);
    return *slot;
}

void InProcessLine::RefuseOpen(const std::string& portName, const ECommError& error) {
    Board(portName).refuseEveryOpen_ = error;
}

void InProcessLine::RefuseOpen(const std::string& portName, int openNumber,
                               const ECommError& error) {
    Board(portName).refuseOpen_.insert_or_assign(openNumber, error);
}

void InProcessLine::AcceptOpens(const std::string& portName) {
    InProcessBoard& board = Board(portName);
    board.refuseEveryOpen_.reset();
    board.refuseOpen_.clear();
}

std::unique_ptr<ByteChannel> InProcessLine::MakeChannel() {
    return std::make_unique<InProcessChannel>(*this);
}

}  // namespace mk843nb::sim
