#include "fleet/utc_time.h"

#include <ctime>

namespace mk843nb::fleet {

std::string UtcTimeText(std::chrono::system_clock::time_point when, bool compact) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char text[32];
    std::strftime(text, sizeof text, compact ? "%Y%m%dT%H%M%SZ" : "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

}  // namespace mk843nb::fleet
