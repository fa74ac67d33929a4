// The board as a pure byte machine: request bytes in, replies out.
#include "responder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "frames.h"
#include "image/pager_image.h"

namespace mk843nb::sim {
namespace {

Bytes WithPreamble(std::initializer_list<std::uint8_t> afterPreamble) {
    Bytes frame(kPreamble.begin(), kPreamble.end());
    frame.insert(frame.end(), afterPreamble);
    return frame;
}

// The requests exactly as the program sends them.
const Bytes kPing = WithPreamble({0x33, 0x52, 0x03, 0x00, 0x00, 0x00, 0x00, 0x88});
const Bytes kVersion = WithPreamble({0x33, 0x52, 0x03, 0x00, 0x01, 0x02, 0x00, 0x8B});
const Bytes kModel = WithPreamble({0x33, 0x52, 0x03, 0x00, 0xF0, 0x0E, 0x01, 0x86});
const Bytes kBlock0 = WithPreamble({0x33, 0x52, 0x03, 0x00, 0x00, 0x80, 0x01, 0x08});
const Bytes kBlock128 = WithPreamble({0x33, 0x52, 0x03, 0x00, 0x80, 0x80, 0x01, 0x88});
const Bytes kAck = WithPreamble({0x33, 0x53, 0x01, 0x06, 0x00, 0x8D});

// 0x33 0x53 0x0A, address, 8 bytes, sum of everything after the preamble.
Bytes WriteRequest(std::uint16_t address, const std::array<std::uint8_t, 8>& data) {
    Bytes frame =
        WithPreamble({0x33, 0x53, 0x0A, std::uint8_t(address >> 8), std::uint8_t(address)});
    frame.insert(frame.end(), data.begin(), data.end());
    const unsigned sum = std::accumulate(frame.begin() + 10, frame.end(), 0u);
    frame.push_back(std::uint8_t(sum >> 8));
    frame.push_back(std::uint8_t(sum));
    return frame;
}

// Memory whose byte k is k, with a recognisable version 1.86.
PagerImage CountingMemory() {
    PagerImage memory;
    std::iota(memory.begin(), memory.end(), 0);
    memory[1] = 1;
    memory[2] = 86;
    return memory;
}

Bytes Slice(const PagerImage& memory, std::size_t from, std::size_t count) {
    return Bytes(memory.begin() + from, memory.begin() + from + count);
}

// Reply = 13-byte header (preamble, 33 52, n), n bytes, 16-bit sum of bytes 10 .. 12 + n.
void ExpectReadReply(const Bytes& reply, const Bytes& data) {
    ASSERT_EQ(reply.size(), data.size() + 15);
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 13),
              WithPreamble({0x33, 0x52, static_cast<std::uint8_t>(data.size())}));
    EXPECT_EQ(Bytes(reply.begin() + 13, reply.end() - 2), data);
    const unsigned sum = std::accumulate(reply.begin() + 10, reply.end() - 2, 0u) & 0xFFFF;
    EXPECT_EQ(reply[reply.size() - 2], sum >> 8);
    EXPECT_EQ(reply.back(), sum & 0xFF);
}

TEST(Responder, AnswersEveryReadTheProgramSends) {
    const PagerImage memory = CountingMemory();
    struct Case {
        const char* name;
        const Bytes& request;
        std::size_t address, count;
    };
    const Case cases[] = {
        {"ping", kPing, 0, 0},
        {"version", kVersion, 1, 2},
        {"model", kModel, 240, 14},
        {"block 0", kBlock0, 0, 128},
        {"block 128", kBlock128, 128, 128},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Responder board(memory);
        const auto responses = board.Feed(c.request);
        ASSERT_EQ(responses.size(), 1u);
        EXPECT_EQ(responses[0].request, c.request);
        EXPECT_FALSE(responses[0].stored);
        ExpectReadReply(responses[0].reply, Slice(memory, c.address, c.count));
    }
}

TEST(Responder, PingReplyIsTheFifteenByteHeaderAndSum) {
    Responder board(CountingMemory());
    EXPECT_EQ(board.Feed(kPing).at(0).reply, WithPreamble({0x33, 0x52, 0x00, 0x00, 0x85}));
}

TEST(Responder, WriteStoresTheBytesAndAcknowledges) {
    Responder board(CountingMemory());
    const std::array<std::uint8_t, 8> data{0xDE, 0xAD, 0xBE, 0xEF, 0x00, 0xFF, 0x12, 0x34};
    const auto responses = board.Feed(WriteRequest(248, data));
    ASSERT_EQ(responses.size(), 1u);
    EXPECT_EQ(responses[0].reply, kAck);
    EXPECT_TRUE(responses[0].stored);
    EXPECT_EQ(Slice(board.Memory(), 248, 8), Bytes(data.begin(), data.end()));
    EXPECT_EQ(board.Memory()[247], 247);

    // The pager now reads back what was written.
    ExpectReadReply(board.Feed(kBlock128).at(0).reply, Slice(board.Memory(), 128, 128));
    EXPECT_EQ(board.Feed(kBlock128).at(0).reply[13 + 120], 0xDE);
}

