#pragma once

#include <string>
#include <vector>

#include "link/link_events.h"
#include "link/link_outcome.h"

namespace mk843nb::test {

// Remembers every event the link reported, in order, and what the window
// would show of it: status panel 1's texts, its enabling, PB1, the Pager menu.
struct RecordingEvents : LinkEvents {
    // The Pager menu as the link leaves it.
    enum class Menu { Taken, Restored };

    void Started(LinkCommand command, std::string_view statusText) override {
        log.push_back("Started " + std::string(CommandName(command)));
        statuses.emplace_back(statusText);
        if (command == LinkCommand::Write) ++panel2Clears;
        windowEnabled.push_back(false);
    }
    void StageChanged(LinkStage stage, std::string_view statusText) override {
        log.push_back("StageChanged");
        stages.push_back(stage);
        statuses.emplace_back(statusText);
    }
    void Transferring() override {
        log.push_back("Transferring");
        menus.push_back(Menu::Taken);
        maxima.push_back(256);
    }
    void Progress(int position, int maximum) override {
        positions.push_back(position);
        if (maxima.empty() || maxima.back() != maximum) maxima.push_back(maximum);
    }
    void RepaintProgress() override { ++repaints; }
    void ReplyTimedOut() override { positions.push_back(0); }
    void VersionKnown(std::string_view text) override { versions.emplace_back(text); }
    void BoardFound(int index) override { selectedPorts.push_back(index); }
    bool Outcome(const LinkOutcome& outcome) override {
        log.push_back("Outcome");
        if (outcome.message) outcomes.push_back(*outcome.message);
        return showsOutcome;
    }
    void Closed(const LinkClosing& closing) override {
        log.push_back("Closed " + std::string(CommandName(closing.command)));
        windowEnabled.push_back(true);
        positions.push_back(0);
        if (closing.statusText) statuses.emplace_back(*closing.statusText);
        if (closing.menuRestored) menus.push_back(Menu::Restored);
    }
    void Frame(FrameDirection direction, std::span<const std::uint8_t> bytes,
               std::int64_t) override {
        if (direction == FrameDirection::Sent) sent.emplace_back(bytes.begin(), bytes.end());
    }

    // What Outcome answers: whether the message was shown.
    bool showsOutcome = false;

    // Started, StageChanged, Transferring, Outcome and Closed in order.
    std::vector<std::string> log;
    std::vector<LinkStage> stages;
    std::vector<std::string> statuses;
    int panel2Clears = 0;
    std::vector<bool> windowEnabled;
    std::vector<Menu> menus;
    // PB1's maximum each time it changed.
    std::vector<int> maxima;
    // PB1's position each time it was set, the closing's 0 included.
    std::vector<int> positions;
    int repaints = 0;
    std::vector<std::string> versions;
    std::vector<int> selectedPorts;
    std::vector<Message> outcomes;
    std::vector<std::vector<std::uint8_t>> sent;
};

}  // namespace mk843nb::test
