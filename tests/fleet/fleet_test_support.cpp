#include "fleet_test_support.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "image/tones.h"

namespace mk843nb::test {

std::string DistinctRoster(int count, const std::string& prefix) {
    std::vector<int> tones;
    for (const ToneGroup& group : StandardToneTable())
        for (std::uint16_t tone : group.tones) tones.push_back(tone);
    std::sort(tones.begin(), tones.end());
    tones.erase(std::unique(tones.begin(), tones.end()), tones.end());
    std::string csv = "label,T11,T21\n";
    for (int i = 0; i < count; ++i) {
        // Every second tone, from the low and the high half: the pair is well
        // apart and no two pagers share a TONE1.
        const int first = tones[static_cast<std::size_t>(2 * i) % (tones.size() / 2)];
        const int second =
            tones[tones.size() / 2 + static_cast<std::size_t>(2 * i) % (tones.size() / 2)];
        char row[96];
        std::snprintf(row, sizeof row, "%s %d,%d.%d,%d.%d\n", prefix.c_str(), i + 1, first / 10,
                      first % 10, second / 10, second % 10);
        csv += row;
    }
    return csv;
}

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace mk843nb::test