TEST(Responder, RewritingTheSameBytesIsAcknowledgedButStoresNothingNew) {
    const PagerImage memory = CountingMemory();
    Responder board(memory);
    const auto response = board.Feed(WriteRequest(8, {8, 9, 10, 11, 12, 13, 14, 15})).at(0);
    EXPECT_EQ(response.reply, kAck);
    EXPECT_FALSE(response.stored);
    EXPECT_EQ(board.Memory(), memory);
}

TEST(Responder, FindsFramesHoweverTheBytesAreCut) {
    Bytes stream;
    for (const Bytes* frame : {&kPing, &kVersion, &kModel, &kBlock0})
        stream.insert(stream.end(), frame->begin(), frame->end());
    for (const std::size_t chunk :
         {std::size_t{1}, std::size_t{7}, std::size_t{18}, stream.size()}) {
        SCOPED_TRACE(chunk);
        Responder board(CountingMemory());
        std::vector<Response> responses;
        for (std::size_t at = 0; at < stream.size(); at += chunk) {
            const auto got =
                board.Feed(std::span(stream).subspan(at, std::min(chunk, stream.size() - at)));
            responses.insert(responses.end(), got.begin(), got.end());
        }
        ASSERT_EQ(responses.size(), 4u);
        for (unsigned i = 0; i < 4; ++i) EXPECT_EQ(responses[i].frame, i + 1);
        EXPECT_EQ(responses[3].request, kBlock0);
        EXPECT_FALSE(board.HasPartialFrame());
    }
}

