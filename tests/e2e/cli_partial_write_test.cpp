// A Write that fails once frames have gone out says that the pager may now hold
// part of the new image; one that fails before any frame went out does not.

#include <gtest/gtest.h>

#include "cli_process.h"
#include "image/pager_image.h"
#include "sim_process.h"
#include "test_files.h"

namespace mk843nb::test {
namespace {

struct PartialCase {
    const char* fault;
    int status;
    const char* message;
    const char* note;  // nullptr: the pager was not touched and nothing says otherwise
};

TEST(CliPartialWrite, AFailedWriteSaysWhetherThePagerWasTouched) {
    const PartialCase cases[] = {
        {"bad-checksum:1", 3, "The Board is not responding !", nullptr},
        {"bad-checksum:3", 0, "", nullptr},  // the model answer does not stop a Write
        {"bad-ack:9", 4, "Write Error !", "(6 of 32 frames were sent)"},
        {"bad-checksum:4", 4, "Write Error !", "(1 of 32 frames were sent)"},
        {"hangup:20", 4, "Write stopped", "(18 of 32 frames were sent)"},
        {"lost-write:11", 5, "Verify Error !", "(32 of 32 frames were sent)"},
    };
    for (const PartialCase& c : cases) {
        SCOPED_TRACE(c.fault);
        TempDir dir;
        const std::string file = dir.File("pager.tbl");
        PagerImage image = DefaultImage();
        image[58] = 77;  // BS_Period: the frame of bytes 56 to 63 differs from the pager's
        WriteFileBytes(file, Bytes(image.begin(), image.end()));
        SimProcess sim({"--baud", "0", "--fault", c.fault});
        const CliRun run = RunCli({"write", "--port", sim.DevicePath(), file});
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        const bool noted =
            run.err.find("The pager may now hold part of the new image") != std::string::npos;
        EXPECT_EQ(noted, c.note != nullptr) << run.err;
        if (c.note) {
            EXPECT_NE(run.err.find(c.note), std::string::npos) << run.err;
        }
    }
}

}  // namespace
}  // namespace mk843nb::test
