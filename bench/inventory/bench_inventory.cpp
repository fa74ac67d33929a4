// The inventory of a large shop: 50,000 pagers with 500,000 images. Prints
// what a bench waits for, each against its goal: identifying a placed pager
// (20 ms), a pager's history (100 ms), the list of every pager with its latest
// record (2 s), and what recording and claiming add to a pager's programming
// (50 ms: its pager, its claim, the pre-write and write records, the release).
//
//   bench_inventory [FOLDER]
//
// The inventory is built in FOLDER (default /dev/shm, else $TMPDIR or /tmp), where
// building it costs no disk syncs. The per-pager figure is then measured again on a
// copy in the working folder, where every transaction waits for the disk as a bench's does.

#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "image/fields.h"
#include "inventory/inventory.h"

namespace {

using namespace mk843nb;
using namespace mk843nb::inventory;
using Millis = std::chrono::duration<double, std::milli>;

constexpr int kPagers = 50'000;
constexpr int kImagesPerPager = 10;
constexpr int kSamples = 200;

// Pager n's image after its k-th programming: its own address and levels, k changing another byte.
PagerImage ImageOf(int n, int k) {
    PagerImage image = DefaultImage();
    SetFieldCode(image, FieldNamed("T11"), static_cast<std::uint32_t>(2800 + n % 30000));
    SetFieldCode(image, FieldNamed("T21"),
                 static_cast<std::uint32_t>(3000 + n / 30000 * 100 + k % 2));
    SetFieldCode(image, FieldNamed("RSSI"), static_cast<std::uint32_t>(n % 86));
    SetFieldCode(image, FieldNamed("SSI"), static_cast<std::uint32_t>(n / 86 % 86));
    SetFieldCode(image, FieldNamed("RSSI2"), 40);
    SetFieldCode(image, FieldNamed("MiniRecTime"), static_cast<std::uint32_t>(k));
    StoreChecksum(image);
    return image;
}

std::string Plan(int n) { return "/plans/district-" + std::to_string(n % 50); }

void Check(bool ok, const std::string& error) {
    if (ok) return;
    std::fprintf(stderr, "bench_inventory: %s\n", error.c_str());
    std::exit(1);
}

// The median, the 95th percentile and the slowest of samples of what; the goal
// is judged by the 95th percentile (the slowest is one disk stall or checkpoint).
void Report(const char* what, std::vector<double> samples, double goal) {
    std::sort(samples.begin(), samples.end());
    const double median = samples[samples.size() / 2];
    const double p95 = samples[samples.size() * 95 / 100];
    const double worst = samples.back();
    std::printf("%-44s median %8.3f  p95 %8.3f  slowest %8.3f ms  goal %5.0f ms  %s\n", what,
                median, p95, worst, goal, p95 < goal ? "met" : "NOT MET");
    std::fflush(stdout);
}

std::vector<double> Sample(int count, const std::function<void(int)>& once) {
    std::vector<double> samples;
    for (int i = 0; i < count; ++i) {
        const auto start = std::chrono::steady_clock::now();
        once(i);
        samples.push_back(Millis(std::chrono::steady_clock::now() - start).count());
    }
    return samples;
}

std::unique_ptr<Inventory> OpenAt(const std::string& path) {
    auto open = Inventory::Open(path);
    Check(open.ok(), open.error);
    return std::move(*open.value);
}

void Build(Inventory& inventory) {
    const auto start = std::chrono::steady_clock::now();
    const auto t0 = Clock::now() - std::chrono::hours(24 * 365);
    std::vector<ImageRecord> batch;
    for (int n = 0; n < kPagers; ++n) {
        const auto pager = inventory.EnsurePager({.asset = "SN-" + std::to_string(n),
                                                  .label = "Unit " + std::to_string(n),
                                                  .plan = Plan(n)});
        Check(pager.ok(), pager.error);
        for (int k = 0; k < kImagesPerPager; ++k)
            batch.push_back({.pagerId = pager.value->id,
                             .kind = k % 2 == 0 ? ImageKind::PreWrite : ImageKind::Write,
                             .image = ImageOf(n, k),
                             .result = k % 2 == 0 ? "read" : "written",
                             .time = t0 + std::chrono::minutes(n * kImagesPerPager + k),
                             .origin = {.bench = "bench-1",
                                        .operatorName = "ann",
                                        .port = "/dev/ttyUSB0",
                                        .board = "board 1",
                                        .plan = Plan(n),
                                        .row = n / 50 + 1}});
        if (batch.size() >= 20'000 || n == kPagers - 1) {
            Check(inventory.RecordAll(batch).ok(), "cannot record the images");
            batch.clear();
        }
    }
    std::fflush(stdout);
    std::printf("built %d pagers with %d images in %.1f s\n", kPagers, kPagers * kImagesPerPager,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

// One pager's programming as a fleet run records it.
void ProgramOne(Inventory& inventory, int n, const std::string& plan) {
    const auto pager = inventory.EnsurePager(
        {.asset = "NEW-" + std::to_string(n), .label = "New " + std::to_string(n), .plan = plan});
    Check(pager.ok(), pager.error);
    Check(
        inventory.ClaimRow(plan, n + 1, "bench-1", ::getpid()).value.value_or(ClaimAnswer{}).taken,
        "claim not taken");
    const Origin origin{.bench = "bench-1",
                        .operatorName = "ann",
                        .port = "/dev/ttyUSB0",
                        .board = "board 1",
                        .plan = plan,
                        .row = n + 1};
    Check(inventory
              .Record({.pagerId = pager.value->id,
                       .kind = ImageKind::PreWrite,
                       .image = DefaultImage(),
                       .result = "read",
                       .origin = origin})
              .ok(),
          "record");
    Check(inventory.Identify(DefaultImage()).ok(), "identify");
    Check(inventory
              .Record({.pagerId = pager.value->id,
                       .kind = ImageKind::Write,
                       .image = ImageOf(kPagers + n, 1),
                       .result = "written",
                       .origin = origin})
              .ok(),
          "record");
    Check(inventory.ReleaseRow(plan, n + 1, "bench-1", ::getpid(), "written").ok(), "release");
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    std::string folder = argc > 1 ? argv[1] : "";
    if (folder.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        folder = std::filesystem::is_directory("/dev/shm")
                     ? "/dev/shm"
                     : (tmp != nullptr && *tmp != '\0' ? tmp : "/tmp");
    }
    const std::string path =
        folder + "/mk843nb-bench-inventory-" + std::to_string(::getpid()) + ".sqlite";
    const std::string diskPath = std::filesystem::current_path().string() +
                                 "/mk843nb-bench-inventory-" + std::to_string(::getpid()) +
                                 ".sqlite";
    auto removeAll = [](const std::string& file) {
        for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(file + suffix);
    };

    {
        auto inventory = OpenAt(path);
        Build(*inventory);
        std::printf("file: %.0f MB\n", static_cast<double>(std::filesystem::file_size(path)) / 1e6);

        Report("identify by exact image",
               Sample(kSamples,
                      [&](int i) {
                          const int n = (i * 7919) % kPagers;
                          const auto identity =
                              inventory->Identify(ImageOf(n, kImagesPerPager - 1));
                          Check(identity.ok() && identity.value->HoldsLastWrite(),
                                "identify by image");
                      }),
               20);
        Report("identify by address and levels",
               Sample(kSamples,
                      [&](int i) {
                          const int n = (i * 7919) % kPagers;
                          const auto identity = inventory->Identify(ImageOf(n, 99));
                          Check(identity.ok() && identity.value->by == Identity::By::AddressLevels,
                                "identify by levels");
                      }),
               20);
        Report("identify a pager never seen",
               Sample(kSamples,
                      [&](int) {
                          Check(inventory->Identify(DefaultImage()).ok(), "identify nobody");
                      }),
               20);
        Report("history of a pager (by asset)",
               Sample(kSamples,
                      [&](int i) {
                          const auto pager =
                              inventory->FindPager("SN-" + std::to_string((i * 7919) % kPagers));
                          Check(pager.ok() && pager.value->has_value(), "find");
                          const auto history = inventory->History((*pager.value)->id);
                          Check(history.ok() && history.value->size() == kImagesPerPager,
                                "history");
                      }),
               100);
        Report("list of every pager with its latest record",
               Sample(3,
                      [&](int) {
                          const auto list = inventory->List({});
                          Check(list.ok() && list.value->size() == kPagers, "list");
                      }),
               2000);
        Report("list of one plan",
               Sample(20,
                      [&](int i) {
                          Check(inventory->List({.plan = Plan(i)}).ok(), "list of a plan");
                      }),
               2000);
        Report("a pager programmed (pager, claim, 2 records)",
               Sample(kSamples, [&](int i) { ProgramOne(*inventory, i, "/plans/bench"); }), 50);
    }
    if (diskPath.rfind(folder, 0) != 0) {
        std::filesystem::copy_file(path, diskPath);
        auto inventory = OpenAt(diskPath);
        Report("the same on the working folder's disk",
               Sample(50, [&](int i) { ProgramOne(*inventory, kSamples + i, "/plans/bench"); }),
               50);
    }
    removeAll(path);
    removeAll(diskPath);
    return 0;
}
