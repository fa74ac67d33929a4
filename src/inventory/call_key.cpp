#include "inventory/call_key.h"

#include <charconv>

#include "image/fields.h"

namespace mk843nb::inventory {
namespace {

std::optional<std::uint32_t> CodeInRange(const PagerImage& image, const char* name) {
    const Field& field = FieldNamed(name);
    const std::uint32_t code = GetFieldCode(image, field);
    if (code < field.low || code > field.high) return std::nullopt;
    return code;
}

// "600.9" as 6009 tenths; nullopt unless digits, then at most one decimal.
std::optional<std::uint32_t> ParseTenths(std::string_view text) {
    const auto dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    const std::string_view tenth = dot == std::string_view::npos ? "" : text.substr(dot + 1);
    if (whole.empty() || whole.size() > 5 || tenth.size() > 1) return std::nullopt;
    if (dot != std::string_view::npos && tenth.empty()) return std::nullopt;
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(whole.data(), whole.data() + whole.size(), value);
    if (error != std::errc{} || end != whole.data() + whole.size()) return std::nullopt;
    value *= 10;
    if (!tenth.empty()) {
        if (tenth[0] < '0' || tenth[0] > '9') return std::nullopt;
        value += static_cast<std::uint32_t>(tenth[0] - '0');
    }
    return value;
}

}  // namespace

std::optional<CallKey> CallKeyOf(const PagerImage& image) {
    const auto tone1 = CodeInRange(image, "T11");
    const auto tone2 = CodeInRange(image, "T21");
    const auto rssi = CodeInRange(image, "RSSI");
    const auto ssi = CodeInRange(image, "SSI");
    const auto rssi2 = CodeInRange(image, "RSSI2");
    if (!tone1 || !tone2 || !rssi || !ssi || !rssi2) return std::nullopt;
    return CallKey{*tone1, *tone2, *rssi, *ssi, *rssi2};
}

std::optional<CallAddress> ParseCallAddress(const std::string& text) {
    const auto slash = text.find('/');
    if (slash == std::string::npos) return std::nullopt;
    const auto tone1 = ParseTenths(std::string_view(text).substr(0, slash));
    const auto tone2 = ParseTenths(std::string_view(text).substr(slash + 1));
    if (!tone1 || !tone2) return std::nullopt;
    return CallAddress{*tone1, *tone2};
}

}  // namespace mk843nb::inventory
