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

// Each transfer has an emulator and a folder of its own, so they run side by side.
TEST(GoldenOutputs, ReadWriteVerifyMatchTheRecord) {
    const std::vector<Transfer>& transfers = Transfers();
    const GoldenRecord record = RecordInParallel(
        transfers.size(), [&](std::size_t number, GoldenRecord& part, const std::string& dir) {
            const Transfer& transfer = transfers[number];
            const std::string pager = dir + "/pager.tbl";
            const std::string saved = dir + "/saved.tbl";
            WriteFileBytes(pager, GoldenImage(transfer.image));
            std::vector<std::string> options{"--baud",  "0",   "--firmware", transfer.version,
                                             "--image", pager, "--save",     saved};
            for (const std::string& fault : transfer.faults) {
                options.push_back("--fault");
                options.push_back(fault);
            }
            SimProcess sim(options);
            part.Replace(sim.DevicePath(), "<dev>");
            std::string title = "transfer " + std::to_string(number + 1) + " " + transfer.image +
                                " " + transfer.version;
            for (const std::string& fault : transfer.faults) title += " " + fault;
            part.Section(title);

            const std::string read = dir + "/read.tbl";
            part.Line("command", "read");
            part.Run(RunCli({"read", "--port", sim.DevicePath(), read}));
            part.File("file", read);

            const std::string written = dir + "/written.tbl";
            WriteFileBytes(written, GoldenImage(transfer.image));
            part.Line("command", "write");
            part.Run(RunCli({"write", "--port", sim.DevicePath(), written}));
            part.File("file", written);
            part.File("pager", saved);

            part.Line("command", "verify");
            part.Run(RunCli({"verify", "--port", sim.DevicePath(), written}));
            part.Line("command", "verify other");
            part.Run(RunCli({"verify", "--port", sim.DevicePath(), pager}));
            sim.Stop();
        });

    const std::string difference = record.Check("read_write_verify.golden");
    EXPECT_EQ(difference, "");
}

}  // namespace
}  // namespace mk843nb::test
