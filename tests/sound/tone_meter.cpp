#include "tone_meter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace mk843nb::test {
namespace {

struct Run {
    std::size_t first = 0;
    std::size_t end = 0;
};

std::vector<Run> SoundingRuns(std::span<const std::int16_t> samples, int sampleRate) {
    int peak = 0;
    for (std::int16_t s : samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
    std::vector<Run> runs;
    if (peak < 100) return runs;  // silence, or noise at the last bit
    const int threshold = peak / 2;
    const auto bridge = static_cast<std::size_t>(sampleRate / 50);  // 20 ms
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(static_cast<int>(samples[i])) <= threshold) continue;
        if (!runs.empty() && i - runs.back().end <= bridge)
            runs.back().end = i + 1;
        else
            runs.push_back({i, i + 1});
    }
    return runs;
}

// Times (in samples) of the upward zero crossings inside [first, end).
std::vector<double> UpwardCrossings(std::span<const std::int16_t> samples, std::size_t first,
                                    std::size_t end) {
    std::vector<double> crossings;
    for (std::size_t i = first; i + 1 < end; ++i) {
        const double a = samples[i];
        const double b = samples[i + 1];
        if (a < 0.0 && b >= 0.0) crossings.push_back(static_cast<double>(i) + a / (a - b));
    }
    return crossings;
}

double MeanFrequency(const std::vector<double>& crossings, std::size_t from, std::size_t to,
                     int sampleRate) {
    // Leave out a period at each end: the edges of a tone are where its
    // neighbour or a ramp can bend a crossing.
    if (to - from > 4) {
        ++from;
        --to;
    }
    return static_cast<double>(to - from) * sampleRate / (crossings[to] - crossings[from]);
}

}  // namespace

std::vector<MeasuredTone> MeasureTones(std::span<const std::int16_t> samples, int sampleRate) {
    std::vector<MeasuredTone> tones;
    const double rate = sampleRate;
    for (const Run& run : SoundingRuns(samples, sampleRate)) {
        const std::vector<double> t = UpwardCrossings(samples, run.first, run.end);
        if (t.size() < 3) continue;
        // Split the run where the pitch moves by more than 2 % from the
        // current tone's and the next two periods agree with the new pitch
        // (the one period that holds the switch itself belongs to neither).
        auto period = [&](std::size_t k) { return rate / (t[k + 1] - t[k]); };
        auto near = [](double a, double b) { return std::abs(a - b) <= 0.02 * b; };
        std::vector<std::size_t> starts{0};
        double current = period(0);
        for (std::size_t k = 1; k + 3 < t.size(); ++k) {
            const double f = period(k);
            if (near(f, current)) {
                current = f;
            } else if (near(period(k + 1), f) && near(period(k + 2), f)) {
                starts.push_back(k);
                current = f;
            }
        }
        starts.push_back(t.size() - 1);
        for (std::size_t j = 0; j + 1 < starts.size(); ++j) {
            const double begin = j == 0 ? static_cast<double>(run.first) : t[starts[j]];
            const double end =
                j + 2 == starts.size() ? static_cast<double>(run.end) : t[starts[j + 1]];
            tones.push_back({begin / rate, (end - begin) / rate,
                             MeanFrequency(t, starts[j], starts[j + 1], sampleRate)});
        }
    }
    return tones;
}

std::string Describe(const std::vector<MeasuredTone>& tones) {
    std::string text;
    char line[96];
    for (const MeasuredTone& tone : tones) {
        std::snprintf(line, sizeof line, "%.2f Hz at %.3f s for %.3f s; ", tone.hertz,
                      tone.startSeconds, tone.seconds);
        text += line;
    }
    return text.empty() ? "no tone" : text;
}

int LargestStep(std::span<const std::int16_t> samples) {
    int largest = 0;
    for (std::size_t i = 1; i < samples.size(); ++i)
        largest = std::max(largest, std::abs(samples[i] - samples[i - 1]));
    return largest;
}

}  // namespace mk843nb::test
