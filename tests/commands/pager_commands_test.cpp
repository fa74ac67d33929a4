// Read, Write with its backups, Verify and the read behind Compare with pager,
// each against the emulator's board in process, with the faults a board or a
// pager shows: how each ends, what it kept and what went over the line.

#include "commands/pager_commands.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "commands/command_messages.h"
#include "image/write_preparation.h"
#include "in_process_board.h"
#include "recording_events.h"

namespace mk843nb::test {
namespace {

enum class Request {
    Read,
    Compare,        // ReadForComparison
    Verify,         // of the pager's own memory
    VerifyOther,    // of an image the pager does not hold
    Write,          // no backup first
    WriteBackedUp,  // backupFirst
    WriteDeclined,  // backupFirst; the user says no to writing over a damaged memory
};

enum class Memory { Good, Damaged, OtherModel };

// A pager as the emulator starts it; damaged, one byte changed after its checksum.
PagerImage PagerHolding(Memory memory) {
    PagerImage image = PagerMemory(1, 86, memory == Memory::OtherModel ? "XY V1" : "MK842 V3.8.5");
    if (memory == Memory::Damaged) image[100] ^= 0x5A;
    return image;
}

// What the front ends write: the default image with a setting of its own.
PagerImage TableToWrite() {
    PagerImage image = DefaultImage();
    image[70] = 60;
    StoreChecksum(image);
    return image;
}

struct Kept {
    BackupKind kind;
    PagerImage image;
    std::string result;  // what a Write backup says of its verify
};

struct Fixture {
    explicit Fixture(Memory memory, const std::vector<std::string>& faults, bool backupsFail)
        : board(line.Plug("ttyS0", PagerHolding(memory), Faults(faults))),
          session([this] { return line.MakeChannel(); }, line.clock, events),
          commands(
              session,
              [this, backupsFail](const PagerImage& image, const BackupInfo& info) {
                  if (backupsFail)
                      return BackupResult{false, "Cannot write the backup: disk full", {}};
                  kept.push_back({info.kind, image, info.result});
                  return BackupResult{true, "", StoredBackup{"kept.tbl", "kept.json", info}};
              },
              [this](const RecordedImage& record) {
                  records.push_back(record);
                  return refuseRecordsOf && *refuseRecordsOf == record.kind
                             ? std::string("inventory.sqlite: attempt to write a readonly database")
                             : std::string();
              }) {
        session.SetPortTable({{{"ttyS0", ""}}, 0});
        session.SetDiagnoser([](const std::string&) { return PortDiagnosis{}; });
    }

