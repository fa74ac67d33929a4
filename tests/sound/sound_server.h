#pragma once

// A real sound server for the playback tests: PulseAudio started by the test
// in a folder of its own (its socket, runtime and home folders), with two null
// outputs whose sound can be recorded back from their monitors, and stopped
// with the test. It works as root and without a session bus: it loads no
// configuration (-n), only the modules named here, and its clients reach it
// through PULSE_SERVER and never start a server of their own.

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "test_files.h"

namespace mk843nb::test {

inline constexpr int kServerRate = 48000;

struct NullOutput {
    std::string name;         // the server's name for it
    std::string description;  // what a person reads
};

// The default output, and a second one.
inline const NullOutput kPagesOutput{"pages", "Test pages"};
inline const NullOutput kBenchOutput{"bench", "Bench set"};

// The environment of a client of the server at socket (PATH, a home and
// runtime folder under folder, no autospawn; the sanitizer options pass on).
std::vector<std::string> SoundClientEnvironment(const std::string& folder,
                                                const std::string& socket);

class SoundServer {
public:
    SoundServer();
    ~SoundServer();  // stops the server and removes its folder
    SoundServer(const SoundServer&) = delete;
    SoundServer& operator=(const SoundServer&) = delete;

    // Empty when the server is up; else what went wrong, with its log.
    const std::string& StartError() const { return error_; }
    const std::vector<std::string>& ClientEnvironment() const { return environment_; }
    // Ends the server at once, as a crash or a logout would.
    void Kill();

private:
    TempDir folder_;
    pid_t pid_ = -1;
    std::string error_;
    std::vector<std::string> environment_;
};

// Makes this process (and the programs it starts) a client of server. Qt
// Multimedia reaches its sound server once, through the environment it finds
// at its first use: call this before then.
void BecomeClientOf(const SoundServer& server);

// Records an output's monitor (16-bit mono at kServerRate) from construction until Stop.
class Recorder {
public:
    Recorder(const SoundServer& server, const NullOutput& output);
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // True once sound (or the server's silence) is coming in.
    bool WaitStarted(std::chrono::milliseconds timeout) const;
    std::vector<std::int16_t> Stop();
    // Stops once the recording holds sound followed by this much silence, so
    // the end of what was played has surely come through (or after timeout).
    std::vector<std::int16_t> StopAfterSilence(std::chrono::milliseconds silence,
                                               std::chrono::milliseconds timeout);

private:
    std::vector<std::int16_t> Samples() const;

    TempDir folder_;
    std::string file_;
    pid_t pid_ = -1;
};

// The full path of a program found on PATH; "" when there is none.
std::string FindProgram(const std::string& name);

}  // namespace mk843nb::test
