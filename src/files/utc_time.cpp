#include "files/utc_time.h"

#include <cstdio>
#include <ctime>

namespace mk843nb {

std::string UtcTimeText(TimePoint when, const char* format) {
    // Down to the second, also before 1970, where to_time_t would round up.
    const std::time_t seconds =
        std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(when));
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    char text[64] = {};
    std::strftime(text, sizeof text, format, &utc);
    return text;
}

std::string UtcTimeText(TimePoint when) { return UtcTimeText(when, "%Y-%m-%dT%H:%M:%SZ"); }

std::string UtcTimeTextMs(TimePoint when) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch());
    const long fraction = static_cast<long>(((ms.count() % 1000) + 1000) % 1000);
    char tail[8] = {};
    std::snprintf(tail, sizeof tail, ".%03ldZ", fraction);
    return UtcTimeText(when, "%Y-%m-%dT%H:%M:%S") + tail;
}

std::optional<TimePoint> UtcTimePoint(int year, int month, int day, int hour, int minute,
                                      int second, int milliseconds) {
    if (year < 1970 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 ||
        hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 60 || milliseconds < 0 ||
        milliseconds > 999)
        return std::nullopt;
    std::tm utc{};
    utc.tm_year = year - 1900;
    utc.tm_mon = month - 1;
    utc.tm_mday = day;
    utc.tm_hour = hour;
    utc.tm_min = minute;
    utc.tm_sec = second;
    // The system clock counts nanoseconds and ends in the year 2262: a later
    // year would overflow it.
    const std::time_t seconds = ::timegm(&utc);
    constexpr auto kLastSecond =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::duration::max())
            .count() -
        1;
    if (seconds < 0 || seconds > kLastSecond) return std::nullopt;
    return std::chrono::system_clock::from_time_t(seconds) +
           std::chrono::milliseconds(milliseconds);
}

std::optional<TimePoint> ParseUtcTimeText(const std::string& text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    int milliseconds = 0;
    int consumed = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%n", &year, &month, &day, &hour, &minute,
                    &second, &consumed) != 6)
        return std::nullopt;
    const auto end = static_cast<std::size_t>(consumed);
    if (text.size() > end && text[end] == '.')
        std::sscanf(text.c_str() + consumed, ".%3d", &milliseconds);
    return UtcTimePoint(year, month, day, hour, minute, second, milliseconds);
}

}  // namespace mk843nb