TEST(Responder, SkipsBytesThatStartNoRequestAndReportsThem) {
    struct Case {
        const char* name;
        Bytes junk;
    };
    const Case cases[] = {
        {"line noise", {0x00, 0xFF, 0x42}},
        {"a preamble cut short", {'B', 'r', 'e', 'n', 'z'}},
        {"a foreign command byte", WithPreamble({0x34})},
        {"a read with a wrong length byte", WithPreamble({0x33, 0x52, 0x04})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Responder board(CountingMemory());
        Bytes stream = c.junk;
        stream.insert(stream.end(), kPing.begin(), kPing.end());
        const auto responses = board.Feed(stream);
        ASSERT_EQ(responses.size(), 1u);
        EXPECT_EQ(responses[0].request, kPing);
        EXPECT_EQ(responses[0].frame, 1u);
        EXPECT_EQ(board.TakeDiscarded(), c.junk);
        EXPECT_TRUE(board.TakeDiscarded().empty());
    }
}

TEST(Responder, ForgetsAnUnfinishedRequest) {
    Responder board(CountingMemory());
    EXPECT_TRUE(board.Feed(std::span(kBlock0).first(15)).empty());
    EXPECT_TRUE(board.HasPartialFrame());
    EXPECT_EQ(board.DropPartialFrame(), Bytes(kBlock0.begin(), kBlock0.begin() + 15));
    EXPECT_EQ(board.Feed(kPing).size(), 1u);
}

TEST(Responder, StaysSilentOnRequestsItCannotServe) {
    Bytes badSum = kBlock0;
    badSum.back() ^= 0x01;
    Bytes badWriteSum = WriteRequest(0, {1, 2, 3, 4, 5, 6, 7, 8});
    badWriteSum[15] ^= 0x40;  // a data byte changed on the way
    const Bytes pastTheEnd =
        WithPreamble({0x33, 0x52, 0x03, 0x00, 0xF0, 0x11, 0x01, 0x87});  // 240 + 17 > 256
    const Bytes highAddress = WithPreamble({0x33, 0x52, 0x03, 0x01, 0x00, 0x01, 0x00, 0x89});
    struct Case {
        const char* name;
        const Bytes& request;
    };
    const Case cases[] = {
        {"read with a wrong sum", badSum},
        {"write with a wrong sum", badWriteSum},
        {"read past byte 255", pastTheEnd},
        {"read at address 256", highAddress},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PagerImage memory = CountingMemory();
        Responder board(memory);
        const auto responses = board.Feed(c.request);
        ASSERT_EQ(responses.size(), 1u);
        EXPECT_TRUE(responses[0].reply.empty());
        EXPECT_FALSE(responses[0].note.empty());
        EXPECT_EQ(board.Memory(), memory);
        // It still counts as a frame, and the board goes on answering.
        const auto next = board.Feed(kPing).at(0);
        EXPECT_EQ(next.frame, 2u);
        EXPECT_FALSE(next.reply.empty());
    }
}

// A Read's five frames with one fault in them.
std::vector<Response> ReadSequence(const FaultPlan& faults, PagerImage memory = CountingMemory()) {
    Responder board(memory, faults);
    std::vector<Response> responses;
    for (const Bytes* frame : {&kPing, &kVersion, &kModel, &kBlock0, &kBlock128})
        responses.push_back(board.Feed(*frame).at(0));
    return responses;
}

TEST(ResponderFaults, NoAnswerSilencesOneFrameOrTheWholeBoard) {
    const auto one = ReadSequence({{FaultKind::NoAnswer, 2, {}, {}}});
    for (const auto& response : one)
        EXPECT_EQ(response.reply.empty(), response.frame == 2) << response.frame;
    const auto all = ReadSequence({{FaultKind::NoAnswer, 0, {}, {}}});
    for (const auto& response : all) EXPECT_TRUE(response.reply.empty()) << response.frame;
}

TEST(ResponderFaults, BadChecksumSpoilsOnlyTheSumOfThatFrame) {
    const auto clean = ReadSequence({});
    const auto faulty = ReadSequence({{FaultKind::BadChecksum, 4, {}, {}}});
    for (std::size_t i = 0; i < clean.size(); ++i) {
        SCOPED_TRACE(i);
        const Bytes& good = clean[i].reply;
        const Bytes& bad = faulty[i].reply;
        ASSERT_EQ(good.size(), bad.size());
        EXPECT_TRUE(std::equal(good.begin(), good.end() - 2, bad.begin()));
        EXPECT_EQ(good == bad, i != 3);
    }
}

TEST(ResponderFaults, BadChecksumOnAWriteStillStoresIt) {
    Responder board(CountingMemory(), {{FaultKind::BadChecksum, 1, {}, {}}});
    const auto response = board.Feed(WriteRequest(0, {9, 9, 9, 9, 9, 9, 9, 9})).at(0);
    EXPECT_NE(response.reply, kAck);
    EXPECT_EQ(response.reply.size(), kAck.size());
    EXPECT_EQ(board.Memory()[7], 9);
}

TEST(ResponderFaults, BadAckRefusesTheWriteWithOnlyTheStatusByteChanged) {
    const PagerImage memory = CountingMemory();
    Responder board(memory, {{FaultKind::BadAck, 2, {}, {}}});
    EXPECT_EQ(board.Feed(WriteRequest(0, {0, 1, 86, 3, 4, 5, 6, 7})).at(0).reply,
              kAck);  // what it holds
    const auto refused = board.Feed(WriteRequest(16, {7, 7, 7, 7, 7, 7, 7, 7})).at(0);
    Bytes expected = kAck;
    expected[13] = 0x15;
    EXPECT_EQ(refused.reply, expected);
    EXPECT_FALSE(refused.stored);
    EXPECT_EQ(board.Memory(), memory);
}

TEST(ResponderFaults, LostWriteIsAcknowledgedButNotStored) {
    const PagerImage memory = CountingMemory();
    Responder board(memory, {{FaultKind::LostWrite, 1, {}, {}}});
    const auto lost = board.Feed(WriteRequest(16, {7, 7, 7, 7, 7, 7, 7, 7})).at(0);
    EXPECT_EQ(lost.reply, kAck);
    EXPECT_FALSE(lost.stored);
    EXPECT_EQ(board.Memory(), memory);
    EXPECT_NE(lost.note.find("fault lost-write"), std::string::npos);
}

TEST(ResponderFaults, BadAckOnAReadChangesNothingButSaysSo) {
    const auto clean = ReadSequence({});
    const auto faulty = ReadSequence({{FaultKind::BadAck, 1, {}, {}}});
    EXPECT_EQ(faulty[0].reply, clean[0].reply);
    EXPECT_NE(faulty[0].note.find("no effect"), std::string::npos);
}

TEST(ResponderFaults, GapAndHangUpAreHandedToTheLine) {
    using std::chrono::milliseconds;
    const auto responses = ReadSequence({{FaultKind::Gap, 3, milliseconds(3000), {}},
                                         {FaultKind::Gap, 4, milliseconds(100), std::size_t{5}},
                                         {FaultKind::Gap, 5, milliseconds(100), std::size_t{999}},
                                         {FaultKind::HangUp, 5, {}, {}}});
    EXPECT_EQ(responses[2].gap, milliseconds(3000));
    EXPECT_EQ(responses[2].gapBeforeByte, 29u / 2);  // the middle of the model reply
    EXPECT_EQ(responses[3].gapBeforeByte, 5u);
    EXPECT_EQ(responses[4].gapBeforeByte, 142u);  // never past the last byte
    EXPECT_EQ(responses[0].gap, milliseconds(0));
    for (const auto& response : responses) EXPECT_EQ(response.hangUp, response.frame == 5);
    // Timing faults leave the bytes alone.
    const auto clean = ReadSequence({});
    for (std::size_t i = 0; i < clean.size(); ++i) EXPECT_EQ(responses[i].reply, clean[i].reply);
}

}  // namespace
}  // namespace mk843nb::sim