    sim::InProcessLine line;
    sim::InProcessBoard& board;
    RecordingEvents events;
    LinkSession session;
    std::vector<Kept> kept;
    std::vector<RecordedImage> records;
    std::optional<RecordedKind> refuseRecordsOf;  // the recorder fails records of this kind
    PagerCommands commands;
};

// The image a successful Write to firmware 1.86 leaves on the pager.
PagerImage AsWritten(PagerImage image) {
    image[1] = 1;
    image[2] = 86;
    PrepareImageForWrite(image, 1, 86);
    return image;
}

struct Case {
    const char* what;
    Memory memory;
    std::vector<std::string> faults;
    Request request;
    // The outcome.
    bool success;
    LinkCommand command;
    LinkFailure failure;
    std::string messageStart;  // "" when no message is told
    std::vector<BackupKind> kept;
    std::size_t frames;   // requests the board received
    int writeFramesSent;  // of the 32
    bool pagerWritten;    // the pager holds the table as written
    bool damaged = false;
    bool cancelled = false;
    bool backupsFail = false;
};

using enum BackupKind;

// Frames: a read is ping, version, model and two blocks (1-5); a Write alone is
// ping, version, model (1-3), 32 writes (4-35) and the verify's two reads
// (36-37); after a pre-write read everything moves on by five. A Verify is the
// ping and the blocks up to the first that differs. A write frame counts as
// sent once it went out, answered or not.
// clang-format off
const std::vector<Case> kCases{
    // what, pager, faults, request,
    //   success, command, failure, message, backups kept, frames, write frames sent, written,
    //   damaged, cancelled, backups fail
    {"Read", Memory::Good, {}, Request::Read,
     true, LinkCommand::Read, LinkFailure::None, "Read Success !", {Read}, 5, 0, false},
    {"Read of a bad block", Memory::Good, {"bad-checksum:4"}, Request::Read,
     false, LinkCommand::Read, LinkFailure::Transfer, "", {}, 4, 0, false},
    {"Read with no board", Memory::Good, {"no-answer"}, Request::Read,
     false, LinkCommand::Read, LinkFailure::PortOrBoard, "", {}, 1, 0, false},
    {"Read of a damaged memory keeps nothing", Memory::Damaged, {}, Request::Read,
     false, LinkCommand::Read, LinkFailure::Transfer, "CheckSum error !", {}, 5, 0, false},
    {"Read of another model", Memory::OtherModel, {}, Request::Read,
     false, LinkCommand::Read, LinkFailure::Transfer, "", {}, 3, 0, false},
    {"Compare keeps what it read", Memory::Good, {}, Request::Compare,
     true, LinkCommand::Read, LinkFailure::None, "Read Success !", {Read}, 5, 0, false},
    {"Verify of the pager's own memory", Memory::Good, {}, Request::Verify,
     true, LinkCommand::Verify, LinkFailure::None, "Verify Sucess !", {}, 3, 0, false},
    {"Verify of another image", Memory::Good, {}, Request::VerifyOther,
     false, LinkCommand::Verify, LinkFailure::VerifyDiffers, "Verify Error !", {}, 2, 0, false},
    {"Write without a backup first", Memory::Good, {}, Request::Write,
     true, LinkCommand::Write, LinkFailure::None, "Write Sucess !", {Write}, 37, 32, true},
    {"Write with its pre-write backup", Memory::Good, {}, Request::WriteBackedUp,
     true, LinkCommand::Write, LinkFailure::None, "Write Sucess !", {PreWrite, Write}, 42, 32, true},
    {"Write whose pre-write read fails writes nothing", Memory::Good, {"bad-checksum:4"}, Request::WriteBackedUp,
     false, LinkCommand::Read, LinkFailure::Transfer, "", {}, 4, 0, false},
    {"Write to no board", Memory::Good, {"no-answer"}, Request::WriteBackedUp,
     false, LinkCommand::Read, LinkFailure::PortOrBoard, "", {}, 1, 0, false},
    {"Write to another model", Memory::OtherModel, {}, Request::WriteBackedUp,
     false, LinkCommand::Read, LinkFailure::Transfer, "", {}, 3, 0, false},
    {"Write whose pre-write backup cannot be stored writes nothing", Memory::Good, {}, Request::WriteBackedUp,
     false, LinkCommand::Read, LinkFailure::Refused, "Cannot write the backup: disk full", {}, 5, 0, false,
     false, false, true},
    {"Write over a damaged memory keeps it first", Memory::Damaged, {}, Request::WriteBackedUp,
     true, LinkCommand::Write, LinkFailure::None, "Write Sucess !", {Damaged, Write}, 42, 32, true,
     true},
    {"Write over a damaged memory, declined", Memory::Damaged, {}, Request::WriteDeclined,
     false, LinkCommand::Read, LinkFailure::Refused, "", {Damaged}, 5, 0, false,
     true, true},
    {"Write over a damaged memory that cannot be kept writes nothing", Memory::Damaged, {}, Request::WriteBackedUp,
     false, LinkCommand::Read, LinkFailure::Transfer, "CheckSum error !", {}, 5, 0, false,
     false, false, true},
    {"Write frame refused half-way", Memory::Good, {"bad-ack:20"}, Request::WriteBackedUp,
     false, LinkCommand::Write, LinkFailure::Transfer, "Write Error !", {PreWrite}, 20, 12, false},
    {"Write whose pager lost a frame", Memory::Good, {"lost-write:40"}, Request::WriteBackedUp,
     false, LinkCommand::Write, LinkFailure::VerifyDiffers, "Verify Error !", {PreWrite, Write}, 42, 32, false},
    {"Write whose verify reply is bad", Memory::Good, {"bad-checksum:41"}, Request::WriteBackedUp,
     false, LinkCommand::Write, LinkFailure::Transfer, "", {PreWrite, Write}, 41, 32, false},
    {"Write broken off by a hang-up", Memory::Good, {"hangup:20"}, Request::WriteBackedUp,
     false, LinkCommand::Write, LinkFailure::Transfer, "Write stopped", {PreWrite}, 20, 13, false},
};
// clang-format on

TEST(PagerCommandsTest, EachFaultAndRequestEndsKeepsAndSendsWhatItShould) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        Fixture f(c.memory, c.faults, c.backupsFail);
        const PagerImage before = f.board.Memory();
        PagerImage image = TableToWrite();
        bool asked = false;
        CommandOutcome out;
        switch (c.request) {
            case Request::Read:
                out = f.commands.Read(image);
                break;
            case Request::Compare:
                out = f.commands.ReadForComparison(image);
                break;
            case Request::Verify:
                out = f.commands.Verify(before);
                break;
            case Request::VerifyOther:
                out = f.commands.Verify(image);
                break;
            case Request::Write:
                out = f.commands.Write(image, {});
                break;
            case Request::WriteBackedUp:
            case Request::WriteDeclined: {
                WriteRequest request;
                request.backupFirst = true;
                request.confirmOverDamaged = [&](const StoredBackup& kept) {
                    asked = true;
                    EXPECT_EQ(kept.info.kind, Damaged);
                    return c.request != Request::WriteDeclined;
                };
                out = f.commands.Write(image, request);
                break;
            }
        }

