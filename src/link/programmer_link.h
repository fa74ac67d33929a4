#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "image/pager_image.h"
#include "link/byte_channel.h"
#include "link/firmware_version.h"
#include "link/link_clock.h"
#include "link/link_events.h"

namespace mk843nb {

// The pager's bytes a verify read back: bytes[0 .. count - 1] are valid. Blocks
// are kept once their reply's checksum is right, equal to the image or not, so
// a difference can be shown field by field.
struct VerifyReadBack {
    PagerImage bytes{};
    std::size_t count = 0;
};

// How long a reply may stay silent before its next byte: 3 s, ample for a
// board that answers at all, short enough that a silent port fails promptly.
inline constexpr int kSilenceLimitMs = 3000;
// The pause after each write frame.
inline constexpr int kWritePauseMs = 10;

enum class ModelAnswer {
    OtherOrNone = 0,  // another model, or no answer
    ThisModel = 1,    // the pager's model text starts with "MK842"
    NoModelText = 2,  // the pager holds no model text (older firmware)
};

// The board's commands over an open channel. Every exchange is one request and
// one reply of known length; nothing is retried. ECommError raised by the
// channel passes through to the caller.
class ProgrammerLink {
public:
    ProgrammerLink(ByteChannel& port, LinkClock& clock, LinkEvents& events);

    // False (and nothing sent) when the port is closed.
    bool SendFrame(std::span<const std::uint8_t> frame);
    // Fills buffer with exactly buffer.size() bytes. Each byte may take up to
    // kSilenceLimitMs; after a longer silence the queues are purged, the events
    // hear ReplyTimedOut and the result is false. Bytes beyond the count stay queued.
    bool ReceiveReply(std::span<std::uint8_t> buffer);
    // Waits ms milliseconds while the window stays alive.
    void PumpDelay(int ms);
    // How long a reply may stay silent from here on (kSilenceLimitMs unless set):
    // a probe for a pager that answers at once or not at all waits less.
    void SetSilenceLimit(int ms) { silenceLimitMs_ = ms; }

    // Reads n bytes (0 to 131) from address; on a correct reply checksum stores
    // them at destination[address + i] and returns true. A larger n (or, for
    // ReadBytes, a destination shorter than n) fails without sending anything.
    bool ReadBlock(PagerImage& destination, std::uint16_t address, std::uint8_t count);
    // As ReadBlock, storing at destination[i]; destination holds at least n bytes.
    bool ReadBytes(std::span<std::uint8_t> destination, std::uint16_t address, std::uint8_t count);
    // Writes source[address .. address + n - 1] (n up to 129); true when the board acknowledged.
    bool WriteBlock(const PagerImage& source, std::uint16_t address, std::uint8_t count);
    // True when the reply's checksum is right and its bytes equal image's at the same addresses.
    bool VerifyBlock(const PagerImage& image, std::uint16_t address, std::uint8_t count);
    // VerifyBlock telling a pager that answered with other bytes from one that
    // did not answer well. readBack, when given, keeps the bytes of a reply
    // whose checksum is right, equal or not.
    enum class Comparison { Same, Differs, NoGoodReply };
    Comparison CompareBlock(const PagerImage& image, std::uint16_t address, std::uint8_t count,
                            VerifyReadBack* readBack = nullptr);

    // The 0-byte read at address 0: true when the board answers with a correct reply.
    bool Ping();
    // Reads bytes 1 and 2; on an answer stores them at once in image bytes 1 and 2
    // and reports the version text (VersionKnown).
    FirmwareVersion QueryFirmwareVersion(PagerImage& image);
    // Reads the 14 model-tag bytes at 240. Without an answer modelText stays as it
    // was; otherwise, unless the text starts with "MK842", modelText becomes the
    // received text up to its first zero byte.
    ModelAnswer QueryModel(std::string& modelText);

private:
    bool Exchange(std::span<const std::uint8_t> request, std::span<std::uint8_t> reply,
                  bool repaint);

    ByteChannel& port_;
    LinkClock& clock_;
    LinkEvents& events_;
    int silenceLimitMs_ = kSilenceLimitMs;
};

}  // namespace mk843nb
