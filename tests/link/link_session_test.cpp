#include "link/link_session.h"

#include <gtest/gtest.h>

#include "in_process_board.h"
#include "link/frames.h"
#include "link/programmer_link.h"
#include "recording_events.h"

namespace mk843nb::test {
namespace {

using status_text::kBoardTesting;
using status_text::kReady;
using Menu = RecordingEvents::Menu;

struct SessionFixture : testing::Test {
    SessionFixture() : session([this] { return line.MakeChannel(); }, line.clock, events) {
        Plug(PagerMemory(1, 86, "MK842 V3.8.5"));
        session.SetPortTable({{{"ttyS0", ""}}, 0});
        // The fake ports have no devices to look at; tests that need a diagnosis give one.
        session.SetDiagnoser([](const std::string&) { return PortDiagnosis{}; });
        image = DefaultImage();
        image[70] = 60;  // Reminder 30 s
    }

    // A new board on ttyS0: its frames count from 1 again.
    sim::InProcessBoard& Plug(const PagerImage& memory,
                              const std::vector<std::string>& faults = {}) {
        board = &line.Plug("ttyS0", memory, Faults(faults));
        return *board;
    }

    PagerImage Unchanged(const PagerImage& before) const {
        PagerImage expected = before;
        expected[1] = board->Memory()[1];
        expected[2] = board->Memory()[2];
        return expected;
    }

