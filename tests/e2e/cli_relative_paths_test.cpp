// Paths typed on mk843nb-cli's command line mean what the shell means: each
// command runs in a working folder of its own and is given relative paths with
// folders in them ("shop/a.tbl"), as a user types them. A folder "shop/shop"
// beside them catches a name joined again to the folder it is already in.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_process.h"
#include "sim_process.h"
#include "test_files.h"

namespace mk843nb::test {
namespace {

namespace fs = std::filesystem;

// A shell's working folder holding "shop/" (and, with the trap, "shop/shop/").
struct Workshop {
    explicit Workshop(bool trap) {
        fs::create_directories(fs::path(dir.Path()) / (trap ? "shop/shop" : "shop"));
    }
    CliRun Run(std::vector<std::string> args) const { return RunCli(std::move(args), dir.Path()); }
    fs::path operator/(const std::string& relative) const {
        return fs::path(dir.Path()) / relative;
    }
    bool NothingInTrap() const {
        const fs::path trap = fs::path(dir.Path()) / "shop/shop";
        return !fs::exists(trap) || fs::is_empty(trap);
    }

    TempDir dir;
};

// The backup store as a relative folder of the working folder, for the commands run there.
struct RelativeBackupStore {
    RelativeBackupStore() {
        if (const char* previous = ::getenv("MK843NB_BACKUP_DIR")) saved = previous;
        ::setenv("MK843NB_BACKUP_DIR", "store", 1);
    }
    ~RelativeBackupStore() {
        if (saved.empty())
            ::unsetenv("MK843NB_BACKUP_DIR");
        else
            ::setenv("MK843NB_BACKUP_DIR", saved.c_str(), 1);
    }
    std::string saved;
};

nlohmann::json ShownJson(const Workshop& shop, const std::string& file) {
    const CliRun show = shop.Run({"show", "--json", file});
    EXPECT_EQ(show.status, 0) << file << ": " << show.err;
    return show.status == 0 ? nlohmann::json::parse(show.out) : nlohmann::json();
}

class CliRelativePaths : public testing::TestWithParam<bool> {};

INSTANTIATE_TEST_SUITE_P(Trap, CliRelativePaths, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "WithShopShop" : "WithoutShopShop";
                         });

// new, set, show, diff and fleet plan on files in a folder below the working folder.
TEST_P(CliRelativePaths, FileCommandsReadAndWriteTheFilesTheShellNames) {
    const Workshop shop(GetParam());

    const CliRun created = shop.Run({"new", "shop/a.tbl"});
    ASSERT_EQ(created.status, 0) << created.err;
    ASSERT_TRUE(fs::exists(shop / "shop/a.tbl"));
    ASSERT_EQ(shop.Run({"new", "shop/b.tbl"}).status, 0);
    const Bytes fresh = ReadFileBytes(shop / "shop/b.tbl");

    const CliRun set = shop.Run({"set", "shop/a.tbl", "T11=600.9"});
    EXPECT_EQ(set.status, 0) << set.err;
    EXPECT_NE(ReadFileBytes(shop / "shop/a.tbl"), fresh) << "set changed the file it was given";
    EXPECT_TRUE(shop.NothingInTrap()) << "nothing written to shop/shop";
    EXPECT_EQ(ShownJson(shop, "shop/a.tbl").value("T11", ""), "600.9");

    const CliRun diff = shop.Run({"diff", "--json", "shop/a.tbl", "shop/b.tbl"});
    EXPECT_EQ(diff.status, 5) << diff.err;
    ASSERT_FALSE(diff.out.empty()) << diff.err;
    std::vector<std::string> changed;  // the fields set, less those computed from them
    for (const auto& difference : nlohmann::json::parse(diff.out))
        if (!difference.value("derived", false)) changed.push_back(difference.value("field", ""));
    EXPECT_EQ(changed, std::vector<std::string>{"T11"}) << diff.out;

    // A second "set" on the same file: it is read back from where the first wrote it.
    ASSERT_EQ(shop.Run({"set", "shop/a.tbl", "T21=832.5"}).status, 0);
    const nlohmann::json both = ShownJson(shop, "shop/a.tbl");
    EXPECT_EQ(both.value("T11", ""), "600.9");
    EXPECT_EQ(both.value("T21", ""), "832.5");

    std::ofstream(shop / "shop/roster.csv") << "label,T11,T21\nWard 1,600.9,832.5\n";
    const CliRun plan =
        shop.Run({"fleet", "plan", "shop/a.tbl", "shop/roster.csv", "--out", "plans/ward"});
    EXPECT_EQ(plan.status, 0) << plan.err;
    EXPECT_EQ(plan.out, "Planned 1 pager in plans/ward\n") << "the folder named as it was typed";
    EXPECT_TRUE(fs::exists(shop / "plans/ward/Ward 1.tbl"));
    EXPECT_TRUE(shop.NothingInTrap());
}

// read, write, verify, diff --port, backups and fleet run through the emulator.
TEST_P(CliRelativePaths, TransferCommandsReadAndWriteTheFilesTheShellNames) {
    const Workshop shop(GetParam());
    const RelativeBackupStore store;
    const std::string pagerFile = (shop / "pager-memory.tbl").string();
    SimProcess sim({"--baud", "0", "--save", pagerFile});

    const CliRun read = shop.Run({"read", "--port", sim.DevicePath(), "shop/r.tbl"});
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out, "Read Success !\n");
    ASSERT_TRUE(fs::exists(shop / "shop/r.tbl"));

