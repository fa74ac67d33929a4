#pragma once

// Runs the board-and-pager emulator mk843nb-sim as a child process for
// end-to-end tests and benchmarks.
//
//   mk843nb::test::SimProcess sim({"--firmware", "1.82", "--fault", "bad-checksum:4"});
//   RunTheProgramAgainst(sim.DevicePath());          // e.g. "/dev/pts/7"
//   EXPECT_EQ(sim.Received().at(0), expectedPing);   // request frames as the board got them
//   sim.Stop();                                      // also done by the destructor
//
// The emulator always runs with --trace; its stderr goes to a file that Trace()
// and Frames() read, so nothing blocks however much it prints.
//
// Emulator options (see README "Trying it without a pager"):
//   --image FILE        pager memory from a table file (default: built-in image, checksum right)
//   --firmware X.Y      firmware version in bytes 1 and 2 (default 1.86; older name --version X.Y)
//   --model TEXT        model text in bytes 240..253 ("" = no model text)
//   --baud N            pacing, 10 bits a byte; 0 = none (default 9600)
//   --turnaround MS     delay from the end of a request to its reply (default 0)
//   --fault KIND        repeatable: no-answer | no-answer:K | gap:K:MS[:BYTE] |
//                       bad-checksum:K | bad-ack:K | hangup:K | lost-write:K
//                       (K: frame number from 1)
//   --save FILE         pager memory written after each write and on exit
//   --link PATH         symbolic link to the device
// Frame numbers count every complete request the board receives, from 1, across
// reopenings of the port: a Read is ping #1, version #2, model #3, blocks #4 and #5;
// a Write is ping #1, version #2, model #3, writes #4..#35, verify blocks #36 and #37.

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mk843nb::test {

using Bytes = std::vector<std::uint8_t>;

// One frame of the emulator's trace.
struct SimFrame {
    enum class Direction { Received, Sent };
    Direction direction;
    unsigned number;  // the frame number the faults count by
    double seconds;   // since the emulator started
    Bytes bytes;
};

class SimProcess {
public:
    // Starts mk843nb-sim with these options (--trace is added) and waits until it
    // has printed its device path. Throws std::runtime_error, with the emulator's
    // stderr in the message, if it exits or says nothing within startTimeout.
    explicit SimProcess(std::vector<std::string> options = {},
                        std::chrono::milliseconds startTimeout = std::chrono::seconds(10));
    ~SimProcess();  // Stop()
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The pseudo-terminal's slave device, e.g. "/dev/pts/7": the program's port.
    const std::string& DevicePath() const { return devicePath_; }
    pid_t Pid() const { return pid_; }

    // False once the emulator has ended (after Stop, or by itself after a hang-up fault).
    bool Running();
    // Waits for the emulator to end by itself; its exit status, or nothing on time-out.
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout);
    // SIGTERM, then SIGKILL if it has not ended within timeout. Returns the exit
    // status (128 + signal when killed); calling it again returns the same.
    int Stop(std::chrono::milliseconds timeout = std::chrono::seconds(5));

    // Everything the emulator wrote on stderr so far.
    std::string Trace() const;
    // Waits until the trace contains text; false on time-out.
    bool WaitForTrace(const std::string& text, std::chrono::milliseconds timeout) const;
    // The frames of the trace, in order; Received() and Sent() only one direction.
    std::vector<SimFrame> Frames() const;
    std::vector<Bytes> Received() const;
    std::vector<Bytes> Sent() const;

    // Where the emulator binary is: $MK843NB_SIM if set, else the one built with the tests.
    static std::string ExecutablePath();

private:
    pid_t pid_ = -1;
    std::optional<int> exitStatus_;
    int stdoutFd_ = -1;
    std::string tracePath_;
    std::string devicePath_;
};

}  // namespace mk843nb::test
