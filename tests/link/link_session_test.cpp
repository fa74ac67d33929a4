#include "link/link_session.h"

#include <gtest/gtest.h>

#include "fake_link.h"
#include "link/frames.h"
#include "link/programmer_link.h"
#include "recording_hooks.h"

namespace mk843nb::test {
namespace {

using status_text::kBoardTesting;
using status_text::kReady;

struct SessionFixture : testing::Test {
    SessionFixture() : session([this] { return line.Make(); }, line.clock, hooks) {
        board.memory = PagerMemory(1, 86, "MK842 V3.8.5");
        line.boards["ttyS0"] = &board;
        session.SetPortTable({{{"ttyS0", ""}}, 0});
        // The fake ports have no devices to look at; tests that need a diagnosis give one.
        session.SetDiagnoser([](const std::string&) { return PortDiagnosis{}; });
        image = DefaultImage();
        image[70] = 60;  // Reminder 30 s
    }

    PagerImage Unchanged(const PagerImage& before) const {
        PagerImage expected = before;
        expected[1] = board.memory[1];
        expected[2] = board.memory[2];
        return expected;
    }

    FakeLine line;
    FakeBoard board;
    RecordingHooks hooks;
    LinkSession session;
    PagerImage image{};
};

TEST_F(SessionFixture, ReadReplacesTheImageAndRestoresTheWindow) {
    for (bool modifyMode : {true, false}) {
        hooks = {};
        board.requests.clear();
        PagerImage target{};
        const LinkOutcome out = session.Read(target, modifyMode);
        EXPECT_TRUE(out.success);
        EXPECT_TRUE(out.imageReplaced);
        EXPECT_EQ(target, board.memory);
        EXPECT_EQ(out.message, (Message{MessageKind::Information, "Read Success !"}));
        EXPECT_EQ(hooks.statuses, (std::vector<std::string>{std::string(kBoardTesting),
                                                            "  Reading Now ......", " Ready"}));
        EXPECT_EQ(hooks.windowEnabled, (std::vector<bool>{false, true}));
        ASSERT_EQ(hooks.menus.size(), 2u);
        EXPECT_EQ(hooks.menus[0], (PagerMenuItems{false, false, false}));
        EXPECT_EQ(hooks.menus[1], (PagerMenuItems{true, !modifyMode, true}))
            << "Write1 follows the edit mode";
        EXPECT_EQ(hooks.ranges.back(), (std::pair{0, 256}));
        EXPECT_EQ(hooks.positions, (std::vector<int>{0, 128, 256, 0}));
        EXPECT_EQ(board.requests,
                  (std::vector<Bytes>{BuildReadRequest(0, 0), BuildReadRequest(1, 2),
                                      BuildReadRequest(240, 14), BuildReadRequest(0, 128),
                                      BuildReadRequest(128, 128)}));
        EXPECT_FALSE(session.Port().IsOpen());
        EXPECT_EQ(line.channels.back()->baudRate, 9600u);
        EXPECT_EQ(line.channels.back()->format, 1);
    }
}

struct ReadFailure {
    const char* what;
    std::uint8_t major, minor;
    std::string model;
    std::function<void(FakeBoard&)> fault;
    Message message;
    bool imageReplaced;
};

void PrintTo(const ReadFailure& c, std::ostream* out) { *out << c.what; }

class ReadFailureTest : public SessionFixture, public testing::WithParamInterface<ReadFailure> {};

TEST_P(ReadFailureTest, MessageAndWhatSurvives) {
    const auto& c = GetParam();
    board.memory = PagerMemory(c.major, c.minor, c.model);
    c.fault(board);
    const PagerImage before = image;
    const LinkOutcome out = session.Read(image, true);
    EXPECT_EQ(out.message, c.message) << c.what;
    EXPECT_EQ(out.imageReplaced, c.imageReplaced) << c.what;
    EXPECT_EQ(out.success, c.imageReplaced);
    if (c.imageReplaced) {
        EXPECT_EQ(image, board.memory);
    } else {
        EXPECT_EQ(image, Unchanged(before)) << c.what << ": only the version bytes change";
    }
    EXPECT_EQ(hooks.windowEnabled.back(), true);
    EXPECT_EQ(hooks.statuses.back(), " Ready");
    EXPECT_EQ(hooks.menus.back(), (PagerMenuItems{true, false, true}));
    EXPECT_FALSE(session.Port().IsOpen());
}

const auto kNoFault = [](FakeBoard&) {};
const auto kBadImageSum = [](FakeBoard& b) { b.memory[255] ^= 1; };
const Message kReadError{MessageKind::Stop, "Read Error !"};
const Message kChecksumError{MessageKind::Stop, "CheckSum error !"};
const Message kReadSuccess{MessageKind::Information, "Read Success !"};

INSTANTIATE_TEST_SUITE_P(
    Faults, ReadFailureTest,
    testing::Values(
        ReadFailure{"another model",
                    1,
                    86,
                    "XY V1",
                    kNoFault,
                    {MessageKind::Plain, "This model is not MK842. This model is XY V1."},
                    false},
        ReadFailure{"no answer to the model query",
                    1,
                    86,
                    "MK842",
                    [](FakeBoard& b) { b.noAnswer = {3}; },
                    {MessageKind::Plain, "This model is not MK842. This model is ."},
                    false},
        ReadFailure{"first block silent", 1, 86, "MK842", [](FakeBoard& b) { b.noAnswer = {4}; },
                    kReadError, false},
        ReadFailure{"second block bad sum", 1, 86, "MK842",
                    [](FakeBoard& b) { b.badChecksum = {5}; }, kReadError, false},
        ReadFailure{"image checksum", 1, 86, "MK842 V3.8.5", kBadImageSum, kChecksumError, false},
        ReadFailure{"1.80 without model text takes any checksum", 1, 80, "", kBadImageSum,
                    kReadSuccess, true},
        ReadFailure{"1.80 with model text checks it", 1, 80, "MK842 V3.8.5", kBadImageSum,
                    kChecksumError, false},
        ReadFailure{"1.83 without model text checks it", 1, 83, "", kBadImageSum, kChecksumError,
                    false}));

TEST_F(SessionFixture, NoBoardAnsweringLeavesMenusAndImage) {
    board.silent = true;
    const PagerImage before = image;
    for (LinkCommand command : {LinkCommand::Read, LinkCommand::Write, LinkCommand::Verify}) {
        hooks = {};
        const LinkOutcome out = command == LinkCommand::Read    ? session.Read(image, true)
                                : command == LinkCommand::Write ? session.Write(image)
                                                                : session.Verify(image, true);
        EXPECT_EQ(out.message, BoardNotRespondingMessage(command));
        EXPECT_EQ(hooks.statuses,
                  (std::vector<std::string>{std::string(kBoardTesting), std::string(kReady)}));
        EXPECT_TRUE(hooks.menus.empty()) << "menu items as before";
        EXPECT_EQ(hooks.windowEnabled, (std::vector<bool>{false, true}));
        EXPECT_EQ(image, before);
        EXPECT_FALSE(session.Port().IsOpen());
    }
    EXPECT_EQ(BoardNotRespondingMessage(LinkCommand::Read).text,
              "The Board is not responding ! \nPlease check your programer ready\n and COM port "
              "connect properly !");
    EXPECT_EQ(BoardNotRespondingMessage(LinkCommand::Verify).text,
              "The Board is not responding ! \nPlease check your programer ready \nand COM port "
              "connect properly !");
}

TEST_F(SessionFixture, ReopeningFailureKeepsTheTestingStatus) {
    struct Case {
        CommErrorCode code;
        const char* text;
    };
    for (const Case& c :
         {Case{CommErrorCode::CannotOpen, "Error opening comm port. Port already in use?"},
          Case{CommErrorCode::SettingsRefused, "Error opening comm port."}}) {
        hooks = {};
        board.opens = 0;
        board.openErrors = {{2, ECommError{c.code, 16, "Device or resource busy", false}}};
        const LinkOutcome out = session.Verify(image, false);
        EXPECT_EQ(out.message,
                  (Message{MessageKind::Plain,
                           std::string(c.text) +
                               "\n/dev/ttyS0 could not be opened (Device or resource busy)."}));
        EXPECT_EQ(hooks.statuses.back(), kBoardTesting);
        EXPECT_TRUE(hooks.menus.empty());
        EXPECT_EQ(hooks.windowEnabled.back(), true);
        EXPECT_FALSE(session.Port().IsOpen());
    }
}

TEST_F(SessionFixture, FailedOpenAddsWhyThePortCannotBeUsed) {
    // Qt calls a port held by another program a permission error; the diagnosis decides.
    board.openError = ECommError{CommErrorCode::CannotOpen, 13, "permission denied", true};
    std::vector<std::string> asked;
    const PortDiagnosis busy{PortFault::Busy, "/dev/ttyS0 is in use by minicom (pid 42).", {}, ""};
    session.SetDiagnoser([&](const std::string& name) {
        asked.push_back(name);
        return busy;
    });
    for (LinkCommand command : {LinkCommand::Read, LinkCommand::Verify}) {
        const LinkOutcome out =
            command == LinkCommand::Read ? session.Read(image, true) : session.Verify(image, true);
        EXPECT_EQ(out.message,
                  (Message{MessageKind::Exclamation,
                           BoardNotRespondingMessage(command).text + "\n" + busy.text}));
        EXPECT_EQ(out.failure, LinkFailure::PortOrBoard);
    }
    EXPECT_EQ(asked, (std::vector<std::string>{"ttyS0", "ttyS0"}));

    // Whatever kept it closed has passed: the system's words of the moment.
    session.SetDiagnoser([](const std::string&) { return PortDiagnosis{}; });
    EXPECT_EQ(session.Read(image, true).message->text,
              BoardNotRespondingMessage(LinkCommand::Read).text +
                  "\n/dev/ttyS0 could not be opened (permission denied).");

    // A board that answers is never diagnosed.
    board.openError.reset();
    asked.clear();
    session.SetDiagnoser([&](const std::string& name) {
        asked.push_back(name);
        return busy;
    });
    EXPECT_TRUE(session.Read(image, true).success);
    EXPECT_TRUE(asked.empty());
}

TEST_F(SessionFixture, WriteSendsThePreparedImageThenVerifies) {
    const LinkOutcome out = session.Write(image);
    EXPECT_TRUE(out.success);
    EXPECT_EQ(out.message, (Message{MessageKind::Information, "Write Sucess !"}));
    EXPECT_EQ(board.memory, image) << "the pager holds the image as prepared";
    EXPECT_EQ(image[11], 1) << "WriteMark";
    EXPECT_EQ(StoredChecksum(image), ImageChecksum(image));
    EXPECT_EQ(board.requests.size(), 3u + 32u + 2u);
    for (int frame = 0; frame < 32; ++frame) {
        EXPECT_EQ(board.requests[3 + frame],
                  BuildWriteRequest(image, static_cast<std::uint16_t>(frame * 8), 8));
    }
    EXPECT_EQ(std::count(line.clock.delays.begin(), line.clock.delays.end(), kWritePauseMs), 32);
    EXPECT_EQ(hooks.panel2Clears, 1);
    EXPECT_EQ(hooks.statuses,
              (std::vector<std::string>{std::string(kBoardTesting), "  Write Now ......",
                                        "  Verify Now ......", "  Ready ....."}));
    EXPECT_EQ(hooks.menus.back(), (PagerMenuItems{true, true, true}));

    hooks = {};
    EXPECT_EQ(session.Verify(image, true).message,
              (Message{MessageKind::Information, "Verify Sucess !"}));
    EXPECT_EQ(hooks.positions, (std::vector<int>{0, 128, 256, 0}));
    image[100] ^= 1;
    EXPECT_EQ(session.Verify(image, true).message, (Message{MessageKind::Stop, "Verify Error !"}));
}

// What a script is told: the class of every way a command ends. Requests count
// from 1 across the board's life: Verify is ping #1 and blocks #2, #3; Write is
// ping, version, model, writes #4 to #35, verify blocks #36, #37.
TEST_F(SessionFixture, EveryOutcomeHasItsFailureClass) {
    struct Case {
        const char* what;
        LinkCommand command;
        std::function<void(FakeBoard&, PagerImage&)> setUp;
        LinkFailure failure;
    };
    const Case cases[] = {
        {"success", LinkCommand::Read, [](FakeBoard&, PagerImage&) {}, LinkFailure::None},
        {"no board", LinkCommand::Verify, [](FakeBoard& b, PagerImage&) { b.silent = true; },
         LinkFailure::PortOrBoard},
        {"port cannot be reopened", LinkCommand::Read,
         [](FakeBoard& b, PagerImage&) {
             b.openErrors = {{2, ECommError{CommErrorCode::CannotOpen, 16, "busy", false}}};
         },
         LinkFailure::PortOrBoard},
        {"another model", LinkCommand::Read,
         [](FakeBoard& b, PagerImage&) { b.memory = PagerMemory(1, 86, "XY V1"); },
         LinkFailure::Transfer},
        {"bad block sum", LinkCommand::Read, [](FakeBoard& b, PagerImage&) { b.badChecksum = {4}; },
         LinkFailure::Transfer},
        {"bad image sum", LinkCommand::Read, [](FakeBoard& b, PagerImage&) { b.memory[255] ^= 1; },
         LinkFailure::Transfer},
        {"device gone", LinkCommand::Read, [](FakeBoard& b, PagerImage&) { b.failOnRequest = 4; },
         LinkFailure::Transfer},
        {"old firmware, Reminder off", LinkCommand::Write,
         [](FakeBoard& b, PagerImage& image) {
             b.memory = PagerMemory(1, 82, "");
             image[70] = 0;
         },
         LinkFailure::Refused},
        {"write frame refused", LinkCommand::Write,
         [](FakeBoard& b, PagerImage&) { b.badAck = {6}; }, LinkFailure::Transfer},
        {"write's verify gets no answer", LinkCommand::Write,
         [](FakeBoard& b, PagerImage&) { b.noAnswer = {37}; }, LinkFailure::Transfer},
        {"verify differs", LinkCommand::Verify,
         [](FakeBoard& b, PagerImage& image) {
             image = b.memory;
             image[200] ^= 1;
         },
         LinkFailure::VerifyDiffers},
        {"verify reply with a bad sum", LinkCommand::Verify,
         [](FakeBoard& b, PagerImage& image) {
             image = b.memory;
             b.badChecksum = {3};
         },
         LinkFailure::Transfer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeBoard fresh;
        fresh.memory = PagerMemory(1, 86, "MK842 V3.8.5");
        board = fresh;
        PagerImage target = image;
        c.setUp(board, target);
        const LinkOutcome out = c.command == LinkCommand::Read    ? session.Read(target, true)
                                : c.command == LinkCommand::Write ? session.Write(target)
                                                                  : session.Verify(target, true);
        EXPECT_EQ(out.failure, c.failure);
        EXPECT_EQ(out.success, c.failure == LinkFailure::None);
    }
}

TEST_F(SessionFixture, WriteToFirmwareBefore183WithReminderOffSendsNothingMore) {
    board.memory = PagerMemory(1, 82, "");
    image[70] = 0;
    const PagerImage before = image;
    const LinkOutcome out = session.Write(image);
    EXPECT_EQ(out.message->text,
              "The version before 1.83, Reminder function cannot be disabled. \nPlease select "
              "'Reminder' option again !");
    EXPECT_EQ(out.message->kind, MessageKind::Exclamation);
    EXPECT_EQ(board.requests.size(), 2u) << "ping and version only";
    EXPECT_EQ(image, Unchanged(before));
    EXPECT_EQ(hooks.statuses.back(), "  Ready .....");
}

TEST_F(SessionFixture, PriorityBitsFollowTheGroupsOnlyOn186) {
    for (std::uint8_t minor : {85, 86, 87}) {
        board.memory = PagerMemory(1, minor, "MK842 V3.8.5");
        PagerImage target = image;
        target[112] |= 0x80;  // GPriority1
        target[114] |= 0x80;  // GPriority2
        target[104] = 0x03;
        target[106] = 0x85;
        ASSERT_TRUE(session.Write(target).success);
        EXPECT_EQ(target[104], minor == 86 ? 0x83 : 0x03) << int(minor);
        EXPECT_EQ(target[106], minor == 86 ? 0x85 : 0x05) << int(minor);
        EXPECT_EQ(board.memory, target);
    }
}

TEST_F(SessionFixture, FailedWriteFrameStopsAtOnce) {
    board.badAck = {10};
    const LinkOutcome out = session.Write(image);
    EXPECT_EQ(out.message, (Message{MessageKind::Stop, "Write Error !"}));
    EXPECT_EQ(board.requests.size(), 10u);
    EXPECT_EQ(image[11], 1) << "the image keeps its preparation";

    board.requests.clear();
    board.badAck.clear();
    board.noAnswer = {3 + 32 + 2};
    EXPECT_EQ(session.Write(image).message, (Message{MessageKind::Stop, "Verify Error !"}));
}

TEST_F(SessionFixture, SerialErrorMidTransferEndsInTheClosingState) {
    for (LinkCommand command : {LinkCommand::Read, LinkCommand::Write, LinkCommand::Verify}) {
        hooks = {};
        board.requests.clear();
        board.failOnRequest = 3;  // the model query, or Verify's second block
        PagerImage target = command == LinkCommand::Verify ? board.memory : image;
        const PagerImage before = target;
        const LinkOutcome out = command == LinkCommand::Read    ? session.Read(target, false)
                                : command == LinkCommand::Write ? session.Write(target)
                                                                : session.Verify(target, false);
        ASSERT_TRUE(out.message);
        EXPECT_EQ(out.message->kind, MessageKind::Stop);
        EXPECT_EQ(out.message->text, std::string(CommandName(command)) +
                                         " stopped: the serial port failed (Input/output error).");
        EXPECT_EQ(hooks.windowEnabled.back(), true);
        EXPECT_EQ(hooks.menus.back(), (PagerMenuItems{true, true, true}));
        EXPECT_EQ(hooks.positions.back(), 0);
        EXPECT_FALSE(session.Port().IsOpen());
        if (command == LinkCommand::Read) {
            EXPECT_EQ(target, Unchanged(before));
        }
    }
}

struct SearchFixture : SessionFixture {
    SearchFixture() {
        for (int i = 0; i < 5; ++i) {
            boards[i].memory = PagerMemory(1, 86, "MK842");
            line.boards["ttyS" + std::to_string(i)] = &boards[i];
        }
        PortTable table;
        for (int i = 0; i < 6; ++i) table.entries.push_back({"ttyS" + std::to_string(i), ""});
        table.selected = 5;
        session.SetPortTable(table);
    }
    FakeBoard boards[5];
};

TEST_F(SearchFixture, LowestAnsweringPortWinsInAboutThreeSeconds) {
    boards[0].silent = true;
    boards[1].openError =
        ECommError{CommErrorCode::CannotOpen, 16, "Device or resource busy", false};
    boards[3].silent = true;
    // ttyS5 has no device at all.
    const auto start = line.clock.now;
    EXPECT_TRUE(session.FindBoard());
    EXPECT_EQ(session.Ports().selected, 2);
    EXPECT_EQ(hooks.selectedPorts, std::vector<int>{2});
    EXPECT_TRUE(session.Port().IsOpen());
    EXPECT_EQ(session.Port().PortName(), "ttyS2");
    const auto elapsed = line.clock.now - start;
    EXPECT_GE(elapsed, kSilenceLimitMs) << "ttyS0 had to stay silent first";
    EXPECT_LT(elapsed, 3500);
    for (int i : {0, 2, 3, 4})
        EXPECT_EQ(boards[i].requests, std::vector<Bytes>{BuildReadRequest(0, 0)}) << i;
    for (auto* channel : line.channels) {
        if (channel != &session.Port()) {
            EXPECT_FALSE(channel->IsOpen());
        }
    }
}

TEST_F(SearchFixture, NoAnswerClosesEverythingAndKeepsTheSelection) {
    for (auto& b : boards) b.silent = true;
    const auto start = line.clock.now;
    EXPECT_FALSE(session.FindBoard());
    EXPECT_LT(line.clock.now - start, 3500) << "silent ports are waited for together";
    EXPECT_EQ(session.Ports().selected, 5);
    EXPECT_TRUE(hooks.selectedPorts.empty());
    for (auto* channel : line.channels) EXPECT_FALSE(channel->IsOpen());
    EXPECT_EQ(session.StartupWarning(), StartupBoardNotRespondingMessage());
}

TEST_F(SearchFixture, StartupWarningNamesTheFirstPortHeldOrRefusedNotTheMissingOnes) {
    for (auto& b : boards) b.silent = true;
    boards[1].openError = ECommError{CommErrorCode::CannotOpen, 13, "permission denied", true};
    boards[3].openError = ECommError{CommErrorCode::CannotOpen, 16, "busy", true};
    // ttyS5 has no device at all; it is tried last.
    session.SetDiagnoser([](const std::string& name) {
        if (name == "ttyS1")
            return PortDiagnosis{
                PortFault::Permission, "Permission denied on /dev/ttyS1: group uucp", {}, "uucp"};
        if (name == "ttyS3") return PortDiagnosis{PortFault::Busy, "/dev/ttyS3 is in use", {}, ""};
        return PortDiagnosis{PortFault::Missing, "/dev/" + name + ": no such device.", {}, ""};
    });
    EXPECT_FALSE(session.FindBoard());
    EXPECT_EQ(session.StartupWarning().text, StartupBoardNotRespondingMessage().text +
                                                 "\nPermission denied on /dev/ttyS1: group uucp");

    boards[1].openError.reset();
    boards[3].openError.reset();
    EXPECT_FALSE(session.FindBoard());
    EXPECT_EQ(session.StartupWarning(), StartupBoardNotRespondingMessage())
        << "a missing fallback name is not worth a word";
}

TEST_F(SearchFixture, APortAlreadyTriedIsNotPingedAgainAndItsRefusalStillCounts) {
    boards[2].openError = ECommError{CommErrorCode::CannotOpen, 16, "busy", true};
    session.SetDiagnoser([](const std::string& name) {
        return PortDiagnosis{PortFault::Busy, "/dev/" + name + " is in use", {}, ""};
    });
    for (auto& b : boards) b.silent = true;
    session.SelectPort(2);
    EXPECT_FALSE(session.TestBoard()) << "the remembered port";
    EXPECT_FALSE(session.FindBoard(2));
    EXPECT_EQ(boards[0].requests.size(), 1u);
    EXPECT_EQ(session.StartupWarning().text,
              StartupBoardNotRespondingMessage().text + "\n/dev/ttyS2 is in use");

    // A silent remembered port: one ping from TestBoard, none from the search.
    boards[2].openError.reset();
    boards[2].requests.clear();
    boards[4].silent = false;
    session.SelectPort(2);
    EXPECT_FALSE(session.TestBoard());
    EXPECT_TRUE(session.FindBoard(2));
    EXPECT_EQ(boards[2].requests.size(), 1u);
    EXPECT_EQ(session.Ports().selected, 4);
}

TEST_F(SearchFixture, AnswerOnTheFirstPortEndsTheSearchAtOnce) {
    const auto start = line.clock.now;
    EXPECT_TRUE(session.FindBoard());
    EXPECT_EQ(session.Ports().selected, 0);
    EXPECT_LT(line.clock.now - start, 200);
}

}  // namespace
}  // namespace mk843nb::test
