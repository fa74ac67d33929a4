#include "fleet/fleet_problem.h"

#include "files/shown_text.h"

namespace mk843nb::fleet {

std::string Describe(const FleetProblem& problem) {
    std::string text;
    if (problem.line > 0) text = "line " + std::to_string(problem.line);
    if (!problem.label.empty()) text += (text.empty() ? "'" : ", '") + problem.label + "'";
    if (!problem.field.empty()) text += (text.empty() ? "" : ", ") + problem.field;
    if (!text.empty()) text += ": ";
    // Messages of the window may span lines; a report line keeps them on one.
    for (char c : problem.message) text += (c == '\n' || c == '\r') ? ' ' : c;
    // Labels and cells come from the roster.
    return ShownText(text);
}

}  // namespace mk843nb::fleet
