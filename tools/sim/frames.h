#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace mk843nb::sim {

using Bytes = std::vector<std::uint8_t>;

// What the board puts in front of every request and every acknowledgement.
inline constexpr std::string_view kPreamble = "Brenzaloft";
inline constexpr std::size_t kPreambleSize = 10;
inline constexpr std::uint8_t kCommand = 0x33;
inline constexpr std::uint8_t kReadSub = 0x52;   // "R"
inline constexpr std::uint8_t kWriteSub = 0x53;  // "S"
// The status byte of a good acknowledgement, and the one a refusing board sends.
inline constexpr std::uint8_t kAckStatus = 0x06;
inline constexpr std::uint8_t kNakStatus = 0x15;
// Preamble, command, sub-command and length byte.
inline constexpr std::size_t kHeaderSize = 13;
inline constexpr std::size_t kPagerMemorySize = 256;

// The 16-bit sum of frame[10] .. frame[end - 1]; the preamble never counts.
std::uint16_t FrameSum(std::span<const std::uint8_t> frame, std::size_t end);

// Preamble, 0x33, sub-command, length byte, body, then the sum of everything
// after the preamble, high byte first.
Bytes BuildFrame(std::uint8_t sub, std::uint8_t length, std::span<const std::uint8_t> body);

// The board's answer to a read of n bytes: header with length byte n, the bytes, the sum.
Bytes BuildReadReply(std::span<const std::uint8_t> data);

// The 16-byte acknowledgement of a write: preamble, 33 53 01 06, sum 00 8D.
Bytes BuildAcknowledgement();
// Where the status byte stands in the acknowledgement.
inline constexpr std::size_t kAckStatusOffset = 13;

}  // namespace mk843nb::sim
