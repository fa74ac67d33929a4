#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

#include "cli_process.h"

namespace mk843nb::test {

// mk843nb-cli running in the background, for tests that talk to it or
// interrupt it while it works:
//
//   CliChild run({"fleet", "run", dir, "--port", port, "--yes"});
//   run.Interrupt();                 // Ctrl+C
//   const CliRun ended = run.Wait();
//
// stdin is given text (then end of file); stdout and stderr are captured as
// RunCli captures them. workingDirectory "" keeps the test's own.
class CliChild {
public:
    explicit CliChild(std::vector<std::string> args, const std::string& input = {},
                      const std::string& workingDirectory = {});
    ~CliChild();  // kills a child still running
    CliChild(const CliChild&) = delete;
    CliChild& operator=(const CliChild&) = delete;

    // stdout so far.
    std::string Out() const;
    // Waits until stdout contains text; false on time-out or when the child ended first.
    bool WaitForOut(const std::string& text, std::chrono::milliseconds timeout) const;
    // SIGINT, as Ctrl+C on a terminal sends it.
    void Interrupt() const;
    // Any other signal (SIGHUP: its terminal was closed).
    void Signal(int signal) const;
    // Waits for the end; the status is -1 when it did not end within timeout (it is then killed).
    CliRun Wait(std::chrono::milliseconds timeout = std::chrono::seconds(120));

private:
    std::string folder_;
    pid_t pid_ = -1;
    bool ended_ = false;
};

}  // namespace mk843nb::test
