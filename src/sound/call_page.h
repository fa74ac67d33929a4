#pragma once

// The test page of a pager's calls, from the tones its table holds: a call
// sends its TONE1 then its TONE2, a group call its one tone, and several calls
// follow each other with a gap, as a dispatch console pages them.

#include <cstddef>
#include <string>
#include <vector>

#include "image/pager_image.h"
#include "image/tone_times.h"
#include "sound/test_page.h"

namespace mk843nb {

struct PageTiming {
    double aSeconds = kPageTone1Ms / 1000.0;      // TONE1 of a call
    double bSeconds = kPageTone2Ms / 1000.0;      // TONE2 of a call
    double groupSeconds = kPageGroupMs / 1000.0;  // the tone of a group call
    double gapSeconds = 1.0;                      // silence between two calls
};

struct PageRequest {
    std::vector<int> calls;   // 1 to 4, paged in this order
    std::vector<int> groups;  // 1 to 2, paged after the calls
    PageTiming timing;
};

struct PagedCall {
    std::string label;                 // "CALL #2", "Group CALL #1"
    std::vector<std::uint16_t> tones;  // tenths of a hertz, in the order sent
    bool switchedOn = true;
};

struct CallPagePlan {
    TestPage page;                   // empty when refused
    std::vector<PagedCall> calls;    // what the page sends
    std::string refusal;             // why the page cannot be made; "" when it can
    std::vector<std::string> notes;  // worth saying, not a reason to refuse
};

// The page for the request from a table's image, of which the first
// bytesRead bytes came from the file. A call whose tones lie outside the
// file or are not set (outside 280.0 to 3500.0 Hz, which every rate from
// kPageRateLowest carries) is refused with the reason; a call that is switched off is paged
// with a note, since a bench test may want to show it stays silent. A tone
// shorter than the pager's duration for it (Tone1Len, Tone2Len, Tone3Len) gets
// a note too: the pager may not decode such a page.
CallPagePlan PlanCallPage(const PagerImage& image, std::size_t bytesRead,
                          const PageRequest& request);

}  // namespace mk843nb
