#include "sound/test_page.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>

namespace mk843nb {
namespace {

struct SampleSpan {
    std::size_t first = 0;
    std::size_t end = 0;  // one past the last
};

// The raised-cosine gain of sample i of a run of length samples with ramps of ramp samples.
double RunGain(std::size_t i, std::size_t length, std::size_t ramp) {
    if (ramp == 0) return 1.0;
    const std::size_t fromEdge = std::min(i, length - 1 - i);
    if (fromEdge >= ramp) return 1.0;
    const double x = (static_cast<double>(fromEdge) + 0.5) / static_cast<double>(ramp);
    return 0.5 * (1.0 - std::cos(std::numbers::pi * x));
}

}  // namespace

double PageSeconds(const TestPage& page) {
    double seconds = 0.0;
    for (const PageSegment& segment : page) seconds += segment.seconds;
    return seconds;
}

std::vector<std::int16_t> RenderPage(const TestPage& page, int sampleRate) {
    const double rate = sampleRate;
    std::vector<SampleSpan> spans;
    double time = 0.0;
    std::size_t at = 0;
    for (const PageSegment& segment : page) {
        time += segment.seconds;
        const auto end = static_cast<std::size_t>(std::llround(time * rate));
        spans.push_back({at, std::max(at, end)});
        at = spans.back().end;
    }
    std::vector<std::int16_t> samples(at, 0);

    const auto rampSamples = static_cast<std::size_t>(std::llround(kPageRampSeconds * rate));
    double phase = 0.0;  // in cycles, kept in [0, 1) so precision holds over long pages
    std::size_t s = 0;
    while (s < page.size()) {
        if (page[s].hertz <= 0.0) {
            ++s;
            continue;
        }
        std::size_t runEnd = s;
        while (runEnd < page.size() && page[runEnd].hertz > 0.0) ++runEnd;
        const std::size_t runFirst = spans[s].first;
        const std::size_t runLength = spans[runEnd - 1].end - runFirst;
        const std::size_t ramp = std::min(rampSamples, runLength / 2);
        for (std::size_t k = s; k < runEnd; ++k) {
            const double step = page[k].hertz / rate;
            for (std::size_t i = spans[k].first; i < spans[k].end; ++i) {
                const double gain = kPageAmplitude * RunGain(i - runFirst, runLength, ramp);
                const double value = gain * std::sin(2.0 * std::numbers::pi * phase);
                samples[i] = static_cast<std::int16_t>(std::lround(value * 32767.0));
                phase += step;
                phase -= std::floor(phase);
            }
        }
        s = runEnd;
    }
    return samples;
}

}  // namespace mk843nb
