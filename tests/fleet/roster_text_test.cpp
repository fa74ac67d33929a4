// The texts a roster carries (labels, assets, notes): what ends a file, what
// a label may hold, and cells a spreadsheet would take as formulas, written
// and read back.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fleet/csv_cell.h"
#include "fleet/fleet_plan.h"
#include "fleet/fleet_report.h"
#include "fleet/roster.h"
#include "fleet/roster_export.h"
#include "fleet_test_support.h"
#include "test_files.h"

namespace mk843nb::fleet {
namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;

const fs::path kTemplate = MK843NB_FIXTURES "/shipped_default.tbl";

std::vector<std::string> Described(const std::vector<FleetProblem>& problems) {
    std::vector<std::string> lines;
    for (const FleetProblem& problem : problems) lines.push_back(Describe(problem));
    return lines;
}

std::vector<std::string> Labels(const Roster& roster) {
    std::vector<std::string> labels;
    for (const RosterRow& row : roster.rows) labels.push_back(row.label);
    return labels;
}

TEST(RosterTextTest, EndOfFileMarksAndBlankRowsAreNoPagers) {
    struct Case {
        std::string name;
        std::string csv;
    };
    const std::vector<Case> cases{
        {"a Ctrl-Z after the last line", "label,T11\r\nA,600.9\r\nB,539.0\r\n\x1a"},
        {"a Ctrl-Z ending the last line", "label,T11\r\nA,600.9\r\nB,539.0\x1a"},
        {"several Ctrl-Z and line breaks", "label,T11\nA,600.9\nB,539.0\n\x1a\n\x1a\x1a"},
        {"NUL padding to a block", "label,T11\nA,600.9\nB,539.0\n"s + std::string(40, '\0')},
        {"NULs and a Ctrl-Z", "label,T11\nA,600.9\nB,539.0\n\x1a"s + std::string(3, '\0')},
        {"a row of NULs and blanks between rows", "label,T11\nA,600.9\n\0, \0\nB,539.0\n"s},
    };
    for (const Case& c : cases) {
        const RosterParse parse = ParseRoster(c.csv);
        EXPECT_EQ(Described(parse.errors), std::vector<std::string>{}) << c.name;
        EXPECT_EQ(Labels(parse.roster), (std::vector<std::string>{"A", "B"})) << c.name;
        EXPECT_EQ(parse.roster.rows.back().cells, std::vector<std::string>{"539.0"}) << c.name;
    }
}

TEST(RosterTextTest, ControlCharactersInLabelsAndAssetsAndLongNotesAreRefusedByRow) {
    const std::string longNote(kNoteLimit + 1, 'n');
    struct Case {
        std::string name;
        std::string csv;
        std::vector<std::string> errors;
    };
    const std::vector<Case> cases{
        {"an escape sequence in a label",
         "label,T11\nA,600.9\n\"B\x1b[2J\",539.0\n",
         {"line 3, 'B\\x1b[2J', label: the label holds a control character (\\x1b), which a "
          "terminal would act on; take it out of the cell"}},
        {"a tab in a label's middle",
         "label,T11\n\"B\tC\",539.0\n",
         {"line 2, 'B\\x09C', label: the label holds a control character (\\x09), which a "
          "terminal would act on; take it out of the cell"}},
        {"a line break in a quoted label",
         "label,T11\n\"Two\nlines\",539.0\n",
         {"line 2, 'Two\\x0alines', label: the label holds a control character (\\x0a), which a "
          "terminal would act on; take it out of the cell"}},
        {"a bell in an asset",
         "label,asset\nA,SN\x07"
         "1\n",
         {"line 2, 'A', asset: the asset holds a control character (\\x07), which a terminal "
          "would act on; take it out of the cell"}},
        {"a C1 control (CSI) in UTF-8 in an asset",
         "label,asset\nA,SN\xC2\x9B"
         "1\n",
         {"line 2, 'A', asset: the asset holds a control character (\\xc2\\x9b), which a "
          "terminal would act on; take it out of the cell"}},
        {"a note over the limit",
         "label,note\nA,ok\nB," + longNote + "\n",
         {"line 3, 'B', note: the note is " + std::to_string(kNoteLimit + 1) +
          " bytes long; a note may have at most " + std::to_string(kNoteLimit)}},
    };
    for (const Case& c : cases) {
        const FleetPlan plan = BuildFleetPlan(kTemplate, ParseRoster(c.csv), {});
        EXPECT_EQ(Described(plan.errors), c.errors) << c.name;
    }
}

TEST(RosterTextTest, NotesMayHoldLineBreaksAndTabsUpToTheLimit) {
    const std::string longest(kNoteLimit, 'n');
    const RosterParse parse = ParseRoster("label,note\nA,\"night\nshift\tB\"\nB," + longest + "\n");
    ASSERT_EQ(Described(parse.errors), std::vector<std::string>{});
    ASSERT_EQ(parse.roster.rows.size(), 2u);
    EXPECT_EQ(parse.roster.rows[0].note, "night\nshift\tB");
    EXPECT_EQ(parse.roster.rows[1].note, longest);
}

// Texts a spreadsheet would run as formulas, and texts that only look close to them.
const std::vector<std::string> kCellTexts{
    "=1+1",        "+33 1 23",    "-2+3",           "@SUM(A1:A9)", "=HYPERLINK(\"x\",\"y\")",
    "\tnight",     "\rcab",       "'=1+1",          "''@x",        "'plain",
    "'-5",         "-5",          "-0.25",          "-",           "'",
    "plain words", "a, b; \"c\"", "Feuerwache Süd", "SN-1",        "=",
};

TEST(CsvCellTest, FormulaCellsAreWrittenAfterAnApostropheAndReadBackAsTheyWere) {
    for (const std::string& text : kCellTexts) {
        for (const CsvQuoting quoting : {CsvQuoting::AsNeeded, CsvQuoting::Always}) {
            const std::string cell = CsvCell(text, quoting);
            // What a spreadsheet sees first once the quotes are taken away.
            const std::string_view content =
                cell.starts_with('"') ? std::string_view(cell).substr(1) : cell;
            const bool negativeNumber = text == "-5" || text == "-0.25";
            if (!negativeNumber && !content.empty()) {
                EXPECT_EQ(std::string_view("=+-@\t\r").find(content.front()),
                          std::string_view::npos)
                    << text;
            }
            // Through the roster reader, as a note (the one column that keeps tabs).
            const RosterParse parse = ParseRoster("label,note\r\nA," + cell + "\r\n");
            ASSERT_EQ(Described(parse.errors), std::vector<std::string>{}) << text;
            ASSERT_EQ(parse.roster.rows.size(), 1u) << text;
            EXPECT_EQ(parse.roster.rows[0].note, text) << cell;
        }
    }
    // Plain cells stay as a user would type them; numbers stay numbers.
    EXPECT_EQ(CsvCell("SN-1", CsvQuoting::AsNeeded), "SN-1");
    EXPECT_EQ(CsvCell("-5", CsvQuoting::AsNeeded), "-5");
    EXPECT_EQ(CsvCell("=1+1", CsvQuoting::AsNeeded), "'=1+1");
    EXPECT_EQ(CsvCell("@x", CsvQuoting::Always), "\"'@x\"");
}

TEST(CsvCellTest, AnExportedRosterGuardsFormulasAndPlansTheSameRowsAgain) {
    const std::vector<ExportTable> tables{
        {"=1+1", kTemplate, "@asset", "\tnight"},
        {"+Ward", kTemplate, "-SN 2", "-2+3"},
        {"Ward 3", kTemplate, "SN-3", "plain"},
    };
    const RosterExport exported = ExportRoster(kTemplate, tables, {});
    ASSERT_EQ(exported.errors, std::vector<std::string>{});
    EXPECT_EQ(exported.csv,
              "label,asset,note\r\n"
              "'=1+1,'@asset,'\tnight\r\n"
              "'+Ward,'-SN 2,'-2+3\r\n"
              "Ward 3,SN-3,plain\r\n");
    const RosterParse parse = ParseRoster(exported.csv);
    ASSERT_EQ(Described(parse.errors), std::vector<std::string>{});
    ASSERT_EQ(parse.roster.rows.size(), tables.size());
    for (std::size_t i = 0; i < tables.size(); ++i) {
        EXPECT_EQ(parse.roster.rows[i].label, tables[i].label);
        EXPECT_EQ(parse.roster.rows[i].asset, tables[i].asset);
        EXPECT_EQ(parse.roster.rows[i].note, tables[i].note);
    }
}

TEST(CsvCellTest, TheRunReportGuardsFormulasAndKeepsTheTextsInItsJson) {
    const test::TempDir folder;
    ReportLine line;
    line.label = "=cmd|' /C calc'!A0";
    line.port = "/dev/ttyUSB0";
    line.start = "2026-12-10T13:25:06Z";
    line.result = PagerResult::Written;
    line.message = "Write Sucess !";
    line.asset = "@SN";
    line.note = "-1+1";
    FleetReport report(folder.Path());
    ASSERT_FALSE(report.Load());
    ASSERT_TRUE(report.Append(line));
    EXPECT_EQ(test::Slurp(fs::path(folder.Path()) / kReportCsvName),
              "label,port,start,seconds,result,message,backup,sha256,asset,note,kept\r\n"
              "\"'=cmd|' /C calc'!A0\",\"/dev/ttyUSB0\",\"2026-12-10T13:25:06Z\",0.0,"
              "\"written\",\"Write Sucess !\",\"\",\"\",\"'@SN\",\"'-1+1\",\"\"\r\n");
    FleetReport again(folder.Path());
    ASSERT_FALSE(again.Load());
    ASSERT_EQ(again.Lines().size(), 1u);
    EXPECT_EQ(again.Lines()[0].label, line.label);
    EXPECT_EQ(again.Lines()[0].asset, line.asset);
    EXPECT_EQ(again.Lines()[0].note, line.note);
}

}  // namespace
}  // namespace mk843nb::fleet
