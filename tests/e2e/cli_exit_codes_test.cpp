// The exit statuses of mk843nb-cli's transfer commands, each outcome brought
// about for real: the emulator on a pseudo-terminal with a fault, or no device.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <future>

#include "cli/exit_codes.h"
#include "cli_process.h"
#include "image/pager_image.h"
#include "sim_process.h"
#include "test_files.h"

namespace mk843nb::test {
namespace {

Bytes Image(const PagerImage& image) { return Bytes(image.begin(), image.end()); }

// What the emulator's pager holds by default: the built-in image, firmware 1.86.
PagerImage SimMemory() {
    PagerImage memory = DefaultImage();
    memory[1] = 1;
    memory[2] = 86;
    StoreChecksum(memory);
    return memory;
}

struct ExitCase {
    const char* what;
    std::vector<std::string> simOptions;  // empty: no emulator, --port names a missing device
    const char* command;                  // read, write or verify
    Bytes file;                           // FILE before the run; empty: it does not exist
    int status;
    const char* message;  // a line of stderr
};

void PrintTo(const ExitCase& c, std::ostream* out) { *out << c.what; }

class CliExitCode : public testing::TestWithParam<ExitCase> {};

TEST_P(CliExitCode, StatusAndMessageLeaveTheFileAlone) {
    const ExitCase& c = GetParam();
    TempDir dir;
    const std::string file = dir.File("pager.tbl");
    if (!c.file.empty()) WriteFileBytes(file, c.file);
    std::vector<std::string> options = c.simOptions;
    for (std::string& option : options) {
        if (option == "BAD-IMAGE") {
            PagerImage bad = SimMemory();
            bad[255] ^= 1;
            option = dir.File("bad-sum.tbl");
            WriteFileBytes(option, Image(bad));
        } else if (option == "EMPTY-CRADLE") {
            option = dir.File("no-pager-here");
        }
    }
    std::optional<SimProcess> sim;
    if (!options.empty()) sim.emplace(options);
    const std::string port = sim ? sim->DevicePath() : dir.File("ttyUSB9");

    const CliRun run = RunCli({c.command, "--port", port, file});
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    if (c.file.empty()) {
        EXPECT_FALSE(std::ifstream(file).good()) << "no file after a failed read";
    } else {
        EXPECT_EQ(ReadFileBytes(file), c.file) << "FILE is never half-written";
    }
}

Bytes WithReminderOff() {
    PagerImage image = DefaultImage();
    image[70] = 0;
    return Image(image);
}

const Bytes kDefault = Image(DefaultImage());
const Bytes kSame = Image(SimMemory());

INSTANTIATE_TEST_SUITE_P(
    Outcomes, CliExitCode,
    testing::Values(
        ExitCase{"no device", {}, "read", {}, 3, "The Board is not responding !"},
        ExitCase{"no board answers",
                 {"--baud", "0", "--fault", "no-answer"},
                 "verify",
                 kSame,
                 3,
                 "The Board is not responding !"},
        ExitCase{"a block with a bad sum",
                 {"--baud", "0", "--fault", "bad-checksum:5"},
                 "read",
                 {},
                 4,
                 "Read Error !"},
        ExitCase{"the image's own checksum is wrong",
                 {"--baud", "0", "--image", "BAD-IMAGE"},
                 "read",
                 {},
                 4,
                 "CheckSum error !"},
        ExitCase{"another model",
                 {"--baud", "0", "--model", "XY V1"},
                 "read",
                 {},
                 4,
                 "This model is not MK842. This model is XY V1."},
        ExitCase{"the device hangs up",
                 {"--baud", "0", "--fault", "hangup:4"},
                 "read",
                 {},
                 4,
                 "the device was unplugged or closed"},
        ExitCase{"firmware before 1.83 refuses Reminder off",
                 {"--baud", "0", "--firmware", "1.82"},
                 "write",
                 WithReminderOff(),
                 1,
                 "Reminder function cannot be disabled"},
        ExitCase{"write with no pager on the board sends nothing",
                 {"--baud", "0", "--cradle", "EMPTY-CRADLE"},
                 "write",
                 kDefault,
                 4,
                 "Is a pager on the board?"},
        ExitCase{"a write frame is refused",
                 {"--baud", "0", "--fault", "bad-ack:9"},
                 "write",
                 kDefault,
                 4,
                 "Write Error !"},
        ExitCase{"write's verify finds a frame the pager lost",
                 {"--baud", "0", "--fault", "lost-write:5"},
                 "write",
                 kDefault,
                 5,
                 "Verify Error !"},
        ExitCase{
            "verify finds a difference", {"--baud", "0"}, "verify", kDefault, 5, "Verify Error !"},
        ExitCase{"verify gets a reply with a bad sum",
                 {"--baud", "0", "--fault", "bad-checksum:2"},
                 "verify",
                 kSame,
                 4,
                 "Verify Error !"}));

// A read-only master: the pager takes the image, the file cannot follow. Run as
// an ordinary user, since root may write whatever the permissions say.
TEST(CliWrittenNotSaved, SaysThePagerHoldsTheImageAndTheFileDoesNot) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to run the tool as another user";
    const uid_t nobody = 65534;
    TempDir dir;
    const std::string pagerFile = dir.File("pager-memory.tbl");
    SimProcess sim({"--baud", "0", "--save", pagerFile});
    ASSERT_EQ(chmod(sim.DevicePath().c_str(), 0666), 0);
    const std::string master = dir.File("master.tbl");
    WriteFileBytes(master, kDefault);
    ASSERT_EQ(chmod(master.c_str(), 0444), 0);
    ASSERT_EQ(chmod(dir.Path().c_str(), 0755), 0);

