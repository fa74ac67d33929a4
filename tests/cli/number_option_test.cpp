// The numeric options of the command line: only plain finite numbers in range
// reach a command; everything else is a usage error that names what was typed.

#include "cli/number_option.h"

#include <gtest/gtest.h>

#include <CLI/CLI.hpp>
#include <string>

namespace mk843nb::cli {
namespace {

struct Case {
    const char* typed;
    bool accepted;
};

// Parses "--value typed" with the check; the refusal text, empty when accepted.
std::string Parse(const CLI::Validator& check, const std::string& typed, double& value) {
    CLI::App app("test");
    app.add_option("--value", value)->check(check);
    try {
        app.parse(std::vector<std::string>{typed, "--value"});  // CLI11 reads them backwards
    } catch (const CLI::ParseError& error) {
        return error.what();
    }
    return {};
}

TEST(NumberOption, OnlyFiniteNumbersInRangePass) {
    const Case cases[] = {
        {"0.05", true},  {"600", true},      {"1.5", true},       {"1e2", true},    {"nan", false},
        {"NaN", false},  {"inf", false},     {"infinity", false}, {"1e999", false}, {"-1", false},
        {"0.04", false}, {"600.001", false}, {"1e308", false},    {"1.5s", false},  {" 1", false},
        {"0x10", false}, {"1,5", false},
    };
    const CLI::Validator seconds = NumberFrom(0.05, 600.0);
    for (const Case& c : cases) {
        double value = -7;
        const std::string refusal = Parse(seconds, c.typed, value);
        EXPECT_EQ(refusal.empty(), c.accepted) << "'" << c.typed << "': " << refusal;
        if (!c.accepted) {
            EXPECT_EQ(refusal,
                      std::string("--value: '") + c.typed + "' is not a number from 0.05 to 600");
            EXPECT_EQ(value, -7) << "a refused value was stored";
        }
    }
    // A leading '-' before a letter reads as an option to the parser; the check
    // itself still turns them away.
    for (const char* typed : {"-nan", "-inf", ""})
        EXPECT_EQ(NumberRefusal(typed, 0.05, 600.0, false),
                  std::string("'") + typed + "' is not a number from 0.05 to 600");
}

TEST(NumberOption, WholeNumbersRefuseFractionsAndWhatAnIntCannotHold) {
    const Case cases[] = {
        {"8000", true},     {"192000", true}, {"7999", false}, {"192001", false},
        {"48000.5", false}, {"4.8e4", false}, {"nan", false},  {"99999999999999999999", false},
        {"-0", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NumberRefusal(c.typed, 8000, 192000, true).empty(), c.accepted) << c.typed;
    EXPECT_EQ(NumberRefusal("7073", 1, 1000, true), "'7073' is not a whole number from 1 to 1000");
}

}  // namespace
}  // namespace mk843nb::cli
