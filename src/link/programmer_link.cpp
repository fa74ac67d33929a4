#include "link/programmer_link.h"

#include <algorithm>
#include <array>

#include "link/frames.h"

namespace mk843nb {

ProgrammerLink::ProgrammerLink(ByteChannel& port, LinkClock& clock, LinkEvents& events)
    : port_(port), clock_(clock), events_(events) {}

bool ProgrammerLink::SendFrame(std::span<const std::uint8_t> frame) {
    if (!port_.IsOpen()) return false;
    events_.FrameOn(port_.PortName(), FrameDirection::Sent, frame, clock_.NowMs());
    port_.Write(frame);
    return true;
}

bool ProgrammerLink::ReceiveReply(std::span<std::uint8_t> buffer) {
    if (!port_.IsOpen()) return false;
    std::size_t received = 0;
    while (received < buffer.size()) {
        const std::size_t got = port_.ReadNext(buffer.subspan(received), silenceLimitMs_);
        if (got == 0) {
            events_.FrameOn(port_.PortName(), FrameDirection::Received, buffer.first(received),
                            clock_.NowMs());
            port_.Purge();
            events_.ReplyTimedOut();
            return false;
        }
        received += got;
    }
    events_.FrameOn(port_.PortName(), FrameDirection::Received, buffer, clock_.NowMs());
    return true;
}

void ProgrammerLink::PumpDelay(int ms) { clock_.Delay(ms); }

bool ProgrammerLink::Exchange(std::span<const std::uint8_t> request, std::span<std::uint8_t> reply,
                              bool repaint) {
    if (repaint) events_.RepaintProgress();
    SendFrame(request);
    return ReceiveReply(reply);
}

bool ProgrammerLink::ReadBytes(std::span<std::uint8_t> destination, std::uint16_t address,
                               std::uint8_t count) {
    // A reply longer than the frame buffer, or more bytes than the destination
    // holds, is never asked for.
    if (count > kMaxReadCount || destination.size() < count) return false;
    std::array<std::uint8_t, kFrameBufferSize> reply{};
    const auto replySpan = std::span(reply).first(ReadReplySize(count));
    if (!Exchange(BuildReadRequest(address, count), replySpan, true)) return false;
    if (!ReadReplyChecksumOk(replySpan, count)) return false;
    const auto data = ReadReplyData(replySpan, count);
    std::copy(data.begin(), data.end(), destination.begin());
    return true;
}

bool ProgrammerLink::ReadBlock(PagerImage& destination, std::uint16_t address, std::uint8_t count) {
    std::array<std::uint8_t, kMaxReadCount> data{};
    if (!ReadBytes(data, address, count)) return false;
    for (std::size_t i = 0; i < count; ++i) destination[(address + i) % kImageSize] = data[i];
    return true;
}

bool ProgrammerLink::WriteBlock(const PagerImage& source, std::uint16_t address,
                                std::uint8_t count) {
    if (count > kMaxWriteCount) return false;
    std::array<std::uint8_t, kAcknowledgementSize> reply{};
    if (!Exchange(BuildWriteRequest(source, address, count), reply, true)) return false;
    return IsAcknowledgement(reply);
}

bool ProgrammerLink::VerifyBlock(const PagerImage& image, std::uint16_t address,
                                 std::uint8_t count) {
    return CompareBlock(image, address, count) == Comparison::Same;
}

ProgrammerLink::Comparison ProgrammerLink::CompareBlock(const PagerImage& image,
                                                        std::uint16_t address, std::uint8_t count,
                                                        VerifyReadBack* readBack) {
    if (count > kMaxReadCount) return Comparison::NoGoodReply;
    std::array<std::uint8_t, kFrameBufferSize> reply{};
    const auto replySpan = std::span(reply).first(ReadReplySize(count));
    if (!Exchange(BuildReadRequest(address, count), replySpan, false))
        return Comparison::NoGoodReply;
    if (!ReadReplyChecksumOk(replySpan, count)) return Comparison::NoGoodReply;
    const auto data = ReadReplyData(replySpan, count);
    if (readBack != nullptr && address + count <= kImageSize) {
        std::copy(data.begin(), data.begin() + count, readBack->bytes.begin() + address);
        if (readBack->count == address) readBack->count = address + count;
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (data[i] != image[(address + i) % kImageSize]) return Comparison::Differs;
    }
    return Comparison::Same;
}

bool ProgrammerLink::Ping() {
    std::array<std::uint8_t, 1> none{};
    return ReadBytes(none, 0, 0);
}

FirmwareVersion ProgrammerLink::QueryFirmwareVersion(PagerImage& image) {
    std::array<std::uint8_t, 4> bytes{};
    if (!ReadBytes(bytes, 1, 2)) return {};
    image[1] = bytes[0];
    image[2] = bytes[1];
    const FirmwareVersion version = FirmwareVersion::Of(bytes[0], bytes[1]);
    events_.VersionKnown(version.Text());
    return version;
}

ModelAnswer ProgrammerLink::QueryModel(std::string& modelText) {
    std::array<std::uint8_t, kModelTagSize> tag{};
    if (!ReadBytes(tag, kModelTagOffset, kModelTagSize)) return ModelAnswer::OtherOrNone;
    if (std::equal(kModelName.begin(), kModelName.end(), tag.begin()))
        return ModelAnswer::ThisModel;
    const auto end = std::find(tag.begin(), tag.end(), 0);
    modelText.assign(tag.begin(), end);
    return modelText.empty() ? ModelAnswer::NoModelText : ModelAnswer::OtherOrNone;
}

}  // namespace mk843nb
