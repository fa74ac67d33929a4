#pragma once

#include <string>
#include <vector>

#include "link/link_hooks.h"

namespace mk843nb::test {

// Remembers everything the link showed, in order.
struct RecordingHooks : LinkHooks {
    void SetStatusText(std::string_view text) override { statuses.emplace_back(text); }
    void ClearStatusPanel2() override { ++panel2Clears; }
    void SetWindowEnabled(bool enabled) override { windowEnabled.push_back(enabled); }
    void SetMenuItems(const PagerMenuItems& items) override { menus.push_back(items); }
    void SetProgressRange(int minimum, int maximum) override {
        ranges.emplace_back(minimum, maximum);
    }
    void SetProgress(int position) override { positions.push_back(position); }
    void RepaintProgress() override { ++repaints; }
    void ShowVersion(std::string_view text) override { versions.emplace_back(text); }
    void SelectPort(int index) override { selectedPorts.push_back(index); }
    void TraceFrame(FrameDirection direction, std::span<const std::uint8_t> bytes,
                    std::int64_t) override {
        if (direction == FrameDirection::Sent) sent.emplace_back(bytes.begin(), bytes.end());
    }

    std::vector<std::string> statuses;
    int panel2Clears = 0;
    std::vector<bool> windowEnabled;
    std::vector<PagerMenuItems> menus;
    std::vector<std::pair<int, int>> ranges;
    std::vector<int> positions;
    int repaints = 0;
    std::vector<std::string> versions;
    std::vector<int> selectedPorts;
    std::vector<std::vector<std::uint8_t>> sent;
};

}  // namespace mk843nb::test
