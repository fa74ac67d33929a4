#include "link/programmer_link.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "in_process_board.h"
#include "link/frames.h"
#include "recording_events.h"

namespace mk843nb::test {
namespace {

struct LinkFixture : testing::Test {
    void SetUp() override { Plug(PagerMemory(1, 86, "MK842 V3.8.5")); }

    // A new board on ttyS0, and the port opened onto it.
    void Plug(const PagerImage& memory, const std::vector<std::string>& faults = {}) {
        board = &line.Plug("ttyS0", memory, Faults(faults));
        if (!port) port = line.MakeChannel();
        port->Configure(9600, "ttyS0", 1);
    }

    sim::InProcessLine line;
    sim::InProcessBoard* board = nullptr;
    RecordingEvents events;
    std::unique_ptr<ByteChannel> port;
    ProgrammerLink Link() { return ProgrammerLink(*port, line.clock, events); }
};

TEST_F(LinkFixture, GapsUnderThreeSecondsAreCollectedAndALongerSilenceFails) {
    // A block's reply is 143 bytes; the pause comes before the last one.
    Plug(board->Memory(), {"gap:1:2900:142", "gap:2:3100:142"});
    PagerImage image{};
    EXPECT_TRUE(Link().ReadBlock(image, 0, 128));
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + 128, board->Memory().begin()));

    events.positions.clear();
    const auto before = line.clock.NowMs();
    EXPECT_FALSE(Link().ReadBlock(image, 128, 128));
    EXPECT_GE(line.clock.NowMs() - before, kSilenceLimitMs);
    EXPECT_LT(line.clock.NowMs() - before, kSilenceLimitMs + 200) << "it gives up after about 3 s";
    EXPECT_EQ(events.positions, std::vector<int>{0}) << "PB1 returns to 0";
}

TEST_F(LinkFixture, NoAnswerFailsAndClosedPortSendsNothing) {
    Plug(board->Memory(), {"no-answer"});
    EXPECT_FALSE(Link().Ping());
    port->Close();
    EXPECT_FALSE(Link().SendFrame(BuildReadRequest(0, 0)));
    std::array<std::uint8_t, 15> reply{};
    EXPECT_FALSE(Link().ReceiveReply(reply));
}

TEST_F(LinkFixture, BadSumsAndWrongAcknowledgementsFail) {
    const PagerImage memory = board->Memory();
    Plug(memory, {"bad-checksum:1", "bad-ack:2", "bad-checksum:3"});
    PagerImage image{};
    EXPECT_FALSE(Link().ReadBlock(image, 0, 128));
    EXPECT_EQ(image, PagerImage{}) << "a bad block stores nothing";
    PagerImage changed = memory;
    changed[3] ^= 0xFF;
    EXPECT_FALSE(Link().WriteBlock(changed, 0, 8));
    EXPECT_EQ(board->Memory(), memory) << "the refused write stored nothing";
    EXPECT_FALSE(Link().VerifyBlock(memory, 0, 128));
    EXPECT_TRUE(Link().VerifyBlock(memory, 0, 128));
}

TEST_F(LinkFixture, VerifyFailsOnTheFirstDifferentByte) {
    PagerImage image = board->Memory();
    image[200] ^= 1;
    EXPECT_TRUE(Link().VerifyBlock(image, 0, 128));
    EXPECT_FALSE(Link().VerifyBlock(image, 128, 128));
}

TEST_F(LinkFixture, WriteBlockStoresTheSourceBytesAtTheirAddresses) {
    PagerImage source{};
    for (int i = 0; i < 8; ++i) source[16 + i] = static_cast<std::uint8_t>(0xA0 + i);
    EXPECT_TRUE(Link().WriteBlock(source, 16, 8));
    EXPECT_EQ(board->Requests().back(), BuildWriteRequest(source, 16, 8));
    for (int i = 0; i < 8; ++i) EXPECT_EQ(board->Memory()[16 + i], 0xA0 + i);
    EXPECT_EQ(events.repaints, 1) << "PB1 repainted before a write frame";
}

TEST_F(LinkFixture, FirmwareVersionGoesIntoBytesOneAndTwoAtOnce) {
    PagerImage memory = board->Memory();
    memory[1] = 1;
    memory[2] = 100;
    Plug(memory);
    PagerImage image{};
    const auto version = Link().QueryFirmwareVersion(image);
    EXPECT_EQ(version.Hundredths(), 110);
    EXPECT_EQ(image[1], 1);
    EXPECT_EQ(image[2], 100);
    EXPECT_EQ(events.versions, std::vector<std::string>{"1.100"});

    Plug(memory, {"no-answer"});
    PagerImage untouched{};
    EXPECT_EQ(Link().QueryFirmwareVersion(untouched).Hundredths(), 0);
    EXPECT_EQ(untouched, PagerImage{});
}

TEST_F(LinkFixture, ModelAnswers) {
    struct Case {
        std::string tag;
        ModelAnswer answer;
        std::string modelText;
    };
    for (const Case& c :
         {Case{"MK842 V3.8.5", ModelAnswer::ThisModel, "before"},
          Case{"MK842", ModelAnswer::ThisModel, "before"}, Case{"", ModelAnswer::NoModelText, ""},
          Case{"XY V1", ModelAnswer::OtherOrNone, "XY V1"},
          Case{"MK84 2", ModelAnswer::OtherOrNone, "MK84 2"},
          Case{"ABCDEFGHIJKLMN", ModelAnswer::OtherOrNone, "ABCDEFGHIJKLMN"}}) {
        Plug(PagerMemory(1, 86, c.tag));
        std::string modelText = "before";
        EXPECT_EQ(Link().QueryModel(modelText), c.answer) << c.tag;
        EXPECT_EQ(modelText, c.modelText) << c.tag;
    }
    Plug(board->Memory(), {"no-answer"});
    std::string modelText = "kept";
    EXPECT_EQ(Link().QueryModel(modelText), ModelAnswer::OtherOrNone);
    EXPECT_EQ(modelText, "kept") << "no answer leaves the model text";
}

TEST_F(LinkFixture, CountsBeyondTheFrameBufferFailWithoutSending) {
    PagerImage image{};
    EXPECT_FALSE(Link().ReadBlock(image, 0, 132));
    EXPECT_FALSE(Link().VerifyBlock(board->Memory(), 0, 200));
    EXPECT_FALSE(Link().WriteBlock(board->Memory(), 0, 130));
    std::array<std::uint8_t, 4> small{};
    EXPECT_FALSE(Link().ReadBytes(small, 0, 8)) << "more bytes than the destination holds";
    EXPECT_TRUE(board->Requests().empty());
    EXPECT_EQ(image, PagerImage{});
    EXPECT_TRUE(Link().ReadBlock(image, 0, 131)) << "131 bytes still fit";
}

TEST_F(LinkFixture, BytesBeyondTheCountStayQueued) {
    std::array<std::uint8_t, 5> first{};
    Link().SendFrame(BuildReadRequest(0, 0));
    EXPECT_TRUE(Link().ReceiveReply(first));
    EXPECT_EQ(port->BytesAvailable(), 0u) << "the rest is still on its way";
    line.clock.Advance(std::chrono::milliseconds(100));
    EXPECT_EQ(port->BytesAvailable(), 10u);
}

}  // namespace
}  // namespace mk843nb::test
