#pragma once

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

}  // namespace mk843nb::test
