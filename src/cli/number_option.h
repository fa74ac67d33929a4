#pragma once

#include <string>

namespace CLI {
class Validator;
}

namespace mk843nb::cli {

// The one check every numeric option goes through: the text the user typed
// must be a plain finite number from lowest to highest (a whole number when
// whole is set). "nan", "inf", "1e999", "2x" and out-of-range values are
// refused with the value typed and the range, before the command runs.
CLI::Validator NumberFrom(double lowest, double highest, bool whole = false);

// The refusal text for a typed value, or empty when it is accepted.
std::string NumberRefusal(const std::string& typed, double lowest, double highest, bool whole);

}  // namespace mk843nb::cli