    sim::InProcessLine line;
    sim::InProcessBoard* board = nullptr;
    RecordingEvents events;
    LinkSession session;
    PagerImage image{};
};

TEST_F(SessionFixture, ReadReplacesTheImageAndRestoresTheWindow) {
    PagerImage target{};
    const LinkOutcome out = session.Read(target);
    EXPECT_TRUE(out.success);
    EXPECT_TRUE(out.imageReplaced);
    EXPECT_EQ(target, board->Memory());
    EXPECT_EQ(out.message, (Message{MessageKind::Information, "Read Success !"}));
    EXPECT_EQ(events.statuses, (std::vector<std::string>{std::string(kBoardTesting),
                                                         "  Reading Now ......", " Ready"}));
    EXPECT_EQ(events.windowEnabled, (std::vector<bool>{false, true}));
    EXPECT_EQ(events.menus, (std::vector<Menu>{Menu::Taken, Menu::Restored}));
    EXPECT_EQ(events.maxima, (std::vector<int>{0, 256})) << "emptied by the board test";
    EXPECT_EQ(events.positions, (std::vector<int>{0, 128, 256, 0}));
    EXPECT_EQ(events.versions, (std::vector<std::string>{"1.86", "1.86"}));
    EXPECT_EQ(board->Requests(),
              (std::vector<Bytes>{BuildReadRequest(0, 0), BuildReadRequest(1, 2),
                                  BuildReadRequest(240, 14), BuildReadRequest(0, 128),
                                  BuildReadRequest(128, 128)}));
    EXPECT_FALSE(session.Port().IsOpen());
    EXPECT_EQ(line.Channels().back()->BaudRate(), 9600u);
    EXPECT_EQ(line.Channels().back()->Format(), 1);
}

// The order a front end relies on: the outcome (the window's message box)
// comes while the command still holds the window, then the closing; a stage
// arrives typed, with its status text.
TEST_F(SessionFixture, EventsArriveInTheOrderTheWindowShowsThem) {
    struct Case {
        const char* what;
        LinkCommand command;
        std::vector<std::string> faults;
        int refusedOpen;  // this open of the port fails; 0: none
        std::vector<std::string> log;
        std::vector<LinkStage> stages;
        std::vector<std::string> statuses;
    };
    const std::string testing(kBoardTesting);
    const Case cases[] = {
        {"Read",
         LinkCommand::Read,
         {},
         0,
         {"Started Read", "Transferring", "StageChanged", "Outcome", "Closed Read"},
         {LinkStage::Reading},
         {testing, "  Reading Now ......", " Ready"}},
        {"Write",
         LinkCommand::Write,
         {},
         0,
         {"Started Write", "Transferring", "StageChanged", "StageChanged", "Outcome",
          "Closed Write"},
         {LinkStage::Writing, LinkStage::Verifying},
         {testing, "  Write Now ......", "  Verify Now ......", "  Ready ....."}},
        {"Verify",
         LinkCommand::Verify,
         {},
         0,
         {"Started Verify", "Transferring", "StageChanged", "Outcome", "Closed Verify"},
         {LinkStage::Verifying},
         {testing, "  Verify Now ......", " Ready"}},
        {"Write's frame refused",
         LinkCommand::Write,
         {"bad-ack:6"},
         0,
         {"Started Write", "Transferring", "StageChanged", "Outcome", "Closed Write"},
         {LinkStage::Writing},
         {testing, "  Write Now ......", "  Ready ....."}},
        {"no board",
         LinkCommand::Read,
         {"no-answer"},
         0,
         {"Started Read", "Outcome", "Closed Read"},
         {},
         {testing, " Ready"}},
        {"port cannot be reopened",
         LinkCommand::Verify,
         {},
         2,
         {"Started Verify", "Outcome", "Closed Verify"},
         {},
         {testing}},
    };
    for (bool shown : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            events = {};
            events.showsOutcome = shown;
            PagerImage target = image;
            if (c.command == LinkCommand::Verify) target = board->Memory();
            Plug(board->Memory(), c.faults);
            if (c.refusedOpen != 0)
                line.RefuseOpen("ttyS0", c.refusedOpen,
                                ECommError{CommErrorCode::CannotOpen, 16, "busy", false});
            const LinkOutcome out = c.command == LinkCommand::Read    ? session.Read(target)
                                    : c.command == LinkCommand::Write ? session.Write(target)
                                                                      : session.Verify(target);
            EXPECT_EQ(events.log, c.log);
            EXPECT_EQ(events.stages, c.stages);
            EXPECT_EQ(events.statuses, c.statuses);
            ASSERT_TRUE(out.message);
            EXPECT_EQ(events.outcomes, std::vector<Message>{*out.message})
                << "the outcome event carries the command's one message";
            EXPECT_EQ(out.messageShown, shown);
        }
    }
}

struct ReadFailure {
    const char* what;
    std::uint8_t major, minor;
    std::string model;
    bool spoilImageSum;
    std::vector<std::string> faults;
    Message message;
    bool imageReplaced;
};

void PrintTo(const ReadFailure& c, std::ostream* out) { *out << c.what; }

class ReadFailureTest : public SessionFixture, public testing::WithParamInterface<ReadFailure> {};

TEST_P(ReadFailureTest, MessageAndWhatSurvives) {
    const auto& c = GetParam();
    PagerImage memory = PagerMemory(c.major, c.minor, c.model);
    if (c.spoilImageSum) memory[255] ^= 1;
    Plug(memory, c.faults);
    const PagerImage before = image;
    const LinkOutcome out = session.Read(image);
    EXPECT_EQ(out.message, c.message) << c.what;
    EXPECT_EQ(out.imageReplaced, c.imageReplaced) << c.what;
    EXPECT_EQ(out.success, c.imageReplaced);
    if (c.imageReplaced) {
        EXPECT_EQ(image, board->Memory());
    } else {
        EXPECT_EQ(image, Unchanged(before)) << c.what << ": only the version bytes change";
    }
    EXPECT_EQ(events.windowEnabled.back(), true);
    EXPECT_EQ(events.statuses.back(), " Ready");
    EXPECT_EQ(events.menus.back(), Menu::Restored);
    EXPECT_FALSE(session.Port().IsOpen());
}

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
                    false,
                    {},
                    {MessageKind::Plain, "This model is not MK842. This model is XY V1."},
                    false},
        ReadFailure{"no answer to the model query",
                    1,
                    86,
                    "MK842",
                    false,
                    {"no-answer:3"},
                    {MessageKind::Plain,
                     "This model is not MK842. This model is .\nThe pager did not answer (no "
                     "good reply to its model query). Is a pager on the board?"},
                    false},
        ReadFailure{
            "first block silent", 1, 86, "MK842", false, {"no-answer:4"}, kReadError, false},
        ReadFailure{"first block after a 3 s gap",
                    1,
                    86,
                    "MK842",
                    false,
                    {"gap:4:3100"},
                    kReadError,
                    false},
        ReadFailure{
            "second block bad sum", 1, 86, "MK842", false, {"bad-checksum:5"}, kReadError, false},
        ReadFailure{"image checksum", 1, 86, "MK842 V3.8.5", true, {}, kChecksumError, false},
        ReadFailure{
            "1.80 without model text takes any checksum", 1, 80, "", true, {}, kReadSuccess, true},
        ReadFailure{"1.80 with model text checks it",
                    1,
                    80,
                    "MK842 V3.8.5",
                    true,
                    {},
                    kChecksumError,
                    false},
        ReadFailure{
            "1.83 without model text checks it", 1, 83, "", true, {}, kChecksumError, false}));

