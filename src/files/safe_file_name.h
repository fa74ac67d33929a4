#pragma once

// Text from outside (a roster's label, a pager's model text and firmware
// version) made safe as part of a file name: every character the rule does not
// keep becomes '_', so a name never leaves its folder or hides itself.

#include <string>
#include <string_view>

namespace mk843nb {

// A label as the base of a file name in the plan's folder: letters, digits,
// blanks, '-', '_', '.', '+', '(', ')' and any non-ASCII character stay; every
// other character becomes '_'; a leading '.' too (no hidden files, no ".."),
// and trailing blanks and dots go. At most 100 bytes, cut at a character
// boundary. Never empty: "_" stands for a label with nothing left.
std::string SafeFileBase(std::string_view label);

// A part of a backup's name: only ASCII letters, digits, '.' and '_' stay, since
// '-' separates the parts of the name; "unknown" for an empty text.
std::string SafeNamePart(std::string_view text);

}  // namespace mk843nb
