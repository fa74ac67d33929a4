// The exit statuses of mk843nb-cli's transfer commands, each outcome brought
// about for real: the emulator on a pseudo-terminal with a fault, or no device.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <fstream>
#include <future>
#include <sstream>
#include <string>
#include <vector>

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
    // The write is recorded, so the ordinary user needs an inventory of their own.
    const std::string records = dir.File("records");
    ASSERT_EQ(mkdir(records.c_str(), 0777), 0);
    ASSERT_EQ(chmod(records.c_str(), 0777), 0);

    const CliRun run = RunCliAs(
        nobody, nobody,
        {"--inventory", records + "/inventory.sqlite", "write", "--port", sim.DevicePath(), master},
        dir.Path());
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

// The statuses listed under "Exit status:" in a --help text, in order.
std::vector<int> ListedStatuses(const std::string& help) {
    std::vector<int> listed;
    const auto at = help.find("Exit status:\n");
    if (at == std::string::npos) return listed;
    std::istringstream lines(help.substr(at + 13));
    std::string line;
    while (std::getline(lines, line) && line.size() > 4 && line.starts_with("  ") &&
           std::isdigit(static_cast<unsigned char>(line[2])))
        listed.push_back(line[2] - '0');
    return listed;
}

// The program's help lists the whole table; each command's help only the
// statuses that command can end with, so a script is not told to expect a
// "verify found a difference" from show.
TEST(CliHelp, ListsTheExitStatusesEachCommandCanGive) {
    const CliRun top = RunCli({"--help"});
    EXPECT_EQ(top.status, 0);
    for (const cli::ExitCodeInfo& info : cli::kExitCodes) {
        const std::string line =
            "  " + std::to_string(cli::ToInt(info.code)) + "  " + std::string(info.meaning);
        EXPECT_NE(top.out.find(line + "\n"), std::string::npos) << line << "\n" << top.out;
    }
    struct Case {
        std::vector<std::string> command;
        std::vector<int> statuses;
    };
    const Case cases[] = {
        {{"show"}, {0, 1, 2}},
        {{"set"}, {0, 1, 2}},
        {{"page"}, {0, 1, 2}},
        {{"tones", "chart"}, {0, 1, 2}},
        {{"fleet", "plan"}, {0, 1, 2}},
        {{"read"}, {0, 1, 2, 3, 4}},
        {{"verify"}, {0, 1, 2, 3, 4, 5}},
        {{"fleet", "run"}, {0, 1, 2, 3, 4, 5}},
        {{"write"}, {0, 1, 2, 3, 4, 5, 6}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.command;
        args.push_back("--help");
        const CliRun help = RunCli(args);
        EXPECT_EQ(help.status, 0) << c.command.front();
        EXPECT_EQ(ListedStatuses(help.out), c.statuses) << help.out;
    }
    // Every command in the table is one the program has.
    for (const cli::CommandExitCodes& entry : cli::kCommandExitCodes) {
        std::vector<std::string> args;
        std::istringstream words{std::string(entry.command)};
        for (std::string word; words >> word;) args.push_back(word);
        args.push_back("--help");
        const CliRun help = RunCli(args);
        EXPECT_EQ(help.status, 0) << entry.command << ": " << help.err;
        EXPECT_FALSE(ListedStatuses(help.out).empty()) << entry.command;
    }
}

}  // namespace
}  // namespace mk843nb::test
