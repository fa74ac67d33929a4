#pragma once

// What a field takes, said once for the command line's refusals and the
// manual's list of field names (generated from the same catalogue).

#include <optional>
#include <string>
#include <string_view>

#include "editor/control_catalog.h"

namespace mk843nb {

// "BS_Period (Battery Save)": a field as a refusal names it.
std::string FieldWithCaption(const ListedField& field);

// What can be set: "0 to 255", "1 to 127.5 in steps of 0.5", "0 or 1", the
// list's items in quotes, "shown only". Frequencies and tones say their rules.
std::string FieldTakes(const ListedField& field);

// A frequency written in megahertz ("154.43MHz", "462.0125 mhz") as the
// hundreds of hertz the Freq field takes ("1544300"); nullopt for text that
// does not end in MHz. An empty string for a megahertz value that is not a
// whole number of hundreds of hertz (or not a number).
std::optional<std::string> MegahertzAsFreqDigits(std::string_view value);

// List items compare as a user reads them: case and runs of blanks make no
// difference ("60 second" is "60  Second"), nor do blanks at either end.
bool SameListItem(std::string_view typed, std::string_view item);

}  // namespace mk843nb