    Bytes edited = ReadFileBytes(shop / "shop/r.tbl");
    edited[63] = 50;  // BatteryLow, which Write prepares to 103
    WriteFileBytes(shop / "shop/r.tbl", edited);
    const CliRun write = shop.Run({"write", "--port", sim.DevicePath(), "shop/r.tbl"});
    EXPECT_EQ(write.status, 0) << write.err;
    EXPECT_EQ(write.out, "Write Sucess !\n");
    EXPECT_TRUE(shop.NothingInTrap()) << "the image as written went to shop/r.tbl";
    const Bytes written = ReadFileBytes(shop / "shop/r.tbl");
    EXPECT_EQ(written, ReadFileBytes(pagerFile)) << "shop/r.tbl holds the image as written";
    EXPECT_EQ(written[63], 103);

    const CliRun verify = shop.Run({"verify", "--port", sim.DevicePath(), "shop/r.tbl"});
    EXPECT_EQ(verify.status, 0) << verify.err;
    EXPECT_EQ(verify.out, "Verify Sucess !\n");
    const CliRun diff = shop.Run({"diff", "--port", sim.DevicePath(), "shop/r.tbl"});
    EXPECT_EQ(diff.status, 0) << diff.out << diff.err;

    // The store is "store" of the working folder; what backups lists opens from there.
    const CliRun listed = shop.Run({"backups", "--kind", "write", "--json"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    const auto backups = nlohmann::json::parse(listed.out);
    ASSERT_EQ(backups.size(), 1u) << listed.out;
    const std::string backup = backups[0].value("file", "");
    EXPECT_TRUE(fs::exists(fs::path(shop.dir.Path()) / backup) || fs::exists(backup)) << backup;
    EXPECT_EQ(ShownJson(shop, backup), ShownJson(shop, "shop/r.tbl"));

    // A plan made and run in folders below the working folder.
    std::ofstream(shop / "shop/roster.csv") << "label,T11,T21\nWard 1,539.0,1122.5\n";
    ASSERT_EQ(
        shop.Run({"fleet", "plan", "shop/r.tbl", "shop/roster.csv", "--out", "plans/ward"}).status,
        0);
    const CliRun run =
        shop.Run({"fleet", "run", "plans/ward", "--port", sim.DevicePath(), "--yes"});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("Written and verified: 1 of 1. Report: plans/ward/report.csv"),
              std::string::npos)
        << run.out;
    EXPECT_TRUE(fs::exists(shop / "plans/ward/report.csv"));
    EXPECT_EQ(ShownJson(shop, "pager-memory.tbl").value("T11", ""), "539.0")
        << "the pager holds the plan's image";

    // Its roster exported again from the plan folder, and from a table with its template.
    const CliRun exported = shop.Run({"fleet", "export", "plans/ward", "--out", "shop/again.csv"});
    EXPECT_EQ(exported.status, 0) << exported.err;
    EXPECT_NE(exported.out.find(" to shop/again.csv "), std::string::npos) << exported.out;
    EXPECT_TRUE(fs::exists(shop / "shop/again.csv"));
    const CliRun fromTable = shop.Run({"fleet", "export", "plans/ward/Ward 1.tbl", "--template",
                                       "shop/r.tbl", "--out", "shop/table.csv"});
    EXPECT_EQ(fromTable.status, 0) << fromTable.err;
    EXPECT_TRUE(fs::exists(shop / "shop/table.csv"));
    EXPECT_TRUE(shop.NothingInTrap());
}

// A port typed as a path with a folder ("sims/board", the emulator's link in a
// folder of the working folder) is that path, not a device under /dev.
TEST(CliRelativePorts, APortWithAFolderIsAPathOfTheWorkingFolder) {
    const Workshop shop(false);
    const RelativeBackupStore store;
    fs::create_directories(shop / "sims");
    SimProcess sim({"--baud", "0", "--link", (shop / "sims/board").string()});

    struct Case {
        std::vector<std::string> args;
        std::string out;
    };
    const Case cases[] = {
        {{"read", "--port", "sims/board", "shop/p.tbl"}, "Read Success !\n"},
        {{"write", "--port", "sims/../sims/board", "shop/p.tbl"}, "Write Sucess !\n"},
        {{"verify", "--port", "./sims/board", "shop/p.tbl"}, "Verify Sucess !\n"},
        {{"diff", "--port", "sims/board", "shop/p.tbl"}, "No field differs\n"},
    };
    for (const Case& c : cases) {
        const CliRun run = shop.Run(c.args);
        EXPECT_EQ(run.status, 0) << c.args[0] << ": " << run.err;
        EXPECT_EQ(run.out, c.out) << c.args[0];
    }

    const CliRun ports = shop.Run({"ports", "--json", "--port", "sims/board"});
    ASSERT_EQ(ports.status, 0) << ports.err;
    bool listed = false;
    for (const auto& port : nlohmann::json::parse(ports.out))
        listed = listed || port.value("path", "") == (shop / "sims/board").string();
    EXPECT_TRUE(listed) << ports.out;
}

}  // namespace
}  // namespace mk843nb::test
