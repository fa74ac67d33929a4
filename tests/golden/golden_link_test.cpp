// read, write and verify against the emulator on golden images, compared with
// the stored record.

#include <gtest/gtest.h>

#include "golden_record.h"
#include "sim_process.h"
#include "test_files.h"

namespace mk843nb::test {
namespace {

struct Transfer {
    const char* image;    // the pager's memory and the file written
    const char* version;  // the pager's firmware version
    std::vector<std::string> faults;
};

const std::vector<Transfer>& Transfers() {
    static const std::vector<Transfer> transfers = {
        {"default", "1.86", {}},
        {"default", "1.82", {}},
        {"shipped_default", "1.83", {}},
        {"high_band", "1.86", {}},
        {"reminder_60_bw_3", "1.80", {}},
        {"sys_all", "1.90", {}},
        {"random_2", "1.86", {}},
        {"random_3", "1.86", {}},
        {"other_model", "1.86", {}},
        {"default", "1.86", {"bad-checksum:4"}},
        {"default", "1.86", {"bad-ack:9"}},
    };
    return transfers;
}

TEST(GoldenOutputs, ReadWriteVerifyMatchTheRecord) {
    TempDir dir;
    GoldenRecord record;
    record.Replace(dir.Path(), "<dir>");

    int number = 0;
    for (const Transfer& transfer : Transfers()) {
        const std::string pager = dir.File("pager.tbl");
        const std::string saved = dir.File("saved.tbl");
        WriteFileBytes(pager, GoldenImage(transfer.image));
        std::remove(saved.c_str());
        std::vector<std::string> options{"--baud",  "0",   "--firmware", transfer.version,
                                         "--image", pager, "--save",     saved};
        for (const std::string& fault : transfer.faults) {
            options.push_back("--fault");
            options.push_back(fault);
        }
        SimProcess sim(options);
        record.Replace(sim.DevicePath(), "<dev>");
        std::string title =
            "transfer " + std::to_string(++number) + " " + transfer.image + " " + transfer.version;
        for (const std::string& fault : transfer.faults) title += " " + fault;
        record.Section(title);

        const std::string read = dir.File("read.tbl");
        std::remove(read.c_str());
        record.Line("command", "read");
        record.Run(RunCli({"read", "--port", sim.DevicePath(), read}));
        record.File("file", read);

        const std::string written = dir.File("written.tbl");
        WriteFileBytes(written, GoldenImage(transfer.image));
        record.Line("command", "write");
        record.Run(RunCli({"write", "--port", sim.DevicePath(), written}));
        record.File("file", written);
        record.File("pager", saved);

        record.Line("command", "verify");
        record.Run(RunCli({"verify", "--port", sim.DevicePath(), written}));
        record.Line("command", "verify other");
        record.Run(RunCli({"verify", "--port", sim.DevicePath(), pager}));
        sim.Stop();
    }

    const std::string difference = record.Check("read_write_verify.golden");
    EXPECT_EQ(difference, "");
}

}  // namespace
}  // namespace mk843nb::test
