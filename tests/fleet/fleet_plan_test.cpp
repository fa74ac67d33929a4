// Rosters applied to a template: the roster's own shape, each row under the
// entry rules of `set`, and the checks across the fleet.

#include "fleet/fleet_plan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "files/safe_file_name.h"
#include "fleet/roster.h"
#include "fleet_test_support.h"
#include "image/fields.h"

namespace mk843nb::fleet {
namespace {

const std::filesystem::path kTemplate = MK843NB_FIXTURES "/shipped_default.tbl";

FleetPlan Plan(std::string_view csv, PlanOptions options = {}) {
    return BuildFleetPlan(kTemplate, ParseRoster(csv), options);
}

std::string Shown(const PagerImage& image, std::string_view field) {
    return FieldText(image, FieldNamed(field));
}

// The messages a user sees, for comparing whole lists in one go.
std::vector<std::string> Described(const std::vector<FleetProblem>& problems) {
    std::vector<std::string> lines;
    for (const FleetProblem& problem : problems) lines.push_back(Describe(problem));
    return lines;
}

struct RefusedCase {
    std::string name;
    std::string csv;
    std::vector<std::string> errors;  // Describe() of each, in order
};

TEST(FleetPlanTest, RefusalsNameLineLabelFieldAndTheProgramsOwnMessage) {
    const std::vector<RefusedCase> cases{
        {"refused value",
         "label,T11,T21\nA,600.9,832.5\nB,100,832.5\n",
         {"line 3, 'B', T11: Please insert a number between 288.5 to 2468.2"}},
        {"every row is checked, not only up to the first refusal",
         "label,T11\nA,100\nB,600.9\nC,2500\n",
         {"line 2, 'A', T11: Please insert a number between 288.5 to 2468.2",
          "line 4, 'C', T11: Please insert a number between 288.5 to 2468.2"}},
        {"duplicate label",
         "label,T11\nWard 1,600.9\nWard 2,539.0\nWard 1,510.5\n",
         {"line 4, 'Ward 1', label: the label appears on an earlier row"}},
        {"empty label", "label,T11\n,600.9\n", {"line 2, label: the label is empty"}},
        {"a call's tone with the call switched off, whatever the column order",
         "label,T12,Duty2\nA,1000.0,0\n",
         {"line 2, 'A', T12: disabled and cannot be set"}},
        {"a decimal comma that split a cell of a comma roster",
         "label,T11,T21\nA,600,9,832.5\n",
         {"line 2, 'A': the row has more cells than the header has columns (3); a decimal comma "
          "splits a number in a comma-separated roster: write it with a point (330.5), or save "
          "the roster with semicolons"}},
        {"a quoted decimal comma in a comma roster",
         "label,T11\nA,\"600,9\"\n",
         {"line 2, 'A', T11: '600,9' cannot be typed: the field does not take ',' "
          "there; write the number with a decimal point (330.5), or save the roster with "
          "semicolons between cells, where a decimal comma is taken"}},
        {"a sep= line counts as the first line",
         "sep=;\nlabel;T11\nA;100\n",
         {"line 3, 'A', T11: Please insert a number between 288.5 to 2468.2"}},
        {"a header column without a name before named ones",
         "label,T11,,T21\nA,600.9,,832.5\n",
         {"line 1: column 3 of the header has no name"}},
        {"list item that does not exist",
         "label,Reminder\nA,90 Second\n",
         {"line 2, 'A', Reminder: '90 Second' is not an item; the items are \"Disable\", \"30  "
          "Second\", \"60  Second\", \"120 Second\""}},
        {"tone spacing rule",
         "label,T11\nA,707.3\n",
         {"line 2, 'A', T11: Tone Frequency Error!  Please check the tone spacing rule.  [1]Two "
          "tones in the same call address should not be the same. [2]Any two tones should be "
          "separated by minimum of 1.5%.   The original tone frequency is restored."}},
        {"Advance page without the access code",
         "label,GapMax\nA,3\n",
         {"line 2, 'A', GapMax: on the Advance Setting page, which is hidden until the access "
          "code is given"}},
        {"unknown column",
         "label,T11,Nothing\nA,600.9,1\n",
         {"line 1, Nothing: Unknown field 'Nothing'"}},
        {"repeated column",
         "label,T11,T11\nA,600.9,539.0\n",
         {"line 1, T11: the column appears twice in the header"}},
        {"header without label",
         "name,T11\nA,600.9\n",
         {"line 1: the first column of the header must be 'label'"}},
        {"more cells than columns",
         "label,T11\nA,600.9,539.0\n",
         {"line 2, 'A': the row has more cells than the header has columns (2)"}},
        {"an asset tag on two rows names one pager twice",
         "label,asset,T11\nA,SN-1,600.9\nB,,539.0\nC,SN-1,510.5\n",
         {"line 4, 'C', asset: the asset tag 'SN-1' is already 'A' (line 2)"}},
        {"labels that make the same file name",
         "label,T11\nA/B,600.9\nA_B,539.0\n",
         {"line 3, 'A_B', label: the label makes the same file name 'A_B.tbl' as 'A/B' (line 2)"}},
        {"old Mac line breaks (a lone CR) count as lines too",
         "label,T11\rA,600.9\rB,100\r",
         {"line 3, 'B', T11: Please insert a number between 288.5 to 2468.2"}},
        {"not UTF-8",
         "label,T11\nA,600.9\nB\xE9,539.0\n",
         {"line 3: the roster is not UTF-8 text"}},
        {"unclosed quote",
         "label,T11\n\"A,600.9\n",
         {"line 2: the roster cannot be read: a quoted cell is not closed"}},
        {"header only", "label,T11\n", {"the roster has no pagers: only a header row"}},
        {"empty file", "", {"the roster is empty: it needs a header row starting with 'label'"}},
    };
    for (const RefusedCase& c : cases) {
        const FleetPlan plan = Plan(c.csv);
        EXPECT_EQ(Described(plan.errors), c.errors) << c.name;
    }
}

TEST(FleetPlanTest, RowsTakeTheirValuesAndEmptyCellsKeepTheTemplates) {
    const FleetPlan plan = Plan(
        "label,T11,T21,Duty2,T12,T22,Reminder\n"
        "Engine 1,600.9,832.5,,,,\n"
        "Engine 2,539.0,1122.5,1,1000,1513.5,60  Second\n");
    ASSERT_EQ(Described(plan.errors), std::vector<std::string>{});
    ASSERT_EQ(plan.pagers.size(), 2u);
    const PagerImage& first = plan.pagers[0].image;
    EXPECT_EQ(plan.pagers[0].line, 2);
    EXPECT_EQ(plan.pagers[0].fileName, "Engine 1.tbl");
    EXPECT_EQ(Shown(first, "T11"), "600.9");
    EXPECT_EQ(Shown(first, "T21"), "832.5");
    EXPECT_EQ(Shown(first, "Duty2"), "0");
    EXPECT_EQ(Shown(first, "Reminder"), "120 Second");  // the template's
    const PagerImage& second = plan.pagers[1].image;
    EXPECT_EQ(Shown(second, "T11"), "539.0");
    EXPECT_EQ(Shown(second, "Duty2"), "1");
    // Standard Mode takes the nearest tone of the standard table, as the window does.
    EXPECT_EQ(Shown(second, "T12"), "1006.9");
    EXPECT_EQ(Shown(second, "Reminder"), "60  Second");
}

struct ShapeCase {
    std::string name;
    std::string csv;
    char delimiter;
    std::vector<std::string> labels;
    std::vector<std::string> firstTones;  // T11 of each pager
};

TEST(FleetPlanTest, RosterShapesSpreadsheetsWrite) {
    const std::vector<ShapeCase> cases{
        {"semicolons with a byte-order mark and CRLF",
         "\xEF\xBB\xBFlabel;T11;T21\r\nA;600.9;832.5\r\nB;539.0;1122.5\r\n",
         ';',
         {"A", "B"},
         {"600.9", "539.0"}},
        {"quoted cells: delimiters, doubled quotes, a line break, blanks around",
         "label,T11,T21,note\n\"Ward 3, east\",\"600.9\",832.5\n\"Bed \"\"7\"\"\",539.0,1122.5\n"
         "Night,510.5,788.5,\"first\nsecond\"\n  Porter  , 433.7 ,  \n",
         ',',
         {"Ward 3, east", "Bed \"7\"", "Night", "Porter"},
         {"600.9", "539.0", "510.5", "433.7"}},
        {"a semicolon inside quotes does not make a semicolon file",
         "label,T11\n\"A;B;C\",600.9\n",
         ',',
         {"A;B;C"},
         {"600.9"}},
        {"rows of empty separators and blank lines are left out",
         "label,T11\n\nA,600.9\n,\n , \n\n",
         ',',
         {"A"},
         {"600.9"}},
        {"non-ASCII labels",
         "label,T11\nFeuerwache Süd,600.9\n",
         ',',
         {"Feuerwache Süd"},
         {"600.9"}},
    };
    for (const ShapeCase& c : cases) {
        const FleetPlan plan = Plan(c.csv);
        EXPECT_EQ(Described(plan.errors), std::vector<std::string>{}) << c.name;
        EXPECT_EQ(plan.delimiter, c.delimiter) << c.name;
        std::vector<std::string> labels;
        std::vector<std::string> tones;
        for (const PlannedPager& pager : plan.pagers) {
            labels.push_back(pager.label);
            tones.push_back(Shown(pager.image, "T11"));
        }
        EXPECT_EQ(labels, c.labels) << c.name;
        EXPECT_EQ(tones, c.firstTones) << c.name;
    }
}

TEST(FleetPlanTest, ALineNumberIsWhereTheRowStartsEvenAfterAQuotedLineBreak) {
    const FleetPlan plan = Plan("label,T11,note\nA,600.9,\"Two\nlines\"\nB,100\n");
    EXPECT_EQ(Described(plan.errors),
              std::vector<std::string>{
                  "line 4, 'B', T11: Please insert a number between 288.5 to 2468.2"});
}

struct FleetCase {
    std::string name;
    std::string csv;
    std::vector<std::string> findings;
};

TEST(FleetPlanTest, FleetWideFindingsAreWarningsAndErrorsWhenStrict) {
    const std::vector<FleetCase> cases{
        {"two rows with the same call address",
         "label,T11,T21\nA,600.9,832.5\nB,600.9,832.5\n",
         {"line 2, 'A', T11: same address: 'A' (call 1) has the same address 600.9 (Mot 2, 1) / "
          "832.5 (Mot 2, 7 or GE B', 3) as 'B' (call 1): both ring on one page.",
          "line 3, 'B', T11: same address: 'B' (call 1) has the same address 600.9 (Mot 2, 1) / "
          "832.5 (Mot 2, 7 or GE B', 3) as 'A' (call 1): both ring on one page."}},
        // A station call every row keeps from the template is shared on purpose.
        {"the template's call left unchanged on every row", "label,Reminder\nA,\nB,\nC,\n", {}},
        {"the template's call kept by two rows of three",
         "label,T11\nA,\nB,600.9\nC,\n",
         {"line 2, 'A', T11: same address: 'A' (call 1) has the same address 669.9 (Mot 2, 3) / "
          "707.3 (Mot 2, 4) as 'C' (call 1): both ring on one page.",
          "line 4, 'C', T11: same address: 'C' (call 1) has the same address 669.9 (Mot 2, 3) / "
          "707.3 (Mot 2, 4) as 'A' (call 1): both ring on one page."}},
        {"the second call slot switched on in both rows",
         "label,T11,T21,Duty2,T12,T22\nA,600.9,832.5,1,1006.9,1513.5\n"
         "B,539.0,1122.5,1,1006.9,1513.5\n",
         {"line 2, 'A', T12: same address: 'A' (call 2) has the same address 1006.9 (Mot 3, 7) / "
          "1513.5 (Mot 10, 1) as 'B' (call 2): both ring on one page.",
          "line 3, 'B', T12: same address: 'B' (call 2) has the same address 1006.9 (Mot 3, 7) / "
          "1513.5 (Mot 10, 1) as 'A' (call 2): both ring on one page."}},
        {"a call that is switched off shares no address", "label,Duty1\nA,0\nB,0\n", {}},
        {"the same address on another call slot",
         "label,T11,T21,Duty3,T13,T23\n"
         "A,600.9,832.5,,,\nB,539.0,1122.5,1,600.9,832.5\n",
         {"line 2, 'A', T11: same address: 'A' (call 1) has the same address 600.9 (Mot 2, 1) / "
          "832.5 (Mot 2, 7 or GE B', 3) as 'B' (call 3): both ring on one page.",
          "line 3, 'B', T13: same address: 'B' (call 3) has the same address 600.9 (Mot 2, 1) / "
          "832.5 (Mot 2, 7 or GE B', 3) as 'A' (call 1): both ring on one page."}},
        // Group calls of 1 s: a page's 1 s TONE1 is long enough to set them off.
        {"a group tone equal to another row's TONE1",
         "label,T11,T21,GDuty1,T31,Tone3Len\nA,600.9,832.5,,,\nB,539.0,1122.5,1,600.9,10\n",
         {"line 3, 'B', T31: group tone: 'B' (group call 1, ±1.5%) takes the TONE1 of a page of "
          "'A' (call 1), 600.9 (Mot 2, 1), for its group tone 600.9 (Mot 2, 1) (0.00% apart, "
          "within its bandwidth). The page's 1 s TONE1 is long enough for its group-call "
          "duration of 1 s."}},
        {"a TONE1 within the bandwidth of another row's group tone",
         "label,T11,T21,GDuty1,T31,Tone3Len\nA,602.6,832.5,,,\nB,539.0,1122.5,1,600.9,10\n",
         {"line 3, 'B', T31: group tone: 'B' (group call 1, ±1.5%) takes the TONE1 of a page of "
          "'A' (call 1), 602.6 (Mot A, 5), for its group tone 600.9 (Mot 2, 1) (0.28% apart, "
          "within its bandwidth). The page's 1 s TONE1 is long enough for its group-call "
          "duration of 1 s."}},
        {"a group call of 5 s is not set off by a 1 s TONE1",
         "label,T11,T21,GDuty1,T31\nA,600.9,832.5,,\nB,539.0,1122.5,1,600.9\n",
         {}},
        {"a group tone shared by the fleet is what group calls are for",
         "label,T11,T21,GDuty1,T31\nA,600.9,832.5,1,1513.5\nB,539.0,1122.5,1,1513.5\n",
         {}},
    };
    for (const FleetCase& c : cases) {
        // The access code reaches the group-call duration (Tone3Len).
        const FleetPlan lenient = Plan(c.csv, {.accessCode = "HW527"});
        EXPECT_EQ(Described(lenient.errors), std::vector<std::string>{}) << c.name;
        EXPECT_EQ(Described(lenient.warnings), c.findings) << c.name;
        EXPECT_EQ(lenient.pagers.size(), 2u + (c.name.starts_with("the template's") ? 1 : 0))
            << c.name;
        EXPECT_EQ(lenient.shared.size(),
                  c.name == "the template's call left unchanged on every row" ? 1u : 0u)
            << c.name;

        const FleetPlan strict =
            Plan(c.csv, {.strict = true, .userMode = false, .accessCode = "HW527"});
        EXPECT_EQ(Described(strict.errors), c.findings) << c.name;
        EXPECT_TRUE(strict.warnings.empty()) << c.name;
    }
}

// The same fleet as a spreadsheet may save it: every variant plans exactly the
// tables of the plain comma roster.
TEST(FleetPlanTest, SpreadsheetRostersPlanTheSameTablesAsTheCommaRoster) {
    const std::string comma =
        "label,T11,T21,Duty2,T12,T22,Reminder\n"
        "Engine 1,600.9,832.5,,,,\n"
        "Engine 2,539.0,1122.5,1,1006.9,1513.5,60  Second\n";
    const std::vector<std::pair<std::string, std::string>> variants{
        {"sep=; line, semicolons and decimal commas",
         "sep=;\nlabel;T11;T21;Duty2;T12;T22;Reminder\n"
         "Engine 1;600,9;832,5;;;;\n"
         "Engine 2;539,0;1122,5;1;1006,9;1513,5;60  Second\n"},
        {"a quoted sep line, CRLF, a byte-order mark",
         "\xEF\xBB\xBF\"sep=;\"\r\nlabel;T11;T21;Duty2;T12;T22;Reminder\r\n"
         "Engine 1;600.9;832.5;;;;\r\n"
         "Engine 2;539.0;1122.5;1;1006.9;1513.5;60  Second\r\n"},
        {"trailing empty columns",
         "label,T11,T21,Duty2,T12,T22,Reminder,,,\n"
         "Engine 1,600.9,832.5,,,,,,,\n"
         "Engine 2,539.0,1122.5,1,1006.9,1513.5,60  Second,,,\n"},
        {"header names in any case",
         "LABEL,t11,T21,duty2,t12,t22,REMINDER\n"
         "Engine 1,600.9,832.5,,,,\n"
         "Engine 2,539.0,1122.5,1,1006.9,1513.5,60  Second\n"},
        {"a call's tones before its switch",
         "label,T12,T22,Reminder,T21,T11,Duty2\n"
         "Engine 1,,,,832.5,600.9,\n"
         "Engine 2,1006.9,1513.5,60  Second,1122.5,539.0,1\n"},
        {"asset and note columns anywhere",
         "label,asset,T11,T21,Duty2,T12,T22,Note,Reminder\n"
         "Engine 1,SN-1,600.9,832.5,,,,spare,\n"
         "Engine 2,SN-2,539.0,1122.5,1,1006.9,1513.5,,60  Second\n"},
    };
    const FleetPlan expected = Plan(comma);
    ASSERT_EQ(Described(expected.errors), std::vector<std::string>{});
    ASSERT_EQ(expected.pagers.size(), 2u);
    for (const auto& [name, csv] : variants) {
        const FleetPlan plan = Plan(csv);
        ASSERT_EQ(Described(plan.errors), std::vector<std::string>{}) << name;
        ASSERT_EQ(plan.pagers.size(), 2u) << name;
        for (std::size_t i = 0; i < 2; ++i) {
            EXPECT_EQ(plan.pagers[i].label, expected.pagers[i].label) << name;
            EXPECT_EQ(plan.pagers[i].line,
                      expected.pagers[i].line + (csv.find("sep=") != std::string::npos ? 1 : 0))
                << name;
            EXPECT_TRUE(plan.pagers[i].image == expected.pagers[i].image) << name << ", " << i;
        }
    }
    const FleetPlan records = Plan(variants.back().second);
    EXPECT_EQ(records.pagers[0].asset, "SN-1");
    EXPECT_EQ(records.pagers[0].note, "spare");
    EXPECT_EQ(records.pagers[1].asset, "SN-2");
    EXPECT_EQ(records.pagers[1].note, "");
}

TEST(FleetPlanTest, EachPagerKeepsTheListedFieldsItsRowDoesNotSet) {
    const FleetPlan plan = Plan("label,RSSI,T11\nA,,600.9\nB,0.5,539.0\n");
    ASSERT_EQ(Described(plan.errors), std::vector<std::string>{});
    EXPECT_EQ(plan.keep, kDefaultKeptFields);
    EXPECT_EQ(plan.pagers[0].keep, (std::vector<std::string>{"RSSI", "SSI", "RSSI2"}));
    // B's row sets RSSI: that is the value it gets.
    EXPECT_EQ(plan.pagers[1].keep, (std::vector<std::string>{"SSI", "RSSI2"}));
    PlanOptions keepNothing;
    keepNothing.keep.clear();
    EXPECT_TRUE(Plan("label,T11\nA,600.9\n", keepNothing).pagers[0].keep.empty());

    // A field to keep must be one the run could set on that pager's table.
    PlanOptions keepGap;
    keepGap.keep = {"GapMax"};
    const FleetPlan advance = Plan("label,T11\nA,600.9\n", keepGap);
    EXPECT_EQ(Described(advance.errors),
              std::vector<std::string>{"line 2, 'A', GapMax: --keep GapMax (Gap MAX.): on the "
                                       "Advance Setting page, which is hidden until the access "
                                       "code is given"});
}

struct KeepListCase {
    std::vector<std::string> names;
    std::vector<std::string> fields;
    std::string error;
};

TEST(FleetPlanTest, TheKeepListNamesFieldsAUserCanSet) {
    const std::vector<KeepListCase> cases{
        {{"RSSI", "SSI"}, {"RSSI", "SSI"}, ""},
        {{"none"}, {}, ""},
        {{"RSSI", "RSSI"}, {"RSSI"}, ""},
        {{"Rssi"}, {}, "--keep: Unknown field 'Rssi'"},
        {{"PLLR"}, {}, "--keep: PLLR is shown only and cannot be set"},
        {{"Version"}, {}, "--keep: Version is shown only and cannot be set"},
    };
    for (const KeepListCase& c : cases) {
        const KeepListParse parse = ParseKeepList(c.names);
        EXPECT_EQ(parse.error, c.error) << c.names.front();
        if (c.error.empty()) {
            EXPECT_EQ(parse.fields, c.fields) << c.names.front();
        }
    }
}

TEST(FleetPlanTest, UserModeAndTheAccessCodeWorkAsForSet) {
    // Standard Mode takes the nearest standard tone; User Mode the value as typed.
    EXPECT_EQ(Shown(Plan("label,T11\nA,1000\n").pagers.at(0).image, "T11"), "1006.9");
    const FleetPlan user =
        Plan("label,T11\nA,1000\n", {.strict = false, .userMode = true, .accessCode = ""});
    ASSERT_EQ(Described(user.errors), std::vector<std::string>{});
    EXPECT_EQ(Shown(user.pagers[0].image, "T11"), "1000.0");

    const FleetPlan wrongCode = Plan("label,T11\nA,600.9\n", {.accessCode = "nope"});
    ASSERT_EQ(wrongCode.errors.size(), 1u);
    EXPECT_EQ(wrongCode.errors[0].line, 2);
}

TEST(FleetPlanTest, AMissingTemplateRefusesEveryRowWithOpenError) {
    const FleetPlan plan =
        BuildFleetPlan("/nonexistent/template.tbl", ParseRoster("label,T11\nA,600.9\n"), {});
    ASSERT_EQ(plan.errors.size(), 1u);
    EXPECT_NE(plan.errors[0].message.find("Open Error!"), std::string::npos);
}

TEST(FleetPlanTest, TheTestRosterPlansCleanly) {
    const FleetPlan plan = Plan(test::DistinctRoster(24));
    EXPECT_EQ(Described(plan.errors), std::vector<std::string>{});
    EXPECT_EQ(Described(plan.warnings), std::vector<std::string>{});
    EXPECT_EQ(plan.pagers.size(), 24u);
}

TEST(SafeFileBaseTest, LabelsBecomeNamesThatStayInTheFolder) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"Station 12", "Station 12"},
        {"../../etc/passwd", "_._.._etc_passwd"},
        {".hidden", "_hidden"},
        {"..", "_"},
        {"A/B\\C:D*E?F\"G<H>I|J", "A_B_C_D_E_F_G_H_I_J"},
        {"tab\there", "tab_here"},
        {"trailing. . ", "trailing"},
        {"Süd-Wache (2)", "Süd-Wache (2)"},
        {"", "_"},
        {std::string(120, 'x'), std::string(100, 'x')},
        // Cut before a character whose bytes would not all fit.
        {std::string(99, 'x') + "é", std::string(99, 'x')},
    };
    for (const auto& [label, base] : cases) EXPECT_EQ(SafeFileBase(label), base) << label;
}

}  // namespace
}  // namespace mk843nb::fleet
