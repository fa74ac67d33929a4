#include "link/port_discovery.h"

#include <gtest/gtest.h>

namespace mk843nb {
namespace {

std::vector<std::string> Names(const PortTable& table) {
    std::vector<std::string> names;
    for (const auto& e : table.entries) names.push_back(e.name);
    return names;
}

TEST(NaturalLess, NumbersCompareByValue) {
    EXPECT_TRUE(NaturalLess("ttyS2", "ttyS10"));
    EXPECT_FALSE(NaturalLess("ttyS10", "ttyS2"));
    EXPECT_TRUE(NaturalLess("ttyACM0", "ttyS0"));
    EXPECT_TRUE(NaturalLess("ttyS9", "ttyUSB0"));
    EXPECT_TRUE(NaturalLess("ttyUSB1", "ttyUSB01x"));
    EXPECT_FALSE(NaturalLess("ttyS3", "ttyS3"));
}

TEST(BuildPortTable, ReportedPortsInNaturalOrderOnceEach) {
    const auto table = BuildPortTable(
        {{"ttyUSB10", "FT232R"}, {"ttyS1", ""}, {"ttyUSB2", "CP2102"}, {"ttyS1", "again"}}, {});
    EXPECT_EQ(Names(table), (std::vector<std::string>{"ttyS1", "ttyUSB2", "ttyUSB10"}));
    EXPECT_EQ(table.entries[1].description, "CP2102");
    EXPECT_EQ(table.selected, 0);
}

TEST(BuildPortTable, FewerThanTwoReportedAddsTheClassicNamesWithoutLosingTheReportedOne) {
    const auto none = BuildPortTable({}, {});
    ASSERT_EQ(none.entries.size(), 16u);
    EXPECT_EQ(none.entries.front().name, "ttyS0");
    EXPECT_EQ(none.entries.back().name, "ttyS15");

    const auto one = BuildPortTable({{"ttyUSB0", "CH340"}}, {});
    ASSERT_EQ(one.entries.size(), 17u);
    EXPECT_EQ(one.entries.back(), (PortEntry{"ttyUSB0", "CH340"}));

    const auto three = BuildPortTable({{"ttyS3", ""}}, {});
    EXPECT_EQ(three.entries.size(), 16u) << "a reported ttyS3 is listed once";
    EXPECT_EQ(three.entries[3].name, "ttyS3");
}

TEST(BuildPortTable, UserPathsAreAddedAndTheFirstIsSelected) {
    const auto table = BuildPortTable({{"ttyS0", ""}, {"ttyUSB0", ""}},
                                      {"/dev/pts/7", "/dev/ttyUSB0", "/dev/pts/7", "/dev/pts/9"});
    EXPECT_EQ(Names(table),
              (std::vector<std::string>{"ttyS0", "ttyUSB0", "/dev/pts/7", "/dev/pts/9"}));
    EXPECT_EQ(table.selected, 2);

    const auto listed = BuildPortTable({{"ttyS0", ""}, {"ttyUSB0", ""}}, {"/dev/ttyUSB0"});
    EXPECT_EQ(listed.entries.size(), 2u);
    EXPECT_EQ(listed.selected, 1) << "a path naming a listed port selects it";
}

TEST(PortLabel, DescriptionThenTheNameInBrackets) {
    struct Case {
        PortEntry entry;
        const char* label;
    };
    for (const Case& c :
         {Case{{"ttyUSB0", "FT232R USB UART"}, "FT232R USB UART (ttyUSB0)"},
          Case{{"ttyS0", ""}, "ttyS0"}, Case{{"/dev/ttyACM1", "CDC ACM"}, "CDC ACM (ttyACM1)"},
          Case{{"/dev/pts/7", ""}, "/dev/pts/7"},
          Case{{"/dev/pts/7", "pager"}, "pager (/dev/pts/7)"}}) {
        EXPECT_EQ(PortLabel(c.entry), c.label);
    }
}

TEST(BuildPortTable, EachPortGetsItsByIdAliasAndAUserPathMayBeThatAlias) {
    const std::map<std::string, std::string> aliases = {
        {"/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_FT232R_A10K-if00-port0"},
        {"/dev/pts/7", "/dev/serial/by-id/usb-sim-if00"}};
    const auto table = BuildPortTable({{"ttyS0", ""}, {"ttyUSB0", "FT232R USB UART"}},
                                      {"/dev/serial/by-id/usb-FTDI_FT232R_A10K-if00-port0",
                                       "/dev/pts/7", "/dev/serial/by-id/usb-sim-if00"},
                                      aliases);
    EXPECT_EQ(Names(table), (std::vector<std::string>{"ttyS0", "ttyUSB0", "/dev/pts/7"}))
        << "a by-id path names the listed device, not a new entry";
    EXPECT_EQ(table.selected, 1);
    EXPECT_EQ(table.entries[0].byId, "");
    EXPECT_EQ(table.entries[1].byId, "/dev/serial/by-id/usb-FTDI_FT232R_A10K-if00-port0");
    EXPECT_EQ(table.entries[2].byId, "/dev/serial/by-id/usb-sim-if00");
}

TEST(FindPort, ByNamePathOrByIdAndWhatIsRemembered) {
    PortTable table;
    table.entries = {{"ttyS0", ""}, {"ttyUSB0", "FT232R USB UART"}, {"/dev/pts/7", ""}};
    table.entries[1].byId = "/dev/serial/by-id/usb-FTDI-if00";
    struct Case {
        std::string port;
        int index;
    };
    for (const Case& c :
         {Case{"ttyUSB0", 1}, Case{"/dev/ttyUSB0", 1}, Case{"/dev/serial/by-id/usb-FTDI-if00", 1},
          Case{"/dev/pts/7", 2}, Case{"pts/7", 2}, Case{"/dev/ttyUSB1", -1}, Case{"", -1}}) {
        EXPECT_EQ(FindPort(table, c.port), c.index) << c.port;
    }
    EXPECT_EQ(PortToRemember(table.entries[0]), "/dev/ttyS0");
    EXPECT_EQ(PortToRemember(table.entries[1]), "/dev/serial/by-id/usb-FTDI-if00");
    EXPECT_EQ(PortToRemember(table.entries[2]), "/dev/pts/7");
}

}  // namespace
}  // namespace mk843nb