TEST_F(SessionFixture, NoBoardAnsweringLeavesMenusAndImage) {
    Plug(board->Memory(), {"no-answer"});
    const PagerImage before = image;
    for (LinkCommand command : {LinkCommand::Read, LinkCommand::Write, LinkCommand::Verify}) {
        events = {};
        const LinkOutcome out = command == LinkCommand::Read    ? session.Read(image)
                                : command == LinkCommand::Write ? session.Write(image)
                                                                : session.Verify(image);
        EXPECT_EQ(out.message, BoardNotRespondingMessage(command));
        EXPECT_EQ(events.statuses,
                  (std::vector<std::string>{std::string(kBoardTesting), std::string(kReady)}));
        EXPECT_TRUE(events.menus.empty()) << "menu items as before";
        EXPECT_EQ(events.windowEnabled, (std::vector<bool>{false, true}));
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
        events = {};
        Plug(board->Memory());
        line.RefuseOpen("ttyS0", 2, ECommError{c.code, 16, "Device or resource busy", false});
        const LinkOutcome out = session.Verify(image);
        EXPECT_EQ(out.message,
                  (Message{MessageKind::Plain,
                           std::string(c.text) +
                               "\n/dev/ttyS0 could not be opened (Device or resource busy)."}));
        EXPECT_EQ(events.statuses.back(), kBoardTesting);
        EXPECT_TRUE(events.menus.empty());
        EXPECT_EQ(events.windowEnabled.back(), true);
        EXPECT_FALSE(session.Port().IsOpen());
    }
}

TEST_F(SessionFixture, FailedOpenAddsWhyThePortCannotBeUsed) {
    // Qt calls a port held by another program a permission error; the diagnosis decides.
    line.RefuseOpen("ttyS0", ECommError{CommErrorCode::CannotOpen, 13, "permission denied", true});
    std::vector<std::string> asked;
    const PortDiagnosis busy{PortFault::Busy, "/dev/ttyS0 is in use by minicom (pid 42).", {}, ""};
    session.SetDiagnoser([&](const std::string& name) {
        asked.push_back(name);
        return busy;
    });
    for (LinkCommand command : {LinkCommand::Read, LinkCommand::Verify}) {
        const LinkOutcome out =
            command == LinkCommand::Read ? session.Read(image) : session.Verify(image);
        EXPECT_EQ(out.message,
                  (Message{MessageKind::Exclamation,
                           BoardNotRespondingMessage(command).text + "\n" + busy.text}));
        EXPECT_EQ(out.failure, LinkFailure::PortOrBoard);
    }
    EXPECT_EQ(asked, (std::vector<std::string>{"ttyS0", "ttyS0"}));

    // Whatever kept it closed has passed: the system's words of the moment.
    session.SetDiagnoser([](const std::string&) { return PortDiagnosis{}; });
    EXPECT_EQ(session.Read(image).message->text,
              BoardNotRespondingMessage(LinkCommand::Read).text +
                  "\n/dev/ttyS0 could not be opened (permission denied).");

    // A board that answers is never diagnosed.
    line.AcceptOpens("ttyS0");
    asked.clear();
    session.SetDiagnoser([&](const std::string& name) {
        asked.push_back(name);
        return busy;
    });
    EXPECT_TRUE(session.Read(image).success);
    EXPECT_TRUE(asked.empty());
}

