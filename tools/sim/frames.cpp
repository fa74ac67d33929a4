#include "frames.h"

namespace mk843nb::sim {

std::uint16_t FrameSum(std::span<const std::uint8_t> frame, std::size_t end) {
    unsigned sum = 0;
    for (std::size_t i = kPreambleSize; i < end && i < frame.size(); ++i) sum += frame[i];
    return static_cast<std::uint16_t>(sum);
}

Bytes BuildFrame(std::uint8_t sub, std::uint8_t length, std::span<const std::uint8_t> body) {
    Bytes frame(kPreamble.begin(), kPreamble.end());
    frame.push_back(kCommand);
    frame.push_back(sub);
    frame.push_back(length);
    frame.insert(frame.end(), body.begin(), body.end());
    const std::uint16_t sum = FrameSum(frame, frame.size());
    frame.push_back(static_cast<std::uint8_t>(sum >> 8));
    frame.push_back(static_cast<std::uint8_t>(sum));
    return frame;
}

Bytes BuildReadReply(std::span<const std::uint8_t> data) {
    return BuildFrame(kReadSub, static_cast<std::uint8_t>(data.size()), data);
}

Bytes BuildAcknowledgement() {
    const std::uint8_t body[] = {kAckStatus};
    return BuildFrame(kWriteSub, 1, body);
}

}  // namespace mk843nb::sim
