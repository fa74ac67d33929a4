#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace mk843nb::fleet {

// The SHA-256 of the bytes in lower-case hex: how the plan names the exact
// contents of the template, the roster and every planned table.
std::string Sha256Hex(std::span<const std::uint8_t> bytes);
std::string Sha256Hex(std::string_view bytes);

}  // namespace mk843nb::fleet