TEST_F(SessionFixture, WriteSendsThePreparedImageThenVerifies) {
    const LinkOutcome out = session.Write(image);
    EXPECT_TRUE(out.success);
    EXPECT_EQ(out.message, (Message{MessageKind::Information, "Write Sucess !"}));
    EXPECT_EQ(board->Memory(), image) << "the pager holds the image as prepared";
    EXPECT_EQ(image[11], 1) << "WriteMark";
    EXPECT_EQ(StoredChecksum(image), ImageChecksum(image));
    const auto requests = board->Requests();
    ASSERT_EQ(requests.size(), 3u + 32u + 2u);
    for (int frame = 0; frame < 32; ++frame) {
        EXPECT_EQ(requests[3 + static_cast<std::size_t>(frame)],
                  BuildWriteRequest(image, static_cast<std::uint16_t>(frame * 8), 8));
    }
    const auto& delays = line.clock.Delays();
    EXPECT_EQ(std::count(delays.begin(), delays.end(), kWritePauseMs), 32);
    EXPECT_EQ(events.panel2Clears, 1);
    EXPECT_EQ(events.statuses,
              (std::vector<std::string>{std::string(kBoardTesting), "  Write Now ......",
                                        "  Verify Now ......", "  Ready ....."}));
    EXPECT_EQ(events.menus.back(), Menu::Restored);

    events = {};
    EXPECT_EQ(session.Verify(image).message,
              (Message{MessageKind::Information, "Verify Sucess !"}));
    EXPECT_EQ(events.positions, (std::vector<int>{0, 128, 256, 0}));
    image[100] ^= 1;
    EXPECT_EQ(session.Verify(image).message, (Message{MessageKind::Stop, "Verify Error !"}));
}

