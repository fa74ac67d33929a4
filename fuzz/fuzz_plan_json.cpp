// plan.json as any bytes: a plan folder a user copied, edited or half wrote.
// Loading must never crash, and ends either with a plan or with a message;
// every pager of a plan names a table file in the plan's own folder.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fleet/plan_folder.h"
#include "fuzz_folder.h"

namespace {

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace mk843nb;
    static fuzz::FuzzFolder folder("mk843nb-fuzz-plan");
    folder.Fresh();
    folder.Put("plan.json", fuzz::Text(data, size));
    const fleet::PlanLoad load = fleet::LoadPlanFolder(folder.Path());
    Check(load.manifest.has_value() != !load.error.empty(), "neither a plan nor a message");
    if (!load.manifest) return 0;
    for (const fleet::PlanEntry& pager : load.manifest->pagers) {
        const std::filesystem::path file(pager.file);
        Check(!file.empty() && file.filename() == file && file != "." && file != "..",
              "a pager's table outside the plan folder");
    }
    return 0;
}
