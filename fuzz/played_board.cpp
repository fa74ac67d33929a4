#include "played_board.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "link/comm_error.h"

namespace mk843nb::fuzz {
namespace {

// Far beyond any command's worst case (every frame waiting out its 3 s), so
// reaching either means the link waits without end.
constexpr long kMaxWaits = 200000;
constexpr std::int64_t kMaxClockMs = 24LL * 3600 * 1000;
// A 9600-baud line carries about one byte a millisecond.
constexpr int kMsPerByte = 1;
constexpr std::size_t kWriteStatusOffset = 13;
constexpr std::uint8_t kRefusedStatus = 0x15;

bool IsWrite(const Bytes& request) { return request.size() > 11 && request[11] == 0x53; }

}  // namespace

ReplyPlan ReplyScript::NextPlan() {
    ReplyPlan plan;
    using Kind = ReplyPlan::Kind;
    // Seven of sixteen values play honest, so that mutated inputs still get deep
    // into a command.
    switch (Next() % 16) {
        case 7:
            plan.kind = Kind::NoAnswer;
            break;
        case 8:
            plan.kind = Kind::Gap;
            plan.pauseMs = Next() * 20;
            plan.position = Next();
            break;
        case 9:
            plan.kind = Kind::BadChecksum;
            break;
        case 10:
            plan.kind = Kind::BadAck;
            break;
        case 11:
            plan.kind = Kind::HangUp;
            break;
        case 12:
            plan.kind = Kind::Flip;
            plan.position = Next();
            plan.value = Next();
            if (plan.value == 0) plan.value = 0x80;
            break;
        case 13:
            plan.kind = Kind::Cut;
            plan.position = Next();
            break;
        case 14: {
            plan.kind = Kind::Stray;
            const int count = Next() % 32;
            for (int i = 0; i < count; ++i) plan.stray.push_back(Next());
            break;
        }
        case 15:
            plan.kind = Kind::Late;
            plan.pauseMs = Next() * 20;
            break;
        default:
            break;
    }
    return plan;
}

sim::Responder& PlayedBoard::Board() {
    if (!responder_) responder_ = std::make_unique<sim::Responder>(memory_);
    return *responder_;
}

void PlayedBoard::Restart() {
    if (!hungUpAt_) return;
    memory_ = Memory();
    responder_.reset();
    line_.clear();
    hungUpAt_.reset();
}

void PlayedBoard::Receive(std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        const PagerImage before = Board().Memory();
        auto response = Board().Feed(byte);
        if (!response) continue;
        const ReplyPlan plan = script_.NextPlan();
        const bool refused = plan.kind == ReplyPlan::Kind::NoAnswer ||
                             (plan.kind == ReplyPlan::Kind::BadAck && IsWrite(response->request));
        // A silent board and a refusing pager store nothing: the pager keeps
        // what it held before this request.
        if (refused) responder_ = std::make_unique<sim::Responder>(before);
        exchanges_.push_back({response->request, {}, plan});
        Send(*response, plan);
    }
}

