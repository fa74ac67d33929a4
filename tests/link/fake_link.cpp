#include "fake_link.h"

#include <algorithm>

#include "link/frames.h"

namespace mk843nb::test {
namespace {

bool Has(const std::vector<int>& list, int n) {
    return std::find(list.begin(), list.end(), n) != list.end();
}

// A request is whole once its length byte says so: 15 bytes plus the count at offset 12.
std::size_t FrameSize(const Bytes& pending) { return pending.size() > 12 ? 15u + pending[12] : 0u; }

}  // namespace

Bytes FakeBoard::Answer(const Bytes& request) {
    requests.push_back(request);
    const int number = static_cast<int>(requests.size());
    if (number == failOnRequest) {
        throw ECommError{CommErrorCode::WriteFailed, 5, "Input/output error", false};
    }
    if (silent || Has(noAnswer, number)) return {};
    const unsigned address = request[13] << 8 | request[14];
    Bytes reply(kPreamble.begin(), kPreamble.end());
    if (request[11] == kReadSubCommand) {
        const unsigned count = request[15];
        reply.insert(reply.end(),
                     {kCommandByte, kReadSubCommand, static_cast<std::uint8_t>(count)});
        for (unsigned i = 0; i < count; ++i) reply.push_back(memory[(address + i) % kImageSize]);
        std::uint16_t sum = FrameChecksum(reply, reply.size());
        if (Has(badChecksum, number)) ++sum;
        reply.push_back(static_cast<std::uint8_t>(sum >> 8));
        reply.push_back(static_cast<std::uint8_t>(sum));
        return reply;
    }
    const unsigned count = request[12] - 2u;
    for (unsigned i = 0; i < count; ++i) memory[(address + i) % kImageSize] = request[15 + i];
    const auto& ack = Acknowledgement();
    Bytes answer(ack.begin(), ack.end());
    if (Has(badAck, number)) answer[13] = 0x07;
    return answer;
}

void FakeChannel::Configure(std::uint32_t rate, const std::string& portName, int fmt) {
    Close();
    baudRate = rate;
    format = fmt;
    name_ = portName;
    auto it = boards_.find(portName);
    if (it == boards_.end())
        throw ECommError{CommErrorCode::CannotOpen, 2, "No such file or directory", false};
    FakeBoard& board = *it->second;
    if (board.openError) throw *board.openError;
    const int number = ++board.opens;
    if (board.openErrors.count(number)) throw board.openErrors.at(number);
    board_ = &board;
    pending_.clear();
    line_.clear();
}

void FakeChannel::RequireOpen() const {
    if (!IsOpen()) throw ECommError{CommErrorCode::NotOpen, 0, "the port is not open", false};
}

void FakeChannel::Write(std::span<const std::uint8_t> bytes) {
    RequireOpen();
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    while (FrameSize(pending_) != 0 && pending_.size() >= FrameSize(pending_)) {
        const auto size = static_cast<std::ptrdiff_t>(FrameSize(pending_));
        const Bytes request(pending_.begin(), pending_.begin() + size);
        pending_.erase(pending_.begin(), pending_.begin() + size);
        const int number = static_cast<int>(board_->requests.size()) + 1;
        const Bytes reply = board_->Answer(request);
        std::int64_t at = line_.empty() ? clock_.now : std::max(clock_.now, line_.back().at);
        for (std::size_t i = 0; i < reply.size(); ++i) {
            at += board_->msPerByte;
            if (i + 1 == reply.size() && board_->gapBeforeLastByteMs.count(number)) {
                at += board_->gapBeforeLastByteMs[number];
            }
            line_.push_back({at, reply[i]});
        }
    }
}

std::size_t FakeChannel::BytesAvailable() {
    RequireOpen();
    return static_cast<std::size_t>(std::count_if(
        line_.begin(), line_.end(), [&](const Timed& t) { return t.at <= clock_.now; }));
}

std::size_t FakeChannel::ReadNext(std::span<std::uint8_t> out, int timeoutMs) {
    RequireOpen();
    if (BytesAvailable() == 0) {
        const std::int64_t deadline = clock_.now + timeoutMs;
        if (line_.empty() || line_.front().at > deadline) {
            clock_.now = deadline;
            return 0;
        }
        clock_.now = line_.front().at;
    }
    std::size_t taken = 0;
    while (taken < out.size() && !line_.empty() && line_.front().at <= clock_.now) {
        out[taken++] = line_.front().value;
        line_.pop_front();
    }
    return taken;
}

void FakeChannel::Purge() {
    RequireOpen();
    // Only what has arrived is dropped; bytes still on their way arrive later.
    while (!line_.empty() && line_.front().at <= clock_.now) line_.pop_front();
    pending_.clear();
}

PagerImage PagerMemory(std::uint8_t major, std::uint8_t minor, const std::string& model) {
    PagerImage memory = DefaultImage();
    memory[1] = major;
    memory[2] = minor;
    std::fill(memory.begin() + kModelTagOffset, memory.begin() + kModelTagOffset + kModelTagSize,
              0);
    std::copy(model.begin(), model.end(), memory.begin() + kModelTagOffset);
    StoreChecksum(memory);
    return memory;
}

}  // namespace mk843nb::test
