#pragma once

// The fields a pager keeps from its own memory when a fleet run writes it:
// its receiver's alignment levels, typically. The pager's value goes into the
// planned table as a user would type it into the window, so the entry rules
// decide; a value they refuse leaves the planned one.

#include <string>
#include <vector>

#include "image/pager_image.h"

namespace mk843nb::fleet {

struct KeptValue {
    std::string field;
    std::string value;  // as the window shows it: the pager's own, or the planned one when refused
    bool kept = false;
    std::string pagerValue;  // what the pager held, as shown (differs from value when refused)
    std::string refusal;     // the entry rules' message when the pager's value was refused
};

// Puts held's value of each field into image. An accepted level keeps the
// pager's exact code (its two decimals typed back may enter one code lower);
// only the field's own bytes and those its entry derives change.
// userMode: the window's mode the plan was made in.
std::vector<KeptValue> KeepOwnValues(const PagerImage& held, PagerImage& image,
                                     const std::vector<std::string>& fields, bool userMode);

// "RSSI=0.85 SSI=0.80 RSSI2=0.96", a refused one as "SSI=0.80 (the pager's 3.00 refused)".
std::string KeptValuesText(const std::vector<KeptValue>& kept);

}  // namespace mk843nb::fleet