        EXPECT_EQ(out.success(), c.success);
        EXPECT_EQ(out.command, c.command);
        EXPECT_EQ(out.link.failure, c.failure);
        if (!c.messageStart.empty()) {
            ASSERT_TRUE(out.link.message.has_value());
            EXPECT_TRUE(out.link.message->text.starts_with(c.messageStart))
                << out.link.message->text;
        }
        EXPECT_EQ(out.damagedMemory, c.damaged);
        EXPECT_EQ(asked, c.damaged && !c.backupsFail);
        EXPECT_EQ(out.cancelled, c.cancelled);
        EXPECT_EQ(out.backupError.empty(), !c.backupsFail);

        std::vector<BackupKind> kinds;
        for (const Kept& kept : f.kept) kinds.push_back(kept.kind);
        EXPECT_EQ(kinds, c.kept);
        EXPECT_EQ(f.board.Requests().size(), c.frames);
        EXPECT_EQ(out.link.writeFramesSent, c.writeFramesSent);
        if (c.pagerWritten) {
            EXPECT_EQ(f.board.Memory(), AsWritten(TableToWrite()));
        } else if (c.writeFramesSent == 0) {
            EXPECT_EQ(f.board.Memory(), before) << "nothing was written";
        }

        // What each backup holds: what the pager held before, the image as sent.
        for (const Kept& kept : f.kept) {
            if (kept.kind == Write) {
                EXPECT_EQ(kept.image, image) << "the image as sent";
            } else {
                EXPECT_EQ(kept.image, before);
            }
        }
        // A failed Write that sent frames says how many.
        if (!c.success && c.writeFramesSent > 0 && c.writeFramesSent < 32) {
            ASSERT_TRUE(out.link.message.has_value());
            EXPECT_NE(out.link.message->text.find(PartlyWrittenNote(c.writeFramesSent)),
                      std::string::npos)
                << out.link.message->text;
        }
    }
}

