#include "image/codecs.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace mk843nb {
namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// Float-to-integer conversion that is defined for every input: NaN gives 0,
// values beyond the range saturate. Valid inputs never reach those cases.
std::int64_t TruncToInt(long double x) {
    if (std::isnan(x)) return 0;
    constexpr long double kLimit = 9.0e18L;
    if (x >= kLimit) return static_cast<std::int64_t>(kLimit);
    if (x <= -kLimit) return -static_cast<std::int64_t>(kLimit);
    return static_cast<std::int64_t>(x);
}

}  // namespace

std::string FormatFixed(long double value, int width, int precision) {
    char buffer[128];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
    if (result.ec != std::errc()) return std::string(std::isnan(value) ? "nan" : "inf");
    std::string text(buffer, result.ptr);
    if (static_cast<int>(text.size()) < width) {
        const std::size_t digitsAt = (!text.empty() && text.front() == '-') ? 1 : 0;
        text.insert(digitsAt, static_cast<std::size_t>(width) - text.size(), '0');
    }
    return text;
}

std::string FormatGeneral(long double value, int digits) {
    char buffer[128];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    if (result.ec != std::errc()) return std::string(std::isnan(value) ? "nan" : "inf");
    return std::string(buffer, result.ptr);
}

std::optional<long double> ParseNumber(std::string_view text) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // from_chars also takes "inf" and "nan"; the number reader does not.
    if (text.empty() ||
        !(std::isdigit(static_cast<unsigned char>(text.front())) || text.front() == '.'))
        return std::nullopt;
    long double value = 0;
    const auto result =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
    return negative ? -value : value;
}

std::optional<std::int64_t> ParseInteger(std::string_view text) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text.front())))
        return std::nullopt;
    std::int64_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
    return negative ? -value : value;
}

double RoundToDecimals(double x, int n) {
    const std::string s = FormatGeneral(x, 15);
    const auto point = s.find('.');
    const std::size_t p = point == std::string::npos ? 0 : point + 1;
    const double m = std::pow(10.0, n);
    if (s.size() - p >= 2) return std::floor(x * m + 0.5) / m;
    return std::floor((x + 0.5) * m) / m;
}

std::uint8_t EncodeHalfSeconds(float seconds) {
    const float doubled = seconds * 2.0f;
    return static_cast<std::uint8_t>(TruncToInt(doubled) & 0xFF);
}

std::string FormatHalfSeconds(std::uint8_t code) {
    const float seconds = static_cast<float>(code) * 0.5f;
    return FormatFixed(seconds, 1, 1);
}

std::string FormatVoltage(std::uint8_t code) {
    const long double volts = static_cast<long double>(code) * 3.0L * (1.0L / 255.0L);
    return FormatFixed(volts, 1, 2);
}

std::uint8_t EncodeVoltage(long double volts) {
    const float x = static_cast<float>(volts * 255.0L * (1.0L / 3.0L));
    const double r = RoundToDecimals(static_cast<double>(x), 1);
    return static_cast<std::uint8_t>(TruncToInt(r) & 0xFF);
}

std::string FormatTone(std::uint16_t code) {
    const float hertz = static_cast<float>(static_cast<long double>(code) * 0.1L);
    return FormatFixed(hertz, 4, 1);
}

std::string FormatToneValue(long double hertz) { return FormatFixed(hertz, 4, 1); }

std::optional<std::int64_t> ToneCodeOfText(std::string_view text) {
    text = Trim(text);
    const auto point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    std::int64_t tenths = 0;
    if (text.find_first_of("0123456789") == std::string_view::npos) return std::nullopt;
    if (point != std::string_view::npos) {
        const std::string_view rest = text.substr(point + 1);
        if (!rest.empty()) {
            if (!std::isdigit(static_cast<unsigned char>(rest.front()))) return std::nullopt;
            tenths = rest.front() - '0';
        }
    }
    std::int64_t units = 0;
    if (!whole.empty()) {
        const auto value = ParseInteger(whole);
        if (!value || *value > std::numeric_limits<std::int64_t>::max() / 10 ||
            *value < std::numeric_limits<std::int64_t>::min() / 10)
            return std::nullopt;
        units = *value;
    } else if (point == std::string_view::npos) {
        return std::nullopt;
    }
    const bool negative = !whole.empty() && whole.front() == '-';
    return units * 10 + (negative ? -tenths : tenths);
}

std::uint16_t ToneDecoderWord(std::uint16_t q) {
    const float f = static_cast<float>(static_cast<long double>(q) * 0.1L);
    const long double hertz = f;
    const std::int64_t n = TruncToInt(118920.0L * hertz * (1.0L / 3579545.0L));
    // A zero tone has no periods; its remainder term is then zero, not 0/0.
    const long double periods = hertz == 0.0L ? 0.0L : static_cast<long double>(n) / (4.0L * hertz);
    const std::int64_t m =
        TruncToInt((29730.0L / 3579545.0L - periods) * static_cast<long double>(119318.1667));
    const std::uint64_t word =
        0x8000u + static_cast<std::uint64_t>(n) * 128u + static_cast<std::uint64_t>(m);
    return static_cast<std::uint16_t>(word & 0xFFFFu);
}

std::string VersionText(std::uint8_t major, std::uint8_t minor) {
    return std::to_string(major) + "." + std::to_string(minor);
}

int FirmwareVersionHundredths(std::uint8_t major, std::uint8_t minor) {
    int hundredths = 0;
    if (minor < 10) {
        hundredths = minor * 10;
    } else if (minor < 100) {
        hundredths = minor;
    } else {
        hundredths = (minor + 5) / 10;  // three digits after the point: rounded half up
    }
    return major * 100 + hundredths;
}

int ResetConCodeOfIndex(int index) {
    switch (index) {
        case 2:
            return 3;
        case 3:
            return 4;
        case 4:
            return 2;
        default:
            return index;
    }
}

int ResetConIndexOfCode(int code) {
    switch (code) {
        case 2:
            return 4;
        case 3:
            return 2;
        case 4:
            return 3;
        default:
            return code;
    }
}

std::uint8_t ReminderCodeOfIndex(int index) {
    static constexpr std::uint8_t kCodes[] = {0, 60, 120, 240};
    return index >= 0 && index < 4 ? kCodes[index] : 0;
}

int ReminderIndexOfCode(std::uint8_t code) {
    const float value = code;
    if (value == 0.0f) return 0;
    if (value < 90.0f) return 1;
    if (value < 180.0f) return 2;
    return 3;
}

std::optional<int> BatteryLowIndexOfCode(std::uint8_t code) {
    switch (code) {
        case 94:
            return 0;
        case 96:
            return 1;
        case 98:
            return 2;
        case 100:
            return 3;
        case 102:
            return 4;
        default:
            return std::nullopt;
    }
}

int AlertTypeIndexOfByte(std::uint8_t byte) { return byte & 0x7F; }

}  // namespace mk843nb
