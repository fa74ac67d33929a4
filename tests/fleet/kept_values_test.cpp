// A pager's own values put into its planned table before the write: through
// the entry rules, exactly its own code, nothing else of the table touched.

#include "fleet/kept_values.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fleet/fleet_plan.h"
#include "image/fields.h"

namespace mk843nb::fleet {
namespace {

PagerImage Planned(const std::string& csv) {
    const FleetPlan plan =
        BuildFleetPlan(MK843NB_FIXTURES "/shipped_default.tbl", ParseRoster(csv), {});
    EXPECT_TRUE(plan.errors.empty()) << csv;
    return plan.pagers.at(0).image;
}

std::uint32_t Code(const PagerImage& image, std::string_view field) {
    return GetFieldCode(image, FieldNamed(field));
}

struct KeptCase {
    std::string name;
    std::string field;
    std::uint8_t held;     // the pager's code
    std::uint8_t planned;  // the table's code
    std::uint8_t written;  // the code the table gets
    bool kept;
    std::string refusal;
};

TEST(KeptValuesTest, ThePagersOwnLevelGoesInWhenTheEntryRulesTakeIt) {
    const std::vector<KeptCase> cases{
        {"a level of the pager's own", "RSSI", 70, 60, 70, true, ""},
        {"0.96 is typed for code 82, which would enter as 81: the code stays", "RSSI2", 82, 70, 82,
         true, ""},
        {"the same level as planned", "SSI", 68, 68, 68, true, ""},
        {"out of range in a damaged memory: the planned level stays", "SSI", 0xFF, 68, 68, false,
         "Please insert a number between 0 to 1"},
        {"just out of range (1.01 V)", "RSSI", 86, 60, 60, false,
         "Please insert a number between 0 to 1"},
    };
    for (const KeptCase& c : cases) {
        PagerImage planned = Planned("label,T11\nA,600.9\n");
        SetFieldCode(planned, FieldNamed(c.field), c.planned);
        PagerImage held = planned;
        SetFieldCode(held, FieldNamed(c.field), c.held);
        // Other bytes of the pager differ too; none of them may reach the table.
        held[200] ^= 0x5A;
        SetFieldCode(held, FieldNamed("BS_Period"), 99);

        PagerImage image = planned;
        const std::vector<KeptValue> kept = KeepOwnValues(held, image, {c.field}, false);
        ASSERT_EQ(kept.size(), 1u) << c.name;
        EXPECT_EQ(kept[0].kept, c.kept) << c.name;
        EXPECT_EQ(kept[0].refusal, c.refusal) << c.name;
        EXPECT_EQ(kept[0].pagerValue, FieldText(held, FieldNamed(c.field))) << c.name;
        EXPECT_EQ(kept[0].value, FieldText(image, FieldNamed(c.field))) << c.name;
        EXPECT_EQ(Code(image, c.field), c.written) << c.name;
        PagerImage rest = image;
        SetFieldCode(rest, FieldNamed(c.field), c.planned);
        EXPECT_TRUE(rest == planned) << c.name << ": only the kept field changed";
    }
}

TEST(KeptValuesTest, AKeptToneBringsTheDecoderWordsItsEntryComputes) {
    const PagerImage held = Planned("label,T11,T21\nA,600.9,832.5\n");
    const PagerImage planned = Planned("label,T11,T21\nA,539.0,832.5\n");
    PagerImage image = planned;
    const std::vector<KeptValue> kept = KeepOwnValues(held, image, {"T11"}, false);
    ASSERT_TRUE(kept.at(0).kept) << kept[0].refusal;
    EXPECT_EQ(FieldText(image, FieldNamed("T11")), "600.9");
    EXPECT_EQ(Code(image, "W11"), Code(held, "W11"));
    EXPECT_NE(Code(planned, "W11"), Code(held, "W11"));
    EXPECT_TRUE(image == held) << "the pager's table, made the same way, is what results";
}

TEST(KeptValuesTest, TheReportTextNamesEachValueAndEachRefusal) {
    const std::vector<KeptValue> kept{{"RSSI", "0.82", true, "0.82", ""},
                                      {"SSI", "0.80", false, "3.00", "Please insert"}};
    EXPECT_EQ(KeptValuesText(kept), "RSSI=0.82 SSI=0.80 (the pager's 3.00 refused)");
}

}  // namespace
}  // namespace mk843nb::fleet
