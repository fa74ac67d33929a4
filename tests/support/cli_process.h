#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace mk843nb::test {

// One finished run of mk843nb-cli.
struct CliRun {
    int status =
        -1;  // the exit status; 128 + the signal when it was killed, -1 when it did not start
    std::string out;
    std::string err;
};

// Runs the built mk843nb-cli with args and waits for it. Its stdout and stderr
// are captured in files of a temporary folder of their own, so the folders a
// test inspects see nothing of them. workingDirectory "" keeps the test's own.
CliRun RunCli(std::vector<std::string> args, const std::string& workingDirectory = {});

// The same for any program, with environment ("NAME=value" entries) instead of the test's own.
CliRun RunProgram(const std::string& program, std::vector<std::string> args,
                  const std::vector<std::string>& environment);

// RunCli as another user (a test running as root sees what an ordinary user
// would: permissions apply). The files and devices the run needs must be
// reachable by that user.
CliRun RunCliAs(uid_t uid, gid_t gid, std::vector<std::string> args,
                const std::string& workingDirectory = {});

}  // namespace mk843nb::test
