#pragma once

// Times as the program writes them into files and file names: always UTC, so
// they sort as text and read the same in every time zone.

#include <chrono>
#include <optional>
#include <string>

namespace mk843nb {

using TimePoint = std::chrono::system_clock::time_point;

// The time in UTC through strftime's format ("%Y%m%d-%H%M%S" for a backup's name).
std::string UtcTimeText(TimePoint when, const char* format);
// "2026-12-10T13:25:06Z", to the second (the fleet report).
std::string UtcTimeText(TimePoint when);
// "2026-12-10T13:25:06.123Z": exact enough to order two backups of the same second.
std::string UtcTimeTextMs(TimePoint when);

// The time of a UTC date and time (months and days from 1, seconds up to a
// leap second's 60), nullopt when a part is out of range or the system clock
// cannot hold it (before 1970, after its last year, 2262): no text read from a
// file or a name can make the clock overflow.
std::optional<TimePoint> UtcTimePoint(int year, int month, int day, int hour, int minute,
                                      int second, int milliseconds = 0);
// A time as UtcTimeText or UtcTimeTextMs wrote it ("YYYY-MM-DDTHH:MM:SS",
// then ".mmm" or not); nullopt for anything else.
std::optional<TimePoint> ParseUtcTimeText(const std::string& text);

}  // namespace mk843nb
