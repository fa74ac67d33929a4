// mk843nb-cli's transfer commands as a user runs them, against mk843nb-sim on
// a pseudo-terminal.

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "cli_process.h"
#include "image/pager_image.h"
#include "sim_process.h"
#include "test_files.h"

namespace mk843nb::test {
namespace {

Bytes Image(const PagerImage& image) { return Bytes(image.begin(), image.end()); }

struct CliLink : testing::Test {
    TempDir dir;
};

TEST_F(CliLink, ReadThenWriteThenVerifyRoundTrip) {
    const std::string pagerFile = dir.File("pager.tbl");
    SimProcess sim({"--baud", "0", "--firmware", "1.86", "--save", pagerFile});
    const std::string file = dir.File("backup.tbl");

    const CliRun read = RunCli({"read", "--port", sim.DevicePath(), file});
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out, "Read Success !\n");
    PagerImage expected = DefaultImage();
    expected[1] = 1;
    expected[2] = 86;
    StoreChecksum(expected);
    EXPECT_EQ(ReadFileBytes(file), Image(expected)) << "a faithful backup";

    // An edit, written: the file then holds exactly what the pager holds.
    Bytes edited = ReadFileBytes(file);
    edited[63] = 50;
    WriteFileBytes(file, edited);
    const CliRun write = RunCli({"write", "--port", sim.DevicePath(), file});
    EXPECT_EQ(write.status, 0) << write.err;
    EXPECT_EQ(write.out, "Write Sucess !\n");
    EXPECT_EQ(ReadFileBytes(file), ReadFileBytes(pagerFile));
    EXPECT_EQ(ReadFileBytes(file)[63], 103) << "BatteryLow as Write prepares it";

    const CliRun verify = RunCli({"verify", "--port", sim.DevicePath(), file});
    EXPECT_EQ(verify.status, 0) << verify.err;
    EXPECT_EQ(verify.out, "Verify Sucess !\n");

    Bytes changed = ReadFileBytes(file);
    changed[20] ^= 0x01;
    WriteFileBytes(file, changed);
    const CliRun differs = RunCli({"verify", "--port", sim.DevicePath(), file});
    EXPECT_EQ(differs.status, 5);
    EXPECT_EQ(differs.out, "");
    EXPECT_NE(differs.err.find("Verify Error !"), std::string::npos) << differs.err;
}

TEST_F(CliLink, FailedTransfersLeaveTheFileAlone) {
    const std::string file = dir.File("keep.tbl");
    const Bytes original(256, 0x5A);
    WriteFileBytes(file, original);
    {
        SimProcess sim({"--baud", "0", "--fault", "bad-checksum:5"});
        const CliRun read = RunCli({"read", "--port", sim.DevicePath(), file});
        EXPECT_EQ(read.status, 4);
        EXPECT_NE(read.err.find("Read Error !"), std::string::npos) << read.err;
        EXPECT_EQ(ReadFileBytes(file), original);
    }
    {
        WriteFileBytes(file, Image(DefaultImage()));
        SimProcess sim({"--baud", "0", "--fault", "bad-ack:9"});
        const CliRun write = RunCli({"write", "--port", sim.DevicePath(), file});
        EXPECT_EQ(write.status, 4);
        EXPECT_NE(write.err.find("Write Error !"), std::string::npos) << write.err;
        EXPECT_EQ(ReadFileBytes(file), Image(DefaultImage())) << "the file is not half-written";
    }
    const std::string fresh = dir.File("never.tbl");
    SimProcess hangup({"--baud", "0", "--fault", "hangup:4"});
    const CliRun read = RunCli({"read", "--port", hangup.DevicePath(), fresh});
    EXPECT_EQ(read.status, 4);
    EXPECT_FALSE(std::ifstream(fresh).good()) << "no file after a failed read";
}

TEST_F(CliLink, TraceShowsEveryFrameInHex) {
    SimProcess sim({"--baud", "0"});
    const CliRun run = RunCli({"read", "--trace", "--port", sim.DevicePath(), dir.File("t.tbl")});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("sent      42 72 65 6E 7A 61 6C 6F 66 74 33 52 03 00 00 00 00 88"),
              std::string::npos)
        << run.err;
    std::size_t lines = 0;
    for (char c : run.err) lines += c == '\n';
    EXPECT_EQ(lines, 10u) << "five requests and five replies";
}

TEST_F(CliLink, UsageAndPortErrors) {
    EXPECT_EQ(RunCli({"read", dir.File("x.tbl")}).status, 2) << "--port is required";
    const CliRun missing =
        RunCli({"read", "--port", "/dev/mk843nb-no-such-port", dir.File("x.tbl")});
    EXPECT_EQ(missing.status, 3);
    EXPECT_NE(missing.err.find("The Board is not responding !"), std::string::npos) << missing.err;

    const CliRun ports = RunCli({"ports", "--port", "/dev/pts/77"});
    EXPECT_EQ(ports.status, 0);
    EXPECT_NE(ports.out.find("/dev/pts/77\n"), std::string::npos);
}

TEST_F(CliLink, PortsJsonGivesEveryPortWithNullWhereUnknown) {
    const CliRun run = RunCli({"ports", "--json", "--port", "/dev/pts/77"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto ports = nlohmann::json::parse(run.out);
    ASSERT_TRUE(ports.is_array());
    ASSERT_GE(ports.size(), 2u) << "at least the fallback names and the given port";
    for (const auto& port : ports) {
        std::vector<std::string> keys;
        for (const auto& [key, value] : port.items()) keys.push_back(key);
        EXPECT_EQ(keys, (std::vector<std::string>{"by_id", "description", "manufacturer", "path",
                                                  "product_id", "serial_number", "vendor_id"}));
        EXPECT_TRUE(port["path"].is_string());
    }
    const auto given = ports.back();
    EXPECT_EQ(given["path"], "/dev/pts/77");
    for (const char* key :
         {"by_id", "description", "manufacturer", "serial_number", "vendor_id", "product_id"})
        EXPECT_TRUE(given[key].is_null()) << key;
}

}  // namespace
}  // namespace mk843nb::test
