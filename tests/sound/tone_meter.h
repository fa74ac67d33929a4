#pragma once

// A measurement of recorded or written tones, made for the tests apart from
// the generator: where sound is (a level threshold), and within it the pitch
// from upward zero crossings placed by linear interpolation between samples.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace mk843nb::test {

struct MeasuredTone {
    double startSeconds = 0.0;
    double seconds = 0.0;
    double hertz = 0.0;
};

// The tones heard, in order. A tone begins and ends where the signal first and
// last rises above half its peak (so a raised-cosine ramp costs about half its
// length at each end of a sounding run); a change of pitch of more than 2 %
// inside a run starts a new tone. Quiet stretches shorter than 20 ms do not
// split a run.
std::vector<MeasuredTone> MeasureTones(std::span<const std::int16_t> samples, int sampleRate);

// "669.90 Hz at 0.000 s for 1.000 s; ..." for failure messages.
std::string Describe(const std::vector<MeasuredTone>& tones);

// The largest step between neighbouring samples.
int LargestStep(std::span<const std::int16_t> samples);

}  // namespace mk843nb::test
