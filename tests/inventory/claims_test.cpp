// Claims of plan rows: one holder at a time, taken over only from a process
// that is gone or a bench that stopped saying it is alive.

#include <sys/wait.h>
#include <unistd.h>

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <chrono>
#include <set>

#include "inventory_fixture.h"

namespace mk843nb::inventory::test {
namespace {

using namespace std::chrono_literals;

const std::string kPlan = "/plans/north";

class ClaimsTest : public InventoryTest {
protected:
    // Puts the claim's heartbeat age into the past, as a bench that went quiet leaves it.
    void AgeHeartbeat(int row, std::chrono::seconds age) {
        const auto then = std::chrono::duration_cast<std::chrono::milliseconds>(
                              (Clock::now() - age).time_since_epoch())
                              .count();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "claims-test");
            db.setDatabaseName(QString::fromStdString(path_));
            ASSERT_TRUE(db.open());
            QSqlQuery query(db);
            query.prepare("UPDATE claims SET heartbeat = ? WHERE plan = ? AND row = ?");
            query.addBindValue(static_cast<qlonglong>(then));
            query.addBindValue(QString::fromStdString(kPlan));
            query.addBindValue(row);
            ASSERT_TRUE(query.exec());
            ASSERT_EQ(query.numRowsAffected(), 1);
        }
        QSqlDatabase::removeDatabase("claims-test");
    }
};

// A pid that was a process of this host and is no longer.
std::int64_t DeadPid() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

TEST_F(ClaimsTest, ARowHasOneHolderWhoIsNamedToTheOthers) {
    const auto first = inventory_->ClaimRow(kPlan, 3, "bench-1", ::getpid());
    ASSERT_TRUE(first.ok()) << first.error;
    EXPECT_TRUE(first.value->taken);

    const auto second = inventory_->ClaimRow(kPlan, 3, "bench-2", 4711);
    ASSERT_TRUE(second.ok()) << second.error;
    EXPECT_FALSE(second.value->taken);
    ASSERT_TRUE(second.value->holder.has_value());
    EXPECT_EQ(second.value->holder->bench, "bench-1");
    EXPECT_EQ(second.value->holder->pid, ::getpid());

    // Asked again by its holder: still its own. Another row or plan is free.
    EXPECT_TRUE(inventory_->ClaimRow(kPlan, 3, "bench-1", ::getpid()).value->taken);
    EXPECT_TRUE(inventory_->ClaimRow(kPlan, 4, "bench-2", 4711).value->taken);
    EXPECT_TRUE(inventory_->ClaimRow("/plans/south", 3, "bench-2", 4711).value->taken);

    // Released with its result, the row is free and says how it ended.
    ASSERT_TRUE(inventory_->PutPlanRows({{.plan = kPlan, .row = 3, .label = "NF-03"}}).ok());
    ASSERT_TRUE(inventory_->ReleaseRow(kPlan, 3, "bench-1", ::getpid(), "written").ok());
    EXPECT_TRUE(inventory_->ClaimRow(kPlan, 3, "bench-2", 4711).value->taken);
    const auto rows = inventory_->PlanRows(kPlan);
    ASSERT_TRUE(rows.ok()) << rows.error;
    ASSERT_EQ(rows.value->size(), 1u);
    EXPECT_EQ(rows.value->at(0).label, "NF-03");
    EXPECT_EQ(rows.value->at(0).state, "written");
}

TEST_F(ClaimsTest, AClaimIsTakenOverWhenItsProcessIsGoneOrItsBenchWentQuiet) {
    struct Case {
        const char* name;
        std::string holderBench;
        std::int64_t holderPid;
        std::chrono::seconds quietFor;
        bool takenOver;
    };
    const Case cases[] = {
        {"a live process of this bench", "bench-1", ::getpid(), 0s, false},
        {"a process of this bench that is gone", "bench-1", DeadPid(), 0s, true},
        {"another bench, its pid meaning nothing here", "bench-2", DeadPid(), 0s, false},
        {"another bench, quiet for less than the lapse", "bench-2", 4711, kClaimLapse - 5s, false},
        {"another bench, quiet for longer than the lapse", "bench-2", 4711, kClaimLapse + 5s, true},
    };
    int row = 0;
    for (const Case& each : cases) {
        SCOPED_TRACE(each.name);
        ++row;
        ASSERT_TRUE(
            inventory_->ClaimRow(kPlan, row, each.holderBench, each.holderPid).value->taken);
        if (each.quietFor > 0s) AgeHeartbeat(row, each.quietFor);
        const auto answer = inventory_->ClaimRow(kPlan, row, "bench-1", 999'999'999);
        ASSERT_TRUE(answer.ok()) << answer.error;
        EXPECT_EQ(answer.value->taken, each.takenOver);
        // The one taken over no longer keeps its claim alive.
        const auto beat = inventory_->Heartbeat(kPlan, row, each.holderBench, each.holderPid);
        EXPECT_EQ(beat.ok(), !each.takenOver) << beat.error;
    }
}

