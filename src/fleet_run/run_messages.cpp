#include "fleet_run/run_messages.h"

#include <ctime>

namespace mk843nb::fleet {

std::string ClaimedElsewhereText(const std::string& label, const inventory::Claim& holder) {
    return "'" + label + "' is being programmed on " + holder.bench + " (pid " +
           std::to_string(holder.pid) + ")";
}

std::string WrongPagerText(const std::string& placed, inventory::Clock::time_point written,
                           const std::string& bench, const std::string& wanted) {
    const std::time_t when = inventory::Clock::to_time_t(written);
    std::tm local{};
    ::localtime_r(&when, &local);
    char clock[8];
    std::strftime(clock, sizeof clock, "%H:%M", &local);
    return "This is '" + placed + "' (written " + clock + " on " + bench + "), not '" + wanted +
           "'. Place '" + wanted + "'.";
}

std::string ReportUnwritableText(const std::string& why) {
    return "the report in the plan's folder cannot be written (" + why + ")";
}

std::string NoInventoryText(const std::string& why) {
    return "the inventory cannot be used (" + why +
           "): nothing is programmed that cannot be recorded";
}

std::string ReportNotImportedText(const std::string& folder, const std::string& problem) {
    return "the report in " + folder + " cannot be taken into the inventory whole (" + problem +
           "): nothing was programmed, and the report is left as it is";
}

}  // namespace mk843nb::fleet
