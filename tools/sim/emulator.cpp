#include "emulator.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "pager_memory.h"

namespace mk843nb::sim {

Emulator::Emulator(PseudoTerminal& terminal, Responder& responder, const EmulatorOptions& options,
                   Trace& trace)
    : terminal_(terminal), responder_(responder), options_(options), trace_(trace) {}

Emulator::End Emulator::Run() {
    PacedLine line(terminal_.MasterFd(), options_.baud);
    Bytes input;
    for (;;) {
        input.clear();
        const auto timeout =
            responder_.HasPartialFrame() ? std::optional(kPartialFrameLimit) : std::nullopt;
        const auto wait = line.Read(input, timeout);
        if (wait == PacedLine::Wait::Stopped) return End::Stopped;
        if (wait == PacedLine::Wait::Timeout) {
            const Bytes dropped = responder_.DropPartialFrame();
            trace_.Note(Clock::now(), "dropped an unfinished request of " +
                                          std::to_string(dropped.size()) +
                                          " bytes: " + Hex(dropped));
            continue;
        }
        for (const std::uint8_t byte : input) {
            const auto arrived = line.Arrival();
            const auto response = responder_.Feed(byte);
            ReportDiscarded(arrived);
            if (response && !Handle(*response, arrived, line)) return End::HungUp;
            if (StopRequested()) return End::Stopped;
        }
    }
}

// False once the line is hung up.
bool Emulator::Handle(const Response& response, Clock::time_point received, PacedLine& line) {
    trace_.Received(response.frame, received, response.request);
    if (!response.note.empty()) trace_.Note(response.frame, received, response.note);
    // Saved before the acknowledgement goes out, so whoever got it finds the file up to date.
    if (response.stored) Save();
    if (!response.reply.empty()) {
        if (!PacedLine::SleepUntil(received + options_.turnaround)) return true;
        const auto start = Clock::now();
        trace_.Sent(response.frame, start, response.reply);
        line.Send(response.reply, start, response.gap, response.gapBeforeByte);
    }
    if (response.hangUp) {
        // Hang up once the program has taken the reply (a closing master discards
        // what is still queued), or after a second if it never does. The kernel
        // hands written bytes to the slave side a moment later, so an empty queue
        // counts only after a short settling time.
        const auto settled = Clock::now() + std::chrono::milliseconds(20);
        const auto limit = Clock::now() + std::chrono::seconds(1);
        while ((Clock::now() < settled || terminal_.PendingForProgram() > 0) &&
               Clock::now() < limit)
            if (!PacedLine::SleepUntil(Clock::now() + std::chrono::milliseconds(2))) break;
        terminal_.Close();
        trace_.Note(response.frame, Clock::now(), "hung up: pseudo-terminal closed");
        return false;
    }
    return true;
}

void Emulator::ReportDiscarded(Clock::time_point when) {
    const Bytes junk = responder_.TakeDiscarded();
    if (!junk.empty())
        trace_.Note(when, "dropped " + std::to_string(junk.size()) +
                              " bytes that start no request: " + Hex(junk));
}

void Emulator::Save() {
    if (options_.savePath.empty()) return;
    try {
        SaveTableFile(options_.savePath, responder_.Memory());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "mk843nb-sim: %s\n", error.what());
    }
}

}  // namespace mk843nb::sim
