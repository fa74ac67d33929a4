// A port the command-line tool must not use: another program holds it (the
// test runs as root in CI, where the kernel's exclusive flag keeps no one out),
// or the path is no serial port at all. The emulator must receive nothing.

#include <gtest/gtest.h>

#include <fstream>

#include "cli_process.h"
#include "holding_process.h"
#include "sim_process.h"
#include "test_files.h"

namespace mk843nb::test {
namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(CliPortUse, PortAnotherProgramHoldsIsRefusedWithItsNameAndPidAndNothingIsSent) {
    TempDir dir;
    const std::string file = dir.File("pager.tbl");
    ASSERT_EQ(RunCli({"new", file}).status, 0);
    const std::vector<std::uint8_t> before = ReadFileBytes(file);
    SimProcess sim({"--baud", "0", "--link", dir.File("ttyPAGER")});
    HoldingProcess holder(sim.DevicePath(), "minicom");
    const std::string held = sim.DevicePath() + " is in use by minicom (pid " +
                             std::to_string(holder.Pid()) + "). Close it and try again.";
    for (const std::string& port : {sim.DevicePath(), dir.File("ttyPAGER")}) {
        for (const char* command : {"read", "write", "verify"}) {
            SCOPED_TRACE(std::string(command) + " --port " + port);
            const CliRun run = RunCli({command, "--port", port, file});
            EXPECT_EQ(run.status, 3) << run.err;
            EXPECT_TRUE(Contains(run.err, "The Board is not responding !")) << run.err;
            EXPECT_TRUE(Contains(run.err, port == sim.DevicePath()
                                              ? held
                                              : port + " is in use by minicom (pid " +
                                                    std::to_string(holder.Pid()) + ")"))
                << run.err;
            EXPECT_EQ(run.out, "");
        }
    }
    EXPECT_TRUE(sim.Received().empty()) << "not one frame reached the board";
    EXPECT_EQ(ReadFileBytes(file), before);
}

TEST(CliPortUse, PathThatIsNoTerminalIsNotASerialPort) {
    TempDir dir;
    const std::string file = dir.File("pager.tbl");
    ASSERT_EQ(RunCli({"new", file}).status, 0);
    const std::string notes = dir.File("notes.txt");
    std::ofstream(notes) << "not a port\n";
    HoldingProcess other("/dev/null", "minicom");  // others have /dev/null open: no matter
    for (const std::string& port : {std::string("/dev/null"), notes}) {
        SCOPED_TRACE(port);
        const CliRun run = RunCli({"read", "--port", port, file});
        EXPECT_EQ(run.status, 3) << run.err;
        EXPECT_TRUE(Contains(run.err, port + " is not a serial port.")) << run.err;
        EXPECT_FALSE(Contains(run.err, "in use")) << run.err;
    }
    EXPECT_EQ(ReadFileText(notes), "not a port\n");
}

}  // namespace
}  // namespace mk843nb::test