// What a script is told: the class of every way a command ends. Requests count
// from 1 across the board's life: Verify is ping #1 and blocks #2, #3; Write is
// ping, version, model, writes #4 to #35, verify blocks #36, #37.
TEST_F(SessionFixture, EveryOutcomeHasItsFailureClass) {
    // Changes the pager's memory and the image the command is given.
    using SetUp = std::function<void(PagerImage & memory, PagerImage & image)>;
    struct Case {
        const char* what;
        LinkCommand command;
        std::vector<std::string> faults;
        SetUp setUp;
        LinkFailure failure;
        int refusedOpen = 0;  // this open of the port fails
    };
    const SetUp asIs = [](PagerImage&, PagerImage&) {};
    const Case cases[] = {
        {"success", LinkCommand::Read, {}, asIs, LinkFailure::None},
        {"no board", LinkCommand::Verify, {"no-answer"}, asIs, LinkFailure::PortOrBoard},
        {"port cannot be reopened", LinkCommand::Read, {}, asIs, LinkFailure::PortOrBoard, 2},
        {"another model",
         LinkCommand::Read,
         {},
         [](PagerImage& memory, PagerImage&) { memory = PagerMemory(1, 86, "XY V1"); },
         LinkFailure::Transfer},
        {"bad block sum", LinkCommand::Read, {"bad-checksum:4"}, asIs, LinkFailure::Transfer},
        {"bad image sum",
         LinkCommand::Read,
         {},
         [](PagerImage& memory, PagerImage&) { memory[255] ^= 1; },
         LinkFailure::Transfer},
        {"device gone", LinkCommand::Read, {"hangup:3"}, asIs, LinkFailure::Transfer},
        {"old firmware, Reminder off",
         LinkCommand::Write,
         {},
         [](PagerImage& memory, PagerImage& image) {
             memory = PagerMemory(1, 82, "");
             image[70] = 0;
         },
         LinkFailure::Refused},
        {"write frame refused", LinkCommand::Write, {"bad-ack:6"}, asIs, LinkFailure::Transfer},
        {"write's verify gets no answer",
         LinkCommand::Write,
         {"no-answer:37"},
         asIs,
         LinkFailure::Transfer},
        {"verify differs",
         LinkCommand::Verify,
         {},
         [](PagerImage& memory, PagerImage& image) {
             image = memory;
             image[200] ^= 1;
         },
         LinkFailure::VerifyDiffers},
        {"verify reply with a bad sum",
         LinkCommand::Verify,
         {"bad-checksum:3"},
         [](PagerImage& memory, PagerImage& image) { image = memory; },
         LinkFailure::Transfer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PagerImage memory = PagerMemory(1, 86, "MK842 V3.8.5");
        PagerImage target = image;
        c.setUp(memory, target);
        Plug(memory, c.faults);
        if (c.refusedOpen != 0)
            line.RefuseOpen("ttyS0", c.refusedOpen,
                            ECommError{CommErrorCode::CannotOpen, 16, "busy", false});
        const LinkOutcome out = c.command == LinkCommand::Read    ? session.Read(target)
                                : c.command == LinkCommand::Write ? session.Write(target)
                                                                  : session.Verify(target);
        EXPECT_EQ(out.failure, c.failure);
        EXPECT_EQ(out.success, c.failure == LinkFailure::None);
    }
}

TEST_F(SessionFixture, WriteToFirmwareBefore183WithReminderOffSendsNothingMore) {
    Plug(PagerMemory(1, 82, ""));
    image[70] = 0;
    const PagerImage before = image;
    const LinkOutcome out = session.Write(image);
    EXPECT_EQ(out.message->text,
              "The version before 1.83, Reminder function cannot be disabled. \nPlease select "
              "'Reminder' option again !");
    EXPECT_EQ(out.message->kind, MessageKind::Exclamation);
    EXPECT_EQ(board->Requests().size(), 2u) << "ping and version only";
    EXPECT_EQ(image, Unchanged(before));
    EXPECT_EQ(events.statuses.back(), "  Ready .....");
}

// Without the pager's own version a Write would send the table's version
// bytes; it stops after the query instead, whatever kept the answer away.
TEST_F(SessionFixture, WriteWithoutThePagersVersionSendsNothingAfterTheQuery) {
    struct Case {
        const char* what;
        std::vector<std::string> faults;
        bool pagerOnBoard;
    };
    const Case cases[] = {
        {"bad sum on the version reply", {"bad-checksum:2"}, true},
        {"version reply later than 3 s", {"gap:2:3100"}, true},
        {"no pager on the board", {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Plug(PagerMemory(1, 86, "MK842 V3.8.5"), c.faults);
        if (!c.pagerOnBoard)
            board->SetCradle([] { return sim::Responder::Cradle{false, std::nullopt}; });
        const PagerImage memory = board->Memory();
        PagerImage target = image;
        events = {};
        const std::int64_t started = line.clock.NowMs();
        const LinkOutcome out = session.Write(target);
        EXPECT_FALSE(out.success);
        EXPECT_EQ(out.failure, LinkFailure::Transfer);
        EXPECT_EQ(out.message, (Message{MessageKind::Stop,
                                        "The pager did not answer (no good reply to its version "
                                        "query): nothing was written. Is a pager on the board?"}));
        EXPECT_EQ(out.writeFramesSent, 0);
        EXPECT_FALSE(out.imageSent);
        EXPECT_EQ(board->Requests().size(), 2u) << "the board test and the version query only";
        EXPECT_EQ(board->Memory(), memory);
        EXPECT_EQ(target, image) << "no version bytes came in";
        EXPECT_LT(line.clock.NowMs() - started, 3500) << "one silence, not three";
        EXPECT_EQ(events.statuses.back(), "  Ready .....");
        EXPECT_EQ(events.menus.back(), Menu::Restored);
        EXPECT_FALSE(session.Port().IsOpen());
    }

    // A Read of an empty board says why there is no model text.
    Plug(PagerMemory(1, 86, "MK842 V3.8.5"));
    board->SetCradle([] { return sim::Responder::Cradle{false, std::nullopt}; });
    PagerImage target = image;
    const LinkOutcome read = session.Read(target);
    EXPECT_EQ(read.failure, LinkFailure::Transfer);
    EXPECT_EQ(read.message->text,
              "This model is not MK842. This model is .\nThe pager did not answer (no good reply "
              "to its model query). Is a pager on the board?");
    EXPECT_EQ(target, image);
}

TEST_F(SessionFixture, PriorityBitsFollowTheGroupsOnlyOn186) {
    for (std::uint8_t minor : {85, 86, 87}) {
        Plug(PagerMemory(1, minor, "MK842 V3.8.5"));
        PagerImage target = image;
        target[112] |= 0x80;  // GPriority1
        target[114] |= 0x80;  // GPriority2
        target[104] = 0x03;
        target[106] = 0x85;
        ASSERT_TRUE(session.Write(target).success);
        EXPECT_EQ(target[104], minor == 86 ? 0x83 : 0x03) << int(minor);
        EXPECT_EQ(target[106], minor == 86 ? 0x85 : 0x05) << int(minor);
        EXPECT_EQ(board->Memory(), target);
    }
}

TEST_F(SessionFixture, FailedWriteFrameStopsAtOnce) {
    const PagerImage memory = board->Memory();
    Plug(memory, {"bad-ack:10"});
    const LinkOutcome out = session.Write(image);
    EXPECT_EQ(out.message, (Message{MessageKind::Stop, "Write Error !"}));
    EXPECT_EQ(board->Requests().size(), 10u);
    EXPECT_EQ(image[11], 1) << "the image keeps its preparation";

    Plug(memory, {"no-answer:37"});
    EXPECT_EQ(session.Write(image).message, (Message{MessageKind::Stop, "Verify Error !"}));
}

TEST_F(SessionFixture, VerifyKeepsWhatItReadBackUpToTheFailingBlock) {
    ASSERT_TRUE(session.Write(image).success);
    const PagerImage pager = board->Memory();
    struct Case {
        const char* label;
        std::size_t changedOffset;        // in the image compared; 256: none
        std::vector<std::string> faults;  // a fresh board: the ping is frame 1
        std::size_t readBackCount;
    };
    const Case cases[] = {
        {"equal", 256, {}, 256},
        {"differs in the first block", 20, {}, 128},
        {"differs in the second block", 200, {}, 256},
        {"first block unanswered", 256, {"no-answer:2"}, 0},
        {"second block unanswered", 256, {"no-answer:3"}, 128},
    };
    for (const Case& c : cases) {
        PagerImage compared = pager;
        if (c.changedOffset < kImageSize) compared[c.changedOffset] ^= 0x01;
        Plug(pager, c.faults);
        const LinkOutcome out = session.Verify(compared);
        EXPECT_EQ(out.success, c.changedOffset == 256 && c.faults.empty()) << c.label;
        EXPECT_EQ(out.readBack.count, c.readBackCount) << c.label;
        for (std::size_t i = 0; i < out.readBack.count; ++i)
            ASSERT_EQ(out.readBack.bytes[i], pager[i]) << c.label << " byte " << i;
    }
}

TEST_F(SessionFixture, WriteSaysWhetherTheImageWentOut) {
    const PagerImage memory = board->Memory();
    EXPECT_TRUE(session.Write(image).imageSent);
    // Ping, version and model are frames 1 to 3, the 32 writes 4 to 35, the verify 36 and 37.
    Plug(memory, {"no-answer:36"});
    const LinkOutcome failedVerify = session.Write(image);
    EXPECT_EQ(failedVerify.message->text, "Verify Error !");
    EXPECT_TRUE(failedVerify.imageSent) << "sent, then its verify failed";
    Plug(memory, {"bad-ack:5"});
    EXPECT_FALSE(session.Write(image).imageSent);
}

TEST_F(SessionFixture, SerialErrorMidTransferEndsInTheClosingState) {
    for (LinkCommand command : {LinkCommand::Read, LinkCommand::Write, LinkCommand::Verify}) {
        events = {};
        // The device vanishes once frame 2 is answered: the next request cannot
        // go out (the model query, or Verify's second block).
        Plug(PagerMemory(1, 86, "MK842 V3.8.5"), {"hangup:2"});
        PagerImage target = command == LinkCommand::Verify ? board->Memory() : image;
        const PagerImage before = target;
        const LinkOutcome out = command == LinkCommand::Read    ? session.Read(target)
                                : command == LinkCommand::Write ? session.Write(target)
                                                                : session.Verify(target);
        ASSERT_TRUE(out.message);
        EXPECT_EQ(out.message->kind, MessageKind::Stop);
        EXPECT_EQ(out.message->text, std::string(CommandName(command)) +
                                         " stopped: the serial port failed (Input/output error).");
        EXPECT_EQ(events.windowEnabled.back(), true);
        EXPECT_EQ(events.menus.back(), Menu::Restored);
        EXPECT_EQ(events.positions.back(), 0);
        EXPECT_FALSE(session.Port().IsOpen());
        if (command == LinkCommand::Read) {
            EXPECT_EQ(target, Unchanged(before));
        }
    }
}

struct SearchFixture : SessionFixture {
    SearchFixture() {
        PortTable table;
        for (int i = 0; i < 6; ++i) table.entries.push_back({Name(i), ""});
        table.selected = 5;
        session.SetPortTable(table);
    }
    static std::string Name(int port) { return "ttyS" + std::to_string(port); }
    // Boards on ttyS0 to ttyS4, the silent ones never answering; ttyS5 has no device.
    void PlugBoards(const std::vector<int>& silent) {
        for (int i = 0; i < 5; ++i) {
            const bool quiet = std::find(silent.begin(), silent.end(), i) != silent.end();
            line.Plug(
                Name(i), PagerMemory(1, 86, "MK842"),
                Faults(quiet ? std::vector<std::string>{"no-answer"} : std::vector<std::string>{}));
        }
    }
};

TEST_F(SearchFixture, LowestAnsweringPortWinsInAboutThreeSeconds) {
    PlugBoards({0, 3});
    line.RefuseOpen("ttyS1",
                    ECommError{CommErrorCode::CannotOpen, 16, "Device or resource busy", false});
    const auto start = line.clock.NowMs();
    EXPECT_TRUE(session.FindBoard());
    EXPECT_EQ(session.Ports().selected, 2);
    EXPECT_EQ(events.selectedPorts, std::vector<int>{2});
    EXPECT_TRUE(session.Port().IsOpen());
    EXPECT_EQ(session.Port().PortName(), "ttyS2");
    const auto elapsed = line.clock.NowMs() - start;
    EXPECT_GE(elapsed, kSilenceLimitMs) << "ttyS0 had to stay silent first";
    EXPECT_LT(elapsed, 3500);
    for (int i : {0, 2, 3, 4})
        EXPECT_EQ(line.Board(Name(i)).Requests(), std::vector<Bytes>{BuildReadRequest(0, 0)}) << i;
    for (auto* channel : line.Channels()) {
        if (channel != &session.Port()) {
            EXPECT_FALSE(channel->IsOpen());
        }
    }
}

TEST_F(SearchFixture, NoAnswerClosesEverythingAndKeepsTheSelection) {
    PlugBoards({0, 1, 2, 3, 4});
    const auto start = line.clock.NowMs();
    EXPECT_FALSE(session.FindBoard());
    EXPECT_LT(line.clock.NowMs() - start, 3500) << "silent ports are waited for together";
    EXPECT_EQ(session.Ports().selected, 5);
    EXPECT_TRUE(events.selectedPorts.empty());
    for (auto* channel : line.Channels()) EXPECT_FALSE(channel->IsOpen());
    EXPECT_EQ(session.StartupWarning(), StartupBoardNotRespondingMessage());
}

TEST_F(SearchFixture, StartupWarningNamesTheFirstPortHeldOrRefusedNotTheMissingOnes) {
    PlugBoards({0, 1, 2, 3, 4});
    line.RefuseOpen("ttyS1", ECommError{CommErrorCode::CannotOpen, 13, "permission denied", true});
    line.RefuseOpen("ttyS3", ECommError{CommErrorCode::CannotOpen, 16, "busy", true});
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

    line.AcceptOpens("ttyS1");
    line.AcceptOpens("ttyS3");
    EXPECT_FALSE(session.FindBoard());
    EXPECT_EQ(session.StartupWarning(), StartupBoardNotRespondingMessage())
        << "a missing fallback name is not worth a word";
}

TEST_F(SearchFixture, APortAlreadyTriedIsNotPingedAgainAndItsRefusalStillCounts) {
    PlugBoards({0, 1, 2, 3, 4});
    line.RefuseOpen("ttyS2", ECommError{CommErrorCode::CannotOpen, 16, "busy", true});
    session.SetDiagnoser([](const std::string& name) {
        return PortDiagnosis{PortFault::Busy, "/dev/" + name + " is in use", {}, ""};
    });
    session.SelectPort(2);
    EXPECT_FALSE(session.TestBoard()) << "the remembered port";
    EXPECT_FALSE(session.FindBoard(2));
    EXPECT_EQ(line.Board("ttyS0").Requests().size(), 1u);
    EXPECT_EQ(session.StartupWarning().text,
              StartupBoardNotRespondingMessage().text + "\n/dev/ttyS2 is in use");

    // A silent remembered port: one ping from TestBoard, none from the search.
    line.AcceptOpens("ttyS2");
    const std::size_t before = line.Board("ttyS2").Requests().size();
    line.Plug("ttyS4", PagerMemory(1, 86, "MK842"));
    session.SelectPort(2);
    EXPECT_FALSE(session.TestBoard());
    EXPECT_TRUE(session.FindBoard(2));
    EXPECT_EQ(line.Board("ttyS2").Requests().size(), before + 1);
    EXPECT_EQ(session.Ports().selected, 4);
}

// A channel onto the line whose program is paused once, just after a read found
// nothing: the clock moves on by more than the silence limit while the board's
// answer arrives.
class PausedOnceChannel : public ByteChannel {
public:
    PausedOnceChannel(std::unique_ptr<ByteChannel> inner, sim::ManualClock& clock, bool& paused)
        : inner_(std::move(inner)), clock_(clock), paused_(paused) {}
    void Configure(std::uint32_t baudRate, const std::string& portName, int format) override {
        inner_->Configure(baudRate, portName, format);
    }
    void Close() override { inner_->Close(); }
    bool IsOpen() const override { return inner_->IsOpen(); }
    const std::string& PortName() const override { return inner_->PortName(); }
    void Write(std::span<const std::uint8_t> bytes) override { inner_->Write(bytes); }
    std::size_t BytesAvailable() override { return inner_->BytesAvailable(); }
    std::size_t ReadNext(std::span<std::uint8_t> out, int timeoutMs) override {
        const std::size_t got = inner_->ReadNext(out, timeoutMs);
        if (got == 0 && !paused_) {
            paused_ = true;
            clock_.Advance(std::chrono::milliseconds(kSilenceLimitMs + 1000));
        }
        return got;
    }
    void Purge() override { inner_->Purge(); }

private:
    std::unique_ptr<ByteChannel> inner_;
    sim::ManualClock& clock_;
    bool& paused_;
};

TEST_F(SessionFixture, AnAnswerThatCameWhileTheProgramWasPausedIsNotTakenForSilence) {
    bool paused = false;
    LinkSession search(
        [&] { return std::make_unique<PausedOnceChannel>(line.MakeChannel(), line.clock, paused); },
        line.clock, events);
    search.SetPortTable({{{"ttyS0", ""}}, 0});
    search.SetDiagnoser([](const std::string&) { return PortDiagnosis{}; });
    EXPECT_TRUE(search.FindBoard());
    EXPECT_TRUE(paused) << "the search never met an empty read";
    EXPECT_EQ(search.Ports().selected, 0);
}

TEST_F(SearchFixture, AnswerOnTheFirstPortEndsTheSearchAtOnce) {
    PlugBoards({});
    const auto start = line.clock.NowMs();
    EXPECT_TRUE(session.FindBoard());
    EXPECT_EQ(session.Ports().selected, 0);
    EXPECT_LT(line.clock.NowMs() - start, 200);
}

}  // namespace
}  // namespace mk843nb::test
