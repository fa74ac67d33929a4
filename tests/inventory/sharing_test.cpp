// One inventory file written by several processes and threads at the same
// moment: every record each of them was told was stored is there.

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <numeric>
#include <thread>

#include "inventory_fixture.h"

namespace mk843nb::inventory::test {
namespace {

constexpr int kRecordsEach = 150;

// Stores kRecordsEach images from one writer, each naming its writer and number.
bool WriteRecords(Inventory& inventory, const std::string& writer) {
    for (int n = 0; n < kRecordsEach; ++n) {
        const ImageRecord record{
            .kind = ImageKind::Read,
            .image = ImageOf(6009, 6345, 1, 2, 3, static_cast<std::uint8_t>(n % 200)),
            .origin = {.bench = writer, .plan = "/shared", .row = n}};
        if (const auto stored = inventory.Record(record); !stored.ok()) {
            std::fprintf(stderr, "%s: %s\n", writer.c_str(), stored.error.c_str());
            return false;
        }
    }
    return true;
}

void ExpectEveryRecord(Inventory& inventory, const std::vector<std::string>& writers) {
    const auto records = inventory.PlanRecords("/shared");
    ASSERT_TRUE(records.ok()) << records.error;
    std::map<std::string, std::vector<int>> rows;
    for (const auto& record : *records.value)
        rows[record.origin.bench].push_back(record.origin.row);
    for (const std::string& writer : writers) {
        std::vector<int> got = rows[writer];
        std::sort(got.begin(), got.end());
        std::vector<int> all(kRecordsEach);
        std::iota(all.begin(), all.end(), 0);
        EXPECT_EQ(got, all) << writer;
    }
}

TEST_F(InventoryTest, TwoProcessesRecordingAtOnceLoseNothing) {
    inventory_.reset();  // a connection is never carried across fork
    // Neither finds the file: both make it and its schema at the same moment.
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path_ + suffix);
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    const std::vector<std::string> writers{"bench-1", "bench-2"};
    std::vector<pid_t> children;
    for (const std::string& writer : writers) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(gate[1]);
            char go = 0;
            if (::read(gate[0], &go, 1) < 0) ::_exit(2);
            auto open = Inventory::Open(path_);
            if (!open.ok()) std::fprintf(stderr, "%s: %s\n", writer.c_str(), open.error.c_str());
            ::_exit(open.ok() && WriteRecords(**open.value, writer) ? 0 : 1);
        }
        children.push_back(pid);
    }
    ::close(gate[0]);
    ::close(gate[1]);
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    inventory_ = OpenOrFail(path_);
    ExpectEveryRecord(*inventory_, writers);
}

TEST_F(InventoryTest, ThreadsOfOneProgramRecordThroughTheirOwnConnections) {
    const std::vector<std::string> writers{"board 1", "board 2", "board 3"};
    std::vector<std::thread> threads;
    std::vector<char> done(writers.size(), 0);
    for (std::size_t i = 0; i < writers.size(); ++i)
        threads.emplace_back([&, i] { done[i] = WriteRecords(*inventory_, writers[i]) ? 1 : 0; });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(done, std::vector<char>(writers.size(), 1));
    ExpectEveryRecord(*inventory_, writers);
    // The threads' connections went with them; the inventory still answers here.
    EXPECT_TRUE(inventory_->Record({.kind = ImageKind::Read, .image = DefaultImage()}).ok());
}

}  // namespace
}  // namespace mk843nb::inventory::test