// The sidecar of a Write backup says what the verify after it found.
TEST(PagerCommandsTest, AWriteBackupSaysWhatItsVerifyFound) {
    const struct {
        std::vector<std::string> faults;
        std::string result;
    } cases[] = {
        {{}, "verified"},
        {{"lost-write:35"}, "verify failed"},
        {{"bad-checksum:36"}, "not verified"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        Fixture f(Memory::Good, c.faults, false);
        PagerImage image = TableToWrite();
        f.commands.Write(image, {});
        ASSERT_EQ(f.kept.size(), 1u);
        EXPECT_EQ(f.kept[0].result, c.result);
    }
}

// A failed verify names the fields that differ; a Write's own verify does the same.
TEST(PagerCommandsTest, AFailedVerifyTellsTheFieldsThatDiffer) {
    Fixture f(Memory::Good, {}, false);
    PagerImage other = f.board.Memory();
    other[70] = static_cast<std::uint8_t>(other[70] + 2);
    StoreChecksum(other);
    const CommandOutcome out = f.commands.Verify(other);
    EXPECT_FALSE(out.success());
    EXPECT_NE(out.link.details.find("Byte 70: "), std::string::npos) << out.link.details;

    Fixture lost(Memory::Good, {"lost-write:35"}, false);
    PagerImage image = TableToWrite();
    const CommandOutcome written = lost.commands.Write(image, {});
    EXPECT_EQ(written.link.failure, LinkFailure::VerifyDiffers);
    EXPECT_NE(written.link.details.find("Checksum"), std::string::npos) << written.link.details;
}

// Hands-free and the fleet's own rules come in through proceed and adjust:
// proceed sees what the pager holds and may end the Write before its backup;
// adjust changes what is written, and the verify checks the changed image.
TEST(PagerCommandsTest, ProceedAndAdjustSeeWhatThePagerHolds) {
    {
        Fixture f(Memory::Good, {}, false);
        const PagerImage held = f.board.Memory();
        PagerImage image = TableToWrite();
        WriteRequest request;
        request.backupFirst = true;
        request.proceed = [&](const PagerImage& seen) {
            EXPECT_EQ(seen, held);
            return false;
        };
        const CommandOutcome out = f.commands.Write(image, request);
        EXPECT_TRUE(out.cancelled);
        EXPECT_FALSE(out.success());
        EXPECT_FALSE(out.link.message.has_value());
        EXPECT_TRUE(f.kept.empty());
        EXPECT_EQ(f.board.Requests().size(), 5u);
        EXPECT_EQ(f.board.Memory(), held);
    }
    {
        Fixture f(Memory::Damaged, {}, false);
        const PagerImage held = f.board.Memory();
        PagerImage image = TableToWrite();
        WriteRequest request;
        request.backupFirst = true;
        request.adjust = [&](const PagerImage& seen, PagerImage& table) {
            EXPECT_EQ(seen, held) << "the damaged bytes as the pager holds them";
            table[71] = seen[71];
            table[72] = 0x33;
        };
        const CommandOutcome out = f.commands.Write(image, request);
        EXPECT_TRUE(out.success());
        EXPECT_EQ(f.board.Memory()[72], 0x33);
        EXPECT_EQ(f.board.Memory(), image);
    }
}

// Every image a command reads or writes reaches the recorder, and so does every
// attempt that got none, each with its result and what the user was told.
TEST(PagerCommandsTest, EveryImageAndEveryAttemptIsRecorded) {
    using enum RecordedKind;
    struct Recorded {
        RecordedKind kind;
        std::string result;
        bool operator==(const Recorded&) const = default;
    };
    const struct {
        const char* what;
        Memory memory;
        std::vector<std::string> faults;
        bool backupFirst;
        bool isRead;
        std::vector<Recorded> records;
    } cases[] = {
        {"Read", Memory::Good, {}, false, true, {{Read, "read"}}},
        {"Read of a damaged memory", Memory::Damaged, {}, false, true, {{Damaged, "read failed"}}},
        {"Read with no board",
         Memory::Good,
         {"no-answer"},
         false,
         true,
         {{Attempt, "read failed"}}},
        {"Write", Memory::Good, {}, true, false, {{PreWrite, "read"}, {Write, "written"}}},
        {"Write without a backup first", Memory::Good, {}, false, false, {{Write, "written"}}},
        {"Write whose pre-write read fails",
         Memory::Good,
         {"bad-checksum:4"},
         true,
         false,
         {{Attempt, "read failed"}}},
        {"Write to no board",
         Memory::Good,
         {"no-answer"},
         false,
         false,
         {{Attempt, "write failed"}}},
        {"Write over a damaged memory",
         Memory::Damaged,
         {},
         true,
         false,
         {{Damaged, "read failed"}, {Write, "written"}}},
        {"Write refused half-way",
         Memory::Good,
         {"bad-ack:20"},
         true,
         false,
         {{PreWrite, "read"}, {Write, "write failed"}}},
        {"Write whose pager lost a frame",
         Memory::Good,
         {"lost-write:40"},
         true,
         false,
         {{PreWrite, "read"}, {Write, "verify failed"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f(c.memory, c.faults, false);
        const PagerImage before = f.board.Memory();
        PagerImage image = TableToWrite();
        WriteRequest request;
        request.backupFirst = c.backupFirst;
        request.tags = {.label = "Ladder 3", .asset = "A-1", .note = ""};
        const CommandOutcome out =
            c.isRead ? f.commands.Read(image) : f.commands.Write(image, request);

        std::vector<Recorded> seen;
        for (const RecordedImage& r : f.records) seen.push_back({r.kind, r.result});
        EXPECT_EQ(seen, c.records);
        for (const RecordedImage& r : f.records) {
            EXPECT_EQ(r.port, "ttyS0");
            EXPECT_EQ(r.image.has_value(), r.kind != Attempt);
            if (r.kind == Write) {
                EXPECT_EQ(*r.image, image) << "the image as sent";
            }
            if (r.kind == PreWrite || r.kind == Damaged) {
                EXPECT_EQ(*r.image, before);
            }
            // A Write's records belong to the pager it was asked to program.
            EXPECT_EQ(r.tags.label, c.isRead ? "" : "Ladder 3");
        }
        if (!f.records.empty() && f.records.back().kind == Write && !out.success()) {
            EXPECT_EQ(f.records.back().message, out.link.message->text);
        }
        EXPECT_TRUE(out.recordError.empty());
    }
}

// Nothing is programmed that cannot be recorded: a pre-write read (or a
// damaged memory) the recorder cannot store ends the Write before a frame is
// written, saying why. A record lost after the fact is said, the command done.
TEST(PagerCommandsTest, AWriteWhosePreWriteReadCannotBeRecordedWritesNothing) {
    for (Memory memory : {Memory::Good, Memory::Damaged}) {
        Fixture f(memory, {}, false);
        f.refuseRecordsOf = memory == Memory::Good ? RecordedKind::PreWrite : RecordedKind::Damaged;
        const PagerImage before = f.board.Memory();
        PagerImage image = TableToWrite();
        WriteRequest request;
        request.backupFirst = true;
        const CommandOutcome out = f.commands.Write(image, request);
        EXPECT_FALSE(out.success());
        EXPECT_EQ(out.link.failure, LinkFailure::Refused);
        ASSERT_TRUE(out.link.message.has_value());
        EXPECT_NE(out.link.message->text.find("readonly database"), std::string::npos);
        EXPECT_NE(out.link.message->text.find(kNotRecordedNote), std::string::npos);
        EXPECT_EQ(out.link.writeFramesSent, 0);
        EXPECT_EQ(f.board.Memory(), before);
        EXPECT_EQ(f.board.Requests().size(), 5u) << "the pre-write read only";
    }

    Fixture f(Memory::Good, {}, false);
    f.refuseRecordsOf = RecordedKind::Write;
    PagerImage image = TableToWrite();
    WriteRequest request;
    request.backupFirst = true;
    const CommandOutcome out = f.commands.Write(image, request);
    EXPECT_TRUE(out.success());
    EXPECT_NE(out.recordError.find("readonly database"), std::string::npos);
}

// A pre-write read its caller declines is recorded apart from the pager the
// Write was meant for: it is not known to be that pager.
TEST(PagerCommandsTest, ADeclinedPreWriteReadIsNotRecordedAsTheWantedPager) {
    Fixture f(Memory::Good, {}, false);
    PagerImage image = TableToWrite();
    WriteRequest request;
    request.backupFirst = true;
    request.tags.label = "Engine 2";
    request.proceed = [](const PagerImage&) { return false; };
    f.commands.Write(image, request);
    ASSERT_EQ(f.records.size(), 1u);
    EXPECT_EQ(f.records[0].kind, RecordedKind::PreWrite);
    EXPECT_EQ(f.records[0].result, "cancelled");
    EXPECT_TRUE(f.records[0].tags.empty());
}

}  // namespace
}  // namespace mk843nb::test
