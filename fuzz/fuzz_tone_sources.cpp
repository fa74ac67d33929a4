// Tone-plan sources as any bytes: a folder of table files, or a fleet plan
// folder (plan.json and its tables). The input's first byte chooses which;
// a plan folder's plan.json takes the length the next two bytes give; the
// rest is cut into table files 1.tbl, 2.tbl, ... of 256 bytes each (the last
// one may be short). Reading must never crash, and ends either with a plan or
// with a message; every pager of a plan has a label and its table's path.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_folder.h"
#include "image/pager_image.h"
#include "tone_sources/plan_sources.h"

namespace {

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace mk843nb;
    static fuzz::FuzzFolder folder("mk843nb-fuzz-tones");
    if (size < 1) return 0;
    const bool planFolder = (data[0] & 1) != 0;
    std::string_view rest = fuzz::Text(data + 1, size - 1);
    folder.Fresh();
    if (planFolder) {
        if (rest.size() < 2) return 0;
        const std::size_t length = std::min<std::size_t>(
            static_cast<std::uint8_t>(rest[0]) |
                static_cast<std::size_t>(static_cast<std::uint8_t>(rest[1])) << 8,
            rest.size() - 2);
        folder.Put("plan.json", rest.substr(2, length));
        rest.remove_prefix(2 + length);
    }
    // At most eight tables: the work is in the reading, not in the count.
    for (int n = 1; !rest.empty() && n <= 8; ++n) {
        const std::size_t length = std::min<std::size_t>(kImageSize, rest.size());
        folder.Put(std::to_string(n) + ".tbl", rest.substr(0, length));
        rest.remove_prefix(length);
    }

    const tones::PlanSourcesRead read = tones::ReadTonePlan({folder.Path()});
    if (!read.error.empty()) return 0;
    for (const tones::PlanPager& pager : read.plan.pagers) {
        Check(!pager.label.empty(), "a pager without a label");
        Check(!pager.source.empty(), "a pager without its table's path");
    }
    return 0;
}
