#pragma once

// The bytes of the board's frames. A request opens with the preamble, then the
// command byte 0x33, the sub-command ("R" read, "S" write), the count of bytes
// up to the checksum, a big-endian address and the payload; every frame ends in
// the 16-bit sum of its bytes from the command byte on, high byte first.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "image/pager_image.h"

namespace mk843nb {

inline constexpr std::string_view kPreamble = "Brenzaloft";
inline constexpr std::size_t kPreambleSize = 10;
inline constexpr std::uint8_t kCommandByte = 0x33;
inline constexpr std::uint8_t kReadSubCommand = 0x52;
inline constexpr std::uint8_t kWriteSubCommand = 0x53;
inline constexpr std::size_t kFrameBufferSize = 146;
inline constexpr std::size_t kMaxReadCount = 131;   // a reply of n + 15 bytes fills the buffer
inline constexpr std::size_t kMaxWriteCount = 129;  // a request of n + 17 bytes fills the buffer
inline constexpr std::size_t kReadRequestSize = 18;
inline constexpr std::size_t kReplyOverhead = 15;  // 13 header bytes and the checksum
inline constexpr std::size_t kReplyHeaderSize = 13;
inline constexpr std::size_t kWriteOverhead = 17;
inline constexpr std::size_t kAcknowledgementSize = 16;

// "Brenzaloft" 33 53 01 06 00 8D: the board's answer to a write it accepted.
const std::array<std::uint8_t, kAcknowledgementSize>& Acknowledgement();

// The 16-bit sum of frame[10] .. frame[end - 1]; the preamble never counts.
std::uint16_t FrameChecksum(std::span<const std::uint8_t> frame, std::size_t end);

// 18 bytes: read n bytes (0 to 131) from address.
std::vector<std::uint8_t> BuildReadRequest(std::uint16_t address, std::uint8_t count);
// n + 17 bytes: store source[address .. address + n - 1] at the same addresses.
std::vector<std::uint8_t> BuildWriteRequest(const PagerImage& source, std::uint16_t address,
                                            std::uint8_t count);

inline constexpr std::size_t ReadReplySize(std::size_t count) { return count + kReplyOverhead; }
// A reply of ReadReplySize(count) bytes whose last two bytes are the sum of bytes
// 10 to 12 + count. The header is not examined.
bool ReadReplyChecksumOk(std::span<const std::uint8_t> reply, std::size_t count);
// The count data bytes of a read reply.
std::span<const std::uint8_t> ReadReplyData(std::span<const std::uint8_t> reply, std::size_t count);
bool IsAcknowledgement(std::span<const std::uint8_t> reply);

}  // namespace mk843nb
