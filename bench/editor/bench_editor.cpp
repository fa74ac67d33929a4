// Figures of the form model: a full refresh of the window from an image (goal:
// under 50 microseconds), a fresh start, and one value typed and committed.

#include <benchmark/benchmark.h>

#include <cstdio>

#include "editor/form_driver.h"
#include "editor/form_model.h"

namespace mk843nb {
namespace {

// Every call and group call on, Privacy and Push To Listen on, Delay shown:
// the refresh runs the most rules it can.
PagerImage BusyImage() {
    PagerImage image = DefaultImage();
    image[48] = 0x0F;
    image[95] = 0x03;
    image[69] = 0xFF;
    image[81] = 0x1C;
    image[67] = 4;
    image[70] = 100;
    return image;
}

void BM_RefreshWindow_SameImage(benchmark::State& state) {
    FormModel model;
    const PagerImage image = model.Image();
    for (auto _ : state) benchmark::DoNotOptimize(model.ReplaceImage(image));
}
BENCHMARK(BM_RefreshWindow_SameImage)->Unit(benchmark::kMicrosecond);

// Alternating images: every check box changes state, so every click rule and
// the tone checks of the calls switched on run too.
void BM_RefreshWindow_AlternatingImages(benchmark::State& state) {
    FormModel model;
    const PagerImage images[2] = {DefaultImage(), BusyImage()};
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(model.ReplaceImage(images[i++ & 1]));
}
BENCHMARK(BM_RefreshWindow_AlternatingImages)->Unit(benchmark::kMicrosecond);

void BM_FreshStart(benchmark::State& state) {
    for (auto _ : state) {
        FormModel model;
        benchmark::DoNotOptimize(model.Image());
    }
}
BENCHMARK(BM_FreshStart)->Unit(benchmark::kMicrosecond);

void BM_TypeAndCommitATone(benchmark::State& state) {
    FormModel model;
    FormDriver user(model);
    const char* tones[2] = {"330.5", "669.9"};
    std::size_t i = 0;
    for (auto _ : state) user.EnterValue("edtT11", tones[i++ & 1]);
}
BENCHMARK(BM_TypeAndCommitATone)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace mk843nb

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::printf("goal: a full refresh (BM_RefreshWindow_*) under 50 us\n");
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
