#pragma once

// A test page as sound: a run of tones and silences, rendered to 16-bit mono
// samples the way a two-tone encoder sends them, so a pager on the bench or a
// transmitter's audio input hears what a dispatch console would send.

#include <cstdint>
#include <vector>

namespace mk843nb {

struct PageSegment {
    double hertz = 0.0;  // 0 is silence
    double seconds = 0.0;
};

using TestPage = std::vector<PageSegment>;

// Each sounding run (tones back to back, between silences or at the ends)
// rises and falls over this long a raised cosine, so it starts and stops
// without a click; the tones inside a run follow each other with no dip.
inline constexpr double kPageRampSeconds = 0.005;
// The peak level, of full scale: about -3 dBFS, clear of clipping.
inline constexpr double kPageAmplitude = 0.7;

inline constexpr int kPageRateLowest = 8000;
inline constexpr int kPageRateHighest = 192000;

double PageSeconds(const TestPage& page);

// The page as samples at sampleRate. A segment ends on the sample nearest its
// end time counted from the start of the page, so lengths never drift however
// many segments there are. The sine's phase runs on across every change of
// tone, so the switch from TONE1 to TONE2 makes no step in the waveform.
std::vector<std::int16_t> RenderPage(const TestPage& page, int sampleRate);

}  // namespace mk843nb
