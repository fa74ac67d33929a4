#pragma once

// How long a pager needs the tones of a page, and how long a page's tones
// last: a decoder takes a tone only when it has lasted long enough, so a short
// tone of another pager's page can be within its bandwidth and still not set
// it off.

#include <string>

#include "image/pager_image.h"

namespace mk843nb {

// A page as a dispatch console sends it, and as the test page sounds it.
inline constexpr int kPageTone1Ms = 1000;  // a call's TONE1
inline constexpr int kPageTone2Ms = 3000;  // a call's TONE2
inline constexpr int kPageGroupMs = 8000;  // a group call's one tone

enum class PageTone { Tone1, Tone2, Group };

// The table's timing of the decoder, x 100 ms: Tone1Len and Tone1Limit,
// Tone2Len and Tone2Limit, Tone3Len (the group-call duration).
struct ToneTimes {
    int tone1Len = 3;
    int tone1Limit = 1;
    int tone2Len = 3;
    int tone2Limit = 1;
    int groupLen = 50;
};

ToneTimes ToneTimesOf(const PagerImage& image);

// The length of a tone, in ms, that the pager surely takes: its duration.
int SureMs(const ToneTimes& times, PageTone tone);
// The shortest tone it may take, in ms: its duration less its limit (the
// decoder's allowance); a group tone has no limit. A check drops a page only
// when its tone is shorter than this, so no real risk is hidden.
int ShortestMs(const ToneTimes& times, PageTone tone);

// "1 s", "0.2 s", "10 s".
std::string MillisecondsText(int ms);
// "Tone1 duration", "Tone2 duration", "group-call duration".
std::string DurationName(PageTone tone);

}  // namespace mk843nb
