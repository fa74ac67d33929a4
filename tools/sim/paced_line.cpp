#include "paced_line.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <ctime>

namespace mk843nb::sim {
namespace {

volatile std::sig_atomic_t stopRequested = 0;
sigset_t waitMask;  // the mask in force while waiting: stop signals let through

void OnStopSignal(int) { stopRequested = 1; }

timespec ToTimespec(Clock::duration d) {
    const auto ns =
        std::max<long long>(0, std::chrono::duration_cast<std::chrono::nanoseconds>(d).count());
    return {static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
}

// ppoll with the stop signals let through; -1 with EINTR when one came.
int WaitFor(pollfd* fds, nfds_t count, std::optional<Clock::duration> timeout) {
    if (stopRequested) {
        errno = EINTR;
        return -1;
    }
    timespec limit{};
    if (timeout) limit = ToTimespec(*timeout);
    return ::ppoll(fds, count, timeout ? &limit : nullptr, &waitMask);
}

}  // namespace

void BlockStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGINT);
    sigprocmask(SIG_BLOCK, &stops, &waitMask);
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGINT);
}

bool StopRequested() { return stopRequested != 0; }

PacedLine::PacedLine(int fd, unsigned baud)
    : fd_(fd), byteTime_(std::chrono::duration_cast<Clock::duration>(ByteTimeAt(baud))) {}

PacedLine::Wait PacedLine::Read(Bytes& out, std::optional<std::chrono::milliseconds> timeout) {
    // No time-out: a deadline that never comes.
    const bool limited = timeout.has_value();
    const Clock::time_point deadline = limited ? Clock::now() + *timeout : Clock::time_point::max();
    for (;;) {
        std::optional<Clock::duration> left;
        if (limited) left = std::max(Clock::duration::zero(), deadline - Clock::now());
        pollfd fd{fd_, POLLIN, 0};
        const int ready = WaitFor(&fd, 1, left);
        if (ready < 0 && errno == EINTR) {
            if (StopRequested()) return Wait::Stopped;
            continue;
        }
        if (ready == 0) return Wait::Timeout;
        std::uint8_t buffer[512];
        const ssize_t got = ready > 0 ? ::read(fd_, buffer, sizeof buffer) : -1;
        if (got > 0) {
            out.insert(out.end(), buffer, buffer + got);
            return Wait::Data;
        }
        // A hang-up or EIO means nobody holds the slave side just now; it cannot
        // last while the emulator holds one itself, but never spin on it.
        if (got < 0 && errno == EAGAIN) continue;
        if (!SleepUntil(Clock::now() + std::chrono::milliseconds(20))) return Wait::Stopped;
        if (limited && Clock::now() >= deadline) return Wait::Timeout;
    }
}

Clock::time_point PacedLine::Arrival() {
    lastArrival_ = std::max(Clock::now(), lastArrival_) + byteTime_;
    return lastArrival_;
}

bool PacedLine::Send(const Bytes& bytes, Clock::time_point start, std::chrono::milliseconds gap,
                     std::size_t gapBeforeByte) {
    if (byteTime_ == Clock::duration::zero()) {
        const std::size_t split =
            gap.count() > 0 ? std::min(gapBeforeByte, bytes.size()) : bytes.size();
        if (!SleepUntil(start) || !WriteAll(bytes.data(), split)) return false;
        if (split == bytes.size()) return true;
        return SleepUntil(Clock::now() + gap) &&
               WriteAll(bytes.data() + split, bytes.size() - split);
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto due = start + std::chrono::duration_cast<Clock::duration>(
                                     ReplyByteDue(i, byteTime_, gap, gapBeforeByte));
        if (!SleepUntil(due) || !WriteAll(&bytes[i], 1)) return false;
    }
    return true;
}

// Like a UART, the line never waits for the receiver: what does not fit into the
// program's input queue (a program that stopped reading and never purges) is lost.
bool PacedLine::WriteAll(const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(fd_, data, size);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return !StopRequested();
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

bool PacedLine::SleepUntil(Clock::time_point when) {
    for (;;) {
        const auto now = Clock::now();
        if (now >= when) return !StopRequested();
        const int ready = WaitFor(nullptr, 0, when - now);
        if (ready < 0 && errno == EINTR && StopRequested()) return false;
    }
}

}  // namespace mk843nb::sim
