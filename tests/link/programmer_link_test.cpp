#include "link/programmer_link.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fake_link.h"
#include "link/frames.h"
#include "recording_hooks.h"

namespace mk843nb::test {
namespace {

struct LinkFixture : testing::Test {
    void SetUp() override {
        board.memory = PagerMemory(1, 86, "MK842 V3.8.5");
        line.boards["ttyS0"] = &board;
        port = line.Make();
        port->Configure(9600, "ttyS0", 1);
    }

    FakeLine line;
    FakeBoard board;
    RecordingHooks hooks;
    std::unique_ptr<ByteChannel> port;
    ProgrammerLink Link() { return ProgrammerLink(*port, line.clock, hooks); }
};

TEST_F(LinkFixture, GapsUnderThreeSecondsAreCollectedAndALongerSilenceFails) {
    board.gapBeforeLastByteMs[1] = 2900;
    board.gapBeforeLastByteMs[2] = 3100;
    PagerImage image{};
    EXPECT_TRUE(Link().ReadBlock(image, 0, 128));
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + 128, board.memory.begin()));

    hooks.positions.clear();
    const auto before = line.clock.now;
    EXPECT_FALSE(Link().ReadBlock(image, 128, 128));
    EXPECT_GE(line.clock.now - before, kSilenceLimitMs);
    EXPECT_LT(line.clock.now - before, kSilenceLimitMs + 200) << "it gives up after about 3 s";
    EXPECT_EQ(hooks.positions, std::vector<int>{0}) << "PB1 returns to 0";
}

TEST_F(LinkFixture, NoAnswerFailsAndClosedPortSendsNothing) {
    board.silent = true;
    EXPECT_FALSE(Link().Ping());
    port->Close();
    EXPECT_FALSE(Link().SendFrame(BuildReadRequest(0, 0)));
    std::array<std::uint8_t, 15> reply{};
    EXPECT_FALSE(Link().ReceiveReply(reply));
}

TEST_F(LinkFixture, BadSumsAndWrongAcknowledgementsFail) {
    board.badChecksum = {1, 3};
    board.badAck = {2};
    PagerImage image{};
    EXPECT_FALSE(Link().ReadBlock(image, 0, 128));
    EXPECT_EQ(image, PagerImage{}) << "a bad block stores nothing";
    EXPECT_FALSE(Link().WriteBlock(board.memory, 0, 8));
    EXPECT_FALSE(Link().VerifyBlock(board.memory, 0, 128));
    EXPECT_TRUE(Link().VerifyBlock(board.memory, 0, 128));
}

TEST_F(LinkFixture, VerifyFailsOnTheFirstDifferentByte) {
    PagerImage image = board.memory;
    image[200] ^= 1;
    EXPECT_TRUE(Link().VerifyBlock(image, 0, 128));
    EXPECT_FALSE(Link().VerifyBlock(image, 128, 128));
}

TEST_F(LinkFixture, WriteBlockStoresTheSourceBytesAtTheirAddresses) {
    PagerImage source{};
    for (int i = 0; i < 8; ++i) source[16 + i] = static_cast<std::uint8_t>(0xA0 + i);
    EXPECT_TRUE(Link().WriteBlock(source, 16, 8));
    EXPECT_EQ(board.requests.back(), BuildWriteRequest(source, 16, 8));
    for (int i = 0; i < 8; ++i) EXPECT_EQ(board.memory[16 + i], 0xA0 + i);
    EXPECT_EQ(hooks.repaints, 1) << "PB1 repainted before a write frame";
}

TEST_F(LinkFixture, FirmwareVersionGoesIntoBytesOneAndTwoAtOnce) {
    board.memory[1] = 1;
    board.memory[2] = 100;
    PagerImage image{};
    const auto version = Link().QueryFirmwareVersion(image);
    EXPECT_EQ(version.Hundredths(), 110);
    EXPECT_EQ(image[1], 1);
    EXPECT_EQ(image[2], 100);
    EXPECT_EQ(hooks.versions, std::vector<std::string>{"1.100"});

    board.silent = true;
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
        board.memory = PagerMemory(1, 86, c.tag);
        std::string modelText = "before";
        EXPECT_EQ(Link().QueryModel(modelText), c.answer) << c.tag;
        EXPECT_EQ(modelText, c.modelText) << c.tag;
    }
    board.silent = true;
    std::string modelText = "kept";
    EXPECT_EQ(Link().QueryModel(modelText), ModelAnswer::OtherOrNone);
    EXPECT_EQ(modelText, "kept") << "no answer leaves the model text";
}

TEST_F(LinkFixture, CountsBeyondTheFrameBufferFailWithoutSending) {
    PagerImage image{};
    EXPECT_FALSE(Link().ReadBlock(image, 0, 132));
    EXPECT_FALSE(Link().VerifyBlock(board.memory, 0, 200));
    EXPECT_FALSE(Link().WriteBlock(board.memory, 0, 130));
    std::array<std::uint8_t, 4> small{};
    EXPECT_FALSE(Link().ReadBytes(small, 0, 8)) << "more bytes than the destination holds";
    EXPECT_TRUE(board.requests.empty());
    EXPECT_EQ(image, PagerImage{});
    EXPECT_TRUE(Link().ReadBlock(image, 0, 131)) << "131 bytes still fit";
}

TEST_F(LinkFixture, BytesBeyondTheCountStayQueued) {
    std::array<std::uint8_t, 5> first{};
    Link().SendFrame(BuildReadRequest(0, 0));
    EXPECT_TRUE(Link().ReceiveReply(first));
    EXPECT_EQ(port->BytesAvailable(), 0u) << "the rest is still on its way";
    line.clock.now += 100;
    EXPECT_EQ(port->BytesAvailable(), 10u);
}

}  // namespace
}  // namespace mk843nb::test