TEST_F(ClaimsTest, AHeartbeatKeepsAQuietClaimFromBeingTakenOver) {
    ASSERT_TRUE(inventory_->ClaimRow(kPlan, 1, "bench-2", 4711).value->taken);
    AgeHeartbeat(1, kClaimLapse + 5s);
    ASSERT_TRUE(inventory_->Heartbeat(kPlan, 1, "bench-2", 4711).ok());
    EXPECT_FALSE(inventory_->ClaimRow(kPlan, 1, "bench-1", ::getpid()).value->taken);
}

TEST_F(ClaimsTest, PlanRowsAreBroughtUpToDateAndARowDoneKeepsItsState) {
    ASSERT_TRUE(inventory_
                    ->PutPlanRows({{.plan = kPlan, .row = 1, .label = "A-1"},
                                   {.plan = kPlan, .row = 2, .label = "A-2"}})
                    .ok());
    ASSERT_TRUE(inventory_->ClaimRow(kPlan, 1, "bench-1", ::getpid()).value->taken);
    ASSERT_TRUE(inventory_->ReleaseRow(kPlan, 1, "bench-1", ::getpid(), "written").ok());
    // The plan put again (a resumed run), a label corrected.
    ASSERT_TRUE(inventory_
                    ->PutPlanRows({{.plan = kPlan, .row = 1, .label = "A-1"},
                                   {.plan = kPlan, .row = 2, .label = "A-2 (spare)"}})
                    .ok());
    const auto rows = inventory_->PlanRows(kPlan);
    ASSERT_TRUE(rows.ok()) << rows.error;
    ASSERT_EQ(rows.value->size(), 2u);
    EXPECT_EQ(rows.value->at(0).state, "written");
    EXPECT_EQ(rows.value->at(1).label, "A-2 (spare)");
    EXPECT_EQ(rows.value->at(1).state, "pending");
}

// Several processes asking for every row at the same moment: each row goes to exactly one.
TEST_F(ClaimsTest, ProcessesClaimingAtOnceNeverShareARow) {
    constexpr int kRows = 30;
    constexpr int kProcesses = 4;
    inventory_.reset();  // a connection is never carried across fork
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    std::vector<pid_t> children;
    for (int child = 0; child < kProcesses; ++child) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(gate[1]);
            char go = 0;
            if (::read(gate[0], &go, 1) < 0) ::_exit(2);
            auto open = Inventory::Open(path_);
            if (!open.ok()) ::_exit(3);
            Inventory& mine = **open.value;
            const std::string bench = "bench-" + std::to_string(child);
            for (int row = 1; row <= kRows; ++row) {
                const auto answer = mine.ClaimRow(kPlan, row, bench, ::getpid());
                if (!answer.ok()) ::_exit(4);
                if (answer.value->taken &&
                    !mine.Record({.kind = ImageKind::Attempt,
                                  .result = "claimed",
                                  .origin = {.bench = bench, .plan = kPlan, .row = row}})
                         .ok())
                    ::_exit(5);
            }
            ::_exit(0);
        }
        children.push_back(pid);
    }
    ::close(gate[0]);
    ::close(gate[1]);  // every child starts now
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "child exit " << WEXITSTATUS(status);
    }
    inventory_ = OpenOrFail(path_);
    const auto records = inventory_->PlanRecords(kPlan);
    ASSERT_TRUE(records.ok()) << records.error;
    std::multiset<int> rows;
    for (const auto& record : *records.value) rows.insert(record.origin.row);
    EXPECT_EQ(rows.size(), static_cast<std::size_t>(kRows));
    for (int row = 1; row <= kRows; ++row) EXPECT_EQ(rows.count(row), 1u) << "row " << row;
}

}  // namespace
}  // namespace mk843nb::inventory::test
