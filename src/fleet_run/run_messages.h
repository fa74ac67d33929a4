#pragma once

// What a fleet run says about claims, the pager on the board and the
// inventory it records into: each text once.

#include <string>

#include "inventory/inventory.h"

namespace mk843nb::fleet {

// "'NF-03' is being programmed on bench-1 (pid 4711)"
std::string ClaimedElsewhereText(const std::string& label, const inventory::Claim& holder);

// "This is 'Ladder 3' (written 06:01 on bench-2), not 'Engine 2'. Place 'Engine 2'."
// written: the time of the record the placed pager still holds, said in local time.
std::string WrongPagerText(const std::string& placed, inventory::Clock::time_point written,
                           const std::string& bench, const std::string& wanted);

// "the report in the plan's folder cannot be written (why)"
std::string ReportUnwritableText(const std::string& why);

// Why a run does not start without its records.
std::string NoInventoryText(const std::string& why);

// The plan's report of earlier runs could not all be taken into the inventory.
std::string ReportNotImportedText(const std::string& folder, const std::string& problem);

}  // namespace mk843nb::fleet
