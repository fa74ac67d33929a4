#pragma once

// The inventory's pagers and records as identify, history and inventory print
// them: one line each for a person, an object each for JSON.

#include <nlohmann/json.hpp>
#include <string>

#include "inventory/inventory.h"

namespace mk843nb::cli {

// "'Ladder 3' [A-1] (north)": label, asset and plan where there are any.
std::string PagerName(const inventory::Pager& pager);
nlohmann::ordered_json PagerJson(const inventory::Pager& pager);

// "2026-12-11 06:01:02  write  written  bench-2  ann  ttyUSB0  1: 600.9/634.5":
// local time, kind, result, bench, operator, port, the calls of the image.
std::string RecordLine(const inventory::ImageRecord& record);
nlohmann::ordered_json RecordJson(const inventory::ImageRecord& record);

// "2026-12-11T06:01:02Z".
std::string UtcTimeText(inventory::Clock::time_point time);

}  // namespace mk843nb::cli
