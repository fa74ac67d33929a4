#pragma once

#include <string>

namespace mk843nb::fleet {

// One thing wrong with a roster row, said the way the user finds it: the
// line of the roster the row starts on (0 when it is about the whole roster),
// its label, the field (column) and the message.
struct FleetProblem {
    int line = 0;
    std::string label;
    std::string field;
    std::string message;

    bool operator==(const FleetProblem&) const = default;
};

// "line 4, 'Station 3', T11: Please insert a number between ..."; control
// characters shown as ShownText (files/shown_text.h) shows them.
std::string Describe(const FleetProblem& problem);

}  // namespace mk843nb::fleet
