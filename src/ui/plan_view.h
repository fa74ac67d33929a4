#pragma once

// What the window's "Tone plan…" view shows, without the toolkit: the plan
// read from the sources the user opened, its pagers and addresses, its
// problems in the words of tones check, free pairs, the chart's layout and the
// test page of any address. The window only shows it.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "sound/call_page.h"
#include "sound/test_page.h"
#include "tones/plan_check.h"
#include "tones/plan_suggest.h"
#include "tones/tone_plan.h"
#include "tones_chart/chart_layout.h"

namespace mk843nb::tones {

// One address of a pager, as a row of the view's list.
struct PlanViewRow {
    std::size_t pager = 0;
    std::size_t address = 0;
    std::string label;      // the pager's
    std::string name;       // "call 1", "group call 2"
    std::string tones;      // "600.9 (Mot 2, 1) / 634.5 (Mot 2, 2)"; a group call's one tone
    std::string bandwidth;  // "±1.5%"
    bool inProblem = false;
};

class PlanView {
public:
    // Reads the plan from the paths (table files, folders, fleet plan folders)
    // and checks it. "" when it could; else why not, and the view keeps what it had.
    std::string Open(const std::vector<std::filesystem::path>& paths);
    // The paths it was last opened from.
    const std::vector<std::filesystem::path>& Sources() const { return sources_; }
    const TonePlan& Plan() const { return plan_; }

    std::vector<PlanViewRow> Rows() const;
    // "3 pagers: 1 problem", as tones check starts.
    std::string Summary() const;
    // One paragraph a problem, the most serious first, then one an address
    // shared on purpose, in the words of tones check.
    std::vector<std::string> ProblemTexts() const;
    // "600.9 (Mot 2, 1) / 634.5 (Mot 2, 2)  (nearest tone in use 2.10% away)".
    std::vector<std::string> Suggest(int count) const;

    ChartLayout Layout(ChartSize size) const;

    // The test page of a row's address: a call's TONE1 then its TONE2, a group
    // call's one tone, as long as the command line's page sends them.
    TestPage PageOf(const PlanViewRow& row, const PageTiming& timing = {}) const;

private:
    std::vector<std::filesystem::path> sources_;
    TonePlan plan_;
    std::vector<CallPair> shared_;
    CheckResult check_;
};

}  // namespace mk843nb::tones