    const CliRun run =
        RunCliAs(nobody, nobody, {"write", "--port", sim.DevicePath(), master}, dir.Path());
    EXPECT_EQ(run.status, 6) << run.err;
    EXPECT_EQ(run.out, "Write Sucess !\n");
    EXPECT_NE(run.err.find("The pager was written and verified, but " + master +
                           " could not be rewritten"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(ReadFileBytes(master), kDefault) << "the master is untouched";
    sim.Stop();
    const Bytes pager = ReadFileBytes(pagerFile);
    EXPECT_NE(pager, kDefault) << "the pager holds the image as Write prepared it";
    EXPECT_EQ(pager[11], 1) << "WriteMark";
}

// A second read while the first still runs: the port is named as held by the
// first, not as a permission problem.
TEST(CliBusyPort, NamesTheProgramThatHoldsIt) {
    TempDir dir;
    SimProcess sim({"--baud", "0", "--turnaround", "600"});
    auto first = std::async(std::launch::async, [&] {
        return RunCli({"read", "--port", sim.DevicePath(), dir.File("first.tbl")});
    });
    ASSERT_TRUE(sim.WaitForTrace("#1", std::chrono::seconds(5)));
    const CliRun second = RunCli({"read", "--port", sim.DevicePath(), dir.File("second.tbl")});
    EXPECT_EQ(second.status, 3);
    EXPECT_NE(second.err.find(sim.DevicePath() + " is in use by mk843nb-cli (pid "),
              std::string::npos)
        << second.err;
    EXPECT_EQ(second.err.find("dialout"), std::string::npos) << second.err;
    EXPECT_EQ(first.get().status, 0);
}

TEST(CliHelp, ListsEveryExitStatusFromTheTable) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, std::vector<std::string>{"write", "--help"}}) {
        const CliRun help = RunCli(args);
        EXPECT_EQ(help.status, 0);
        for (const cli::ExitCodeInfo& info : cli::kExitCodes) {
            const std::string line =
                "  " + std::to_string(cli::ToInt(info.code)) + "  " + std::string(info.meaning);
            EXPECT_NE(help.out.find(line + "\n"), std::string::npos) << line << "\n" << help.out;
        }
    }
}

}  // namespace
}  // namespace mk843nb::test
