#include "link/frames.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "link/firmware_version.h"

namespace mk843nb {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes WithPreamble(Bytes tail) {
    Bytes frame(kPreamble.size() + tail.size());
    std::copy(tail.begin(), tail.end(),
              std::copy(kPreamble.begin(), kPreamble.end(), frame.begin()));
    return frame;
}

struct RequestCase {
    const char* what;
    std::uint16_t address;
    std::uint8_t count;
    Bytes tail;  // bytes 10 ... as the board expects them
};

void PrintTo(const RequestCase& c, std::ostream* out) { *out << c.what; }

class ReadRequestTest : public testing::TestWithParam<RequestCase> {};

TEST_P(ReadRequestTest, BytesAreTheBoardsRequests) {
    const auto& c = GetParam();
    EXPECT_EQ(BuildReadRequest(c.address, c.count), WithPreamble(c.tail)) << c.what;
    EXPECT_EQ(ReadReplySize(c.count), c.count + 15u);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, ReadRequestTest,
    testing::Values(
        RequestCase{"ping", 0, 0, {0x33, 0x52, 0x03, 0x00, 0x00, 0x00, 0x00, 0x88}},
        RequestCase{"firmware version", 1, 2, {0x33, 0x52, 0x03, 0x00, 0x01, 0x02, 0x00, 0x8B}},
        RequestCase{"model", 240, 14, {0x33, 0x52, 0x03, 0x00, 0xF0, 0x0E, 0x01, 0x86}},
        RequestCase{"block at 0", 0, 128, {0x33, 0x52, 0x03, 0x00, 0x00, 0x80, 0x01, 0x08}},
        RequestCase{"block at 128", 128, 128, {0x33, 0x52, 0x03, 0x00, 0x80, 0x80, 0x01, 0x88}}));

TEST(WriteRequest, CarriesEightImageBytesAndTheirSum) {
    PagerImage image{};
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7);
    const Bytes frame = BuildWriteRequest(image, 248, 8);
    ASSERT_EQ(frame.size(), 25u);
    EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 15),
              WithPreamble({0x33, 0x53, 0x0A, 0x00, 0xF8}));
    unsigned sum = 0x33 + 0x53 + 0x0A + 0x00 + 0xF8;
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(frame[15 + i], image[248 + i]);
        sum += image[248 + i];
    }
    EXPECT_EQ(frame[23], static_cast<std::uint8_t>(sum >> 8));
    EXPECT_EQ(frame[24], static_cast<std::uint8_t>(sum));
}

Bytes ReadReply(const Bytes& header, const Bytes& data) {
    Bytes reply = header;
    reply.insert(reply.end(), data.begin(), data.end());
    const std::uint16_t sum = FrameChecksum(reply, reply.size());
    reply.push_back(static_cast<std::uint8_t>(sum >> 8));
    reply.push_back(static_cast<std::uint8_t>(sum));
    return reply;
}

TEST(ReadReply, ChecksumDecidesAndTheHeaderIsNotExamined) {
    const Bytes data = {1, 2, 0xFF};
    const Bytes garbageHeader(13, 0xEE);
    Bytes reply = ReadReply(garbageHeader, data);
    EXPECT_TRUE(ReadReplyChecksumOk(reply, 3));
    EXPECT_EQ(Bytes(ReadReplyData(reply, 3).begin(), ReadReplyData(reply, 3).end()), data);

    // The preamble never counts: changing it keeps the sum right.
    reply[0] ^= 0xFF;
    EXPECT_TRUE(ReadReplyChecksumOk(reply, 3));
    reply[10] ^= 0x01;  // the command byte does count
    EXPECT_FALSE(ReadReplyChecksumOk(reply, 3));
    EXPECT_FALSE(ReadReplyChecksumOk(Bytes(5, 0), 3)) << "a short reply";
}

TEST(Acknowledgement, OnlyTheExactSixteenBytesAcknowledge) {
    const Bytes ack = WithPreamble({0x33, 0x53, 0x01, 0x06, 0x00, 0x8D});
    EXPECT_TRUE(IsAcknowledgement(ack));
    Bytes status = ack;
    status[13] = 0x07;
    EXPECT_FALSE(IsAcknowledgement(status));
    Bytes preamble = ack;
    preamble[0] = 'b';
    EXPECT_FALSE(IsAcknowledgement(preamble));
}

TEST(FirmwareVersion, TextAndTwoDecimalNumber) {
    struct Case {
        std::uint8_t major, minor;
        const char* text;
        int hundredths;
    };
    for (const Case& c :
         {Case{1, 83, "1.83", 183}, Case{1, 5, "1.5", 150}, Case{1, 100, "1.100", 110},
          Case{1, 123, "1.123", 112}, Case{1, 125, "1.125", 113}, Case{1, 86, "1.86", 186},
          Case{2, 0, "2.0", 200}, Case{0, 255, "0.255", 26}}) {
        const auto v = FirmwareVersion::Of(c.major, c.minor);
        EXPECT_EQ(v.Text(), c.text);
        EXPECT_EQ(v.Hundredths(), c.hundredths) << c.text;
    }
    EXPECT_EQ(FirmwareVersion{}.Hundredths(), 0) << "no answer is version 0";
}

}  // namespace
}  // namespace mk843nb
