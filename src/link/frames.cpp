#include "link/frames.h"

#include <algorithm>

namespace mk843nb {
namespace {

void AppendPreamble(std::vector<std::uint8_t>& frame) {
    frame.insert(frame.end(), kPreamble.begin(), kPreamble.end());
}

void AppendChecksum(std::vector<std::uint8_t>& frame) {
    const std::uint16_t sum = FrameChecksum(frame, frame.size());
    frame.push_back(static_cast<std::uint8_t>(sum >> 8));
    frame.push_back(static_cast<std::uint8_t>(sum));
}

}  // namespace

const std::array<std::uint8_t, kAcknowledgementSize>& Acknowledgement() {
    static const std::array<std::uint8_t, kAcknowledgementSize> ack = [] {
        std::array<std::uint8_t, kAcknowledgementSize> a{};
        std::copy(kPreamble.begin(), kPreamble.end(), a.begin());
        a[10] = kCommandByte;
        a[11] = kWriteSubCommand;
        a[12] = 0x01;
        a[13] = 0x06;
        a[14] = 0x00;
        a[15] = 0x8D;
        return a;
    }();
    return ack;
}

std::uint16_t FrameChecksum(std::span<const std::uint8_t> frame, std::size_t end) {
    unsigned sum = 0;
    for (std::size_t i = kPreambleSize; i < end && i < frame.size(); ++i) sum += frame[i];
    return static_cast<std::uint16_t>(sum);
}

std::vector<std::uint8_t> BuildReadRequest(std::uint16_t address, std::uint8_t count) {
    std::vector<std::uint8_t> frame;
    frame.reserve(kReadRequestSize);
    AppendPreamble(frame);
    frame.push_back(kCommandByte);
    frame.push_back(kReadSubCommand);
    frame.push_back(3);
    frame.push_back(static_cast<std::uint8_t>(address >> 8));
    frame.push_back(static_cast<std::uint8_t>(address));
    frame.push_back(count);
    AppendChecksum(frame);
    return frame;
}

std::vector<std::uint8_t> BuildWriteRequest(const PagerImage& source, std::uint16_t address,
                                            std::uint8_t count) {
    std::vector<std::uint8_t> frame;
    frame.reserve(kWriteOverhead + count);
    AppendPreamble(frame);
    frame.push_back(kCommandByte);
    frame.push_back(kWriteSubCommand);
    frame.push_back(static_cast<std::uint8_t>(count + 2));
    frame.push_back(static_cast<std::uint8_t>(address >> 8));
    frame.push_back(static_cast<std::uint8_t>(address));
    // Addresses past the image's end wrap around rather than read beyond it.
    for (std::size_t i = 0; i < count; ++i) frame.push_back(source[(address + i) % kImageSize]);
    AppendChecksum(frame);
    return frame;
}

bool ReadReplyChecksumOk(std::span<const std::uint8_t> reply, std::size_t count) {
    const std::size_t size = ReadReplySize(count);
    if (reply.size() < size) return false;
    const std::uint16_t received =
        static_cast<std::uint16_t>(reply[13 + count] << 8 | reply[14 + count]);
    return received == FrameChecksum(reply, 13 + count);
}

std::span<const std::uint8_t> ReadReplyData(std::span<const std::uint8_t> reply,
                                            std::size_t count) {
    return reply.subspan(kReplyHeaderSize, count);
}

bool IsAcknowledgement(std::span<const std::uint8_t> reply) {
    const auto& ack = Acknowledgement();
    return reply.size() == ack.size() && std::equal(ack.begin(), ack.end(), reply.begin());
}

}  // namespace mk843nb