void PlayedBoard::Send(const sim::Response& response, const ReplyPlan& plan) {
    using Kind = ReplyPlan::Kind;
    Bytes reply = response.reply;
    std::size_t pauseBefore = reply.size();
    int pauseMs = 0;
    switch (plan.kind) {
        case Kind::NoAnswer:
            reply.clear();
            break;
        case Kind::Gap:
            if (!reply.empty()) {
                pauseBefore = plan.position % reply.size();
                pauseMs = plan.pauseMs;
            }
            break;
        case Kind::BadChecksum:
            if (!reply.empty()) reply.back() ^= 0xFF;
            break;
        case Kind::BadAck:
            if (IsWrite(response.request) && reply.size() > kWriteStatusOffset + 2) {
                // The refusal carries its own right sum: the status byte is 0x0F more.
                reply[kWriteStatusOffset] = kRefusedStatus;
                reply.back() = static_cast<std::uint8_t>(reply.back() + 0x0F);
            }
            break;
        case Kind::Flip:
            if (!reply.empty()) reply[plan.position % reply.size()] ^= plan.value;
            break;
        case Kind::Cut:
            if (!reply.empty()) reply.resize(plan.position % reply.size());
            break;
        case Kind::Stray:
            reply.insert(reply.end(), plan.stray.begin(), plan.stray.end());
            if (!plan.stray.empty()) honest_ = false;
            break;
        case Kind::Late:
            pauseBefore = 0;
            pauseMs = plan.pauseMs;
            break;
        default:
            break;
    }
    std::int64_t at = line_.empty() ? clock_.now : std::max(clock_.now, line_.back().at);
    for (std::size_t i = 0; i < reply.size(); ++i) {
        at += kMsPerByte + (i == pauseBefore ? pauseMs : 0);
        line_.push_back({at, reply[i]});
    }
    if (plan.kind == Kind::HangUp) hungUpAt_ = at;
}

std::size_t PlayedBoard::Arrived() const {
    std::size_t count = 0;
    for (const Timed& byte : line_) {
        if (byte.at > clock_.now) break;
        ++count;
    }
    return count;
}

std::size_t PlayedBoard::Take(std::span<std::uint8_t> out) {
    std::size_t taken = 0;
    while (taken < out.size() && !line_.empty() && line_.front().at <= clock_.now) {
        out[taken++] = line_.front().value;
        if (!exchanges_.empty()) exchanges_.back().taken.push_back(line_.front().value);
        line_.pop_front();
    }
    return taken;
}

std::optional<std::int64_t> PlayedBoard::NextArrival() const {
    if (line_.empty()) return std::nullopt;
    return line_.front().at;
}

void PlayedBoard::DropArrived() {
    while (!line_.empty() && line_.front().at <= clock_.now) line_.pop_front();
}

void PlayedChannel::Configure(std::uint32_t, const std::string& portName, int) {
    Close();
    name_ = portName;
    if (board_.HungUp())
        throw ECommError{CommErrorCode::CannotOpen, ENOENT, "No such file or directory", false};
    open_ = true;
    ++openChannels_;
}

void PlayedChannel::Close() {
    if (!open_) return;
    open_ = false;
    --openChannels_;
}

void PlayedChannel::RequireOpen() const {
    if (!open_) throw ECommError{CommErrorCode::NotOpen, 0, "the port is not open", false};
}

void PlayedChannel::Write(std::span<const std::uint8_t> bytes) {
    RequireOpen();
    if (board_.HungUp())
        throw ECommError{CommErrorCode::WriteFailed, EIO, "Input/output error", false};
    board_.Receive(bytes);
}

std::size_t PlayedChannel::BytesAvailable() {
    RequireOpen();
    return board_.Arrived();
}

std::size_t PlayedChannel::ReadNext(std::span<std::uint8_t> out, int timeoutMs) {
    RequireOpen();
    if (++waits > kMaxWaits || clock_.now > kMaxClockMs) {
        std::fprintf(stderr, "the link waits without end (%ld waits, clock at %lld ms)\n", waits,
                     static_cast<long long>(clock_.now));
        std::abort();
    }
    if (board_.Arrived() == 0) {
        const std::int64_t deadline = clock_.now + timeoutMs;
        const auto next = board_.NextArrival();
        const auto hangUp = board_.HangUpTime();
        if (hangUp && *hangUp <= deadline && (!next || *hangUp < *next)) {
            clock_.now = std::max(clock_.now, *hangUp);
            throw ECommError{CommErrorCode::ReadFailed, EIO, "Input/output error", false};
        }
        if (!next || *next > deadline) {
            clock_.now = deadline;
            return 0;
        }
        clock_.now = *next;
    }
    return board_.Take(out);
}

void PlayedChannel::Purge() {
    RequireOpen();
    board_.DropArrived();
}

}  // namespace mk843nb::fuzz
