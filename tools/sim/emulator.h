#pragma once

#include <chrono>
#include <string>

#include "pseudo_terminal.h"
#include "responder.h"
#include "trace.h"

namespace mk843nb::sim {

struct EmulatorOptions {
    unsigned baud = 9600;                     // 0: no pacing
    std::chrono::milliseconds turnaround{0};  // from the end of a request to the reply
    std::string savePath;                     // empty: the pager memory is not saved
};

// Serves requests on the pseudo-terminal until a stop signal or a hang-up fault.
class Emulator {
public:
    Emulator(PseudoTerminal& terminal, Responder& responder, const EmulatorOptions& options,
             Trace& trace);

    enum class End { Stopped, HungUp };
    End Run();

    // Writes the pager memory to the save path, if there is one; reports a failure
    // on stderr and goes on.
    void Save();

private:
    bool Handle(const Response& response, Clock::time_point received, PacedLine& line);
    void ReportDiscarded(Clock::time_point when);

    PseudoTerminal& terminal_;
    Responder& responder_;
    EmulatorOptions options_;
    Trace& trace_;
};

}  // namespace mk843nb::sim
