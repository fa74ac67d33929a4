#pragma once

#include <string>
#include <string_view>

namespace mk843nb::fleet {

// A label as the base of a file name in the plan's folder: letters, digits,
// blanks, '-', '_', '.', '+', '(', ')' and any non-ASCII character stay; every
// other character becomes '_'; a leading '.' too (no hidden files, no ".."),
// and trailing blanks and dots go. At most 100 bytes, cut at a character
// boundary. Never empty: "_" stands for a label with nothing left.
std::string SafeFileBase(std::string_view label);

}  // namespace mk843nb::fleet
