#pragma once

// The link's unit tests talk to the emulator's board in-process: the same
// responder and fault plan as mk843nb-sim, on a clock that waits for nothing.

#include <string>
#include <vector>

#include "faults.h"
#include "in_process_line.h"
#include "pager_memory.h"

namespace mk843nb::test {

using Bytes = std::vector<std::uint8_t>;

// The pager memory as the emulator starts it: the default image with a right
// checksum, the firmware version and the model text ("" for none).
inline PagerImage PagerMemory(std::uint8_t major, std::uint8_t minor, const std::string& model) {
    return sim::MakePagerMemory({"", {major, minor}, model});
}

// Faults written as the emulator's --fault option takes them.
inline sim::FaultPlan Faults(const std::vector<std::string>& texts) {
    sim::FaultPlan plan;
    for (const std::string& text : texts) plan.push_back(sim::ParseFault(text));
    return plan;
}

}  // namespace mk843nb::test
