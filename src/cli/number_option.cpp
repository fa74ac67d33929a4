#include "cli/number_option.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <sstream>
#include <system_error>

namespace mk843nb::cli {
namespace {

std::string Shown(double value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

}  // namespace

std::string NumberRefusal(const std::string& typed, double lowest, double highest, bool whole) {
    const char* begin = typed.data();
    const char* end = begin + typed.size();
    double value = 0;
    bool read = false;
    // from_chars takes no '+', no "0x" and no spaces; for a fraction it takes
    // "nan" and "inf", which would reach the sound and chart code as lengths
    // and sizes, so only finite values pass.
    if (whole) {
        long long count = 0;
        const auto [stop, error] = std::from_chars(begin, end, count);
        read = error == std::errc{} && stop == end;
        value = static_cast<double>(count);
    } else {
        const auto [stop, error] = std::from_chars(begin, end, value);
        read = error == std::errc{} && stop == end && std::isfinite(value);
    }
    if (read && value >= lowest && value <= highest) return {};
    return "'" + typed + "' is not " + (whole ? "a whole number" : "a number") + " from " +
           Shown(lowest) + " to " + Shown(highest);
}

CLI::Validator NumberFrom(double lowest, double highest, bool whole) {
    const std::string description = std::string(whole ? "INT" : "NUMBER") + " in [" +
                                    Shown(lowest) + " - " + Shown(highest) + "]";
    return CLI::Validator(
        [lowest, highest, whole](std::string& typed) {
            return NumberRefusal(typed, lowest, highest, whole);
        },
        description);
}

}  // namespace mk843nb::cli
