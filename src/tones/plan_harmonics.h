#pragma once

// Harmonics: a tone at twice or three times a tone a page sends, within a
// pager's bandwidth of one of its own tones. A decoder that filters well
// ignores it, but an older reed decoder may respond, so it is a warning to
// look at, never a problem of the plan.

#include <cstdint>
#include <string>
#include <vector>

#include "tones/plan_check.h"
#include "tones/tone_plan.h"

namespace mk843nb::tones {

struct Harmonic {
    std::uint16_t sent = 0;  // the tone a page sends
    int multiple = 2;        // 2 or 3
    std::uint16_t own = 0;   // the tone a decoder may take sent x multiple for
    // The addresses whose page sends the tone (role Paged), then those that
    // hold `own` and may respond (role Rings).
    std::vector<ProblemPart> parts;
    std::string detail;
};

// Every harmonic, by sent tone, multiple and own tone, each once with its full
// lists; a pager is never said to respond to its own page.
std::vector<Harmonic> FindHarmonics(const TonePlan& plan);

}  // namespace mk843nb::tones
