#include "golden_record.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "test_files.h"

namespace mk843nb::test {
namespace {

struct Patch {
    std::size_t offset;
    std::uint8_t value;
};

struct Variant {
    const char* name;
    std::vector<Patch> patches;
};

// Each variant changes the default image in a few bytes, so that one rule of
// the refresh or one entry rule meets a code it rarely sees.
std::vector<Variant> Variants() {
    return {
        {"high_band", {{3, 4}, {4, 6}, {5, 2}, {6, 0}, {7, 0}, {8, 0}, {9, 0}, {10, 0}}},
        {"cspace_0", {{10, 0}}},
        {"cspace_1", {{10, 1}}},
        {"cspace_3", {{10, 3}}},
        {"cspace_auto_33", {{10, 33}}},
        {"cspace_auto_37", {{10, 37}}},
        {"cspace_10", {{10, 10}}},
        {"cspace_40_high", {{3, 4}, {4, 6}, {5, 2}, {10, 40}}},
        {"write_mark", {{11, 1}}},
        {"resetcon_1", {{67, 1}}},
        {"resetcon_2_ptl", {{67, 2}, {69, 0x02}}},
        {"resetcon_5", {{67, 5}}},
        {"resetcon_9", {{67, 9}}},
        {"sys_all", {{69, 0xFF}}},
        {"sys_privacy", {{69, 0x80}, {81, 0x10}}},
        {"sys_ptl_alert", {{69, 0x02}, {81, 0x10}}},
        {"sys_audio_voice", {{69, 0x05}, {62, 2}}},
        {"byte81_all", {{81, 0xFF}}},
        {"calls_off", {{48, 0x00}, {95, 0x00}}},
        {"calls_all", {{48, 0x0F}, {95, 0x03}}},
        {"tones_equal", {{48, 0x01}, {192, 0x0B}, {193, 0xB8}, {194, 0x0B}, {195, 0xB8}}},
        {"tones_odd", {{48, 0x03}, {192, 0x0C}, {193, 0x01}, {196, 0x88}, {197, 0x88}}},
        {"reminder_60_bw_3", {{70, 60}, {49, 3}}},
        {"reminder_7_bw_200", {{70, 7}, {49, 200}}},
        {"battery_codes", {{63, 103}, {96, 0x88}, {97, 9}, {112, 0x7F}, {113, 255}}},
        {"numbers_max", {{50, 255}, {51, 255}, {52, 255}, {53, 255}, {58, 0}, {59, 255}}},
        {"version_182", {{1, 1}, {2, 82}}},
    };
}

}  // namespace

std::vector<std::pair<std::string, PagerImage>> GoldenImages() {
    std::vector<std::pair<std::string, PagerImage>> images;
    for (const char* fixture :
         {"shipped_default", "other_model", "mk842_short_250", "short_10_bytes"}) {
        const std::vector<std::uint8_t> bytes =
            ReadFileBytes(std::string(MK843NB_FIXTURES) + "/" + fixture + ".tbl");
        PagerImage image{};
        std::copy_n(bytes.begin(), std::min(bytes.size(), image.size()), image.begin());
        images.emplace_back(fixture, image);
    }
    images.emplace_back("default", DefaultImage());
    for (const Variant& variant : Variants()) {
        PagerImage image = DefaultImage();
        for (const Patch& patch : variant.patches) image[patch.offset] = patch.value;
        images.emplace_back(variant.name, image);
    }
    // std::mt19937 gives the same numbers on every platform for a seed.
    std::mt19937 random(843);
    for (int n = 1; n <= 10; ++n) {
        PagerImage image{};
        for (std::uint8_t& byte : image) byte = static_cast<std::uint8_t>(random() & 0xFF);
        if (n % 2 == 0) {
            StampModelTag(image);
            StoreChecksum(image);
        }
        images.emplace_back("random_" + std::to_string(n), image);
    }
    return images;
}

const PagerImage& GoldenImage(const std::string& name) {
    static const auto images = GoldenImages();
    for (const auto& [imageName, image] : images)
        if (imageName == name) return image;
    throw std::out_of_range("no golden image " + name);
}

std::string Hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    char digits[3];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0 && i % 32 == 0) text += "\n    ";
        std::snprintf(digits, sizeof digits, "%02X", bytes[i]);
        text += digits;
    }
    return text;
}

void GoldenRecord::Section(const std::string& title) { text_ += "== " + title + "\n"; }

void GoldenRecord::Line(const std::string& key, const std::string& value) {
    std::string indented;
    for (char c : Clean(value)) {
        indented += c;
        if (c == '\n') indented += "    ";
    }
    text_ += key + ": " + indented + "\n";
}

void GoldenRecord::Run(const CliRun& run) {
    Line("status", std::to_string(run.status));
    Line("stdout", run.out);
    Line("stderr", run.err);
}

void GoldenRecord::File(const std::string& key, const std::string& path) {
    std::vector<std::uint8_t> bytes;
    try {
        bytes = ReadFileBytes(path);
    } catch (const std::runtime_error&) {
        Line(key, "(no file)");
        return;
    }
    Line(key, std::to_string(bytes.size()) + " bytes\n" + Hex(bytes));
}

void GoldenRecord::Replace(const std::string& text, const std::string& placeholder) {
    replacements_.emplace_back(text, placeholder);
}

std::string GoldenRecord::Clean(std::string text) const {
    for (const auto& [from, to] : replacements_) {
        for (std::size_t at = text.find(from); at != std::string::npos;
             at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
    }
    return text;
}

std::string GoldenRecord::Check(const std::string& name) const {
    const std::string path = std::string(MK843NB_GOLDEN_DIR) + "/" + name;
    const char* record = std::getenv("MK843NB_GOLDEN_RECORD");
    if (record != nullptr && std::string(record) == "1") {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text_;
        return out ? std::string() : "cannot write " + path;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return "no record " + path + " (run with MK843NB_GOLDEN_RECORD=1 to make it)";
    std::stringstream stored;
    stored << in.rdbuf();
    const std::string expected = stored.str();
    if (expected == text_) return {};
    std::istringstream a(expected), b(text_);
    std::string lineA, lineB;
    for (int number = 1;; ++number) {
        const bool moreA = static_cast<bool>(std::getline(a, lineA));
        const bool moreB = static_cast<bool>(std::getline(b, lineB));
        if (!moreA && !moreB) break;
        if (!moreA || !moreB || lineA != lineB)
            return name + " line " + std::to_string(number) +
                   "\n  recorded: " + (moreA ? lineA : "(end)") +
                   "\n  now:      " + (moreB ? lineB : "(end)");
    }
    return name + " differs";
}

GoldenRecord RecordInParallel(
    std::size_t count,
    const std::function<void(std::size_t, GoldenRecord&, const std::string& dir)>& recordCase) {
    constexpr std::size_t kWorkers = 6;
    std::vector<GoldenRecord> parts(count);
    std::atomic<std::size_t> next = 0;
    std::mutex failures;
    std::string failure;
    auto work = [&] {
        for (std::size_t i = next++; i < count; i = next++) {
            try {
                const TempDir dir;
                parts[i].Replace(dir.Path(), "<dir>");
                recordCase(i, parts[i], dir.Path());
            } catch (const std::exception& error) {
                std::lock_guard lock(failures);
                failure += "case " + std::to_string(i + 1) + ": " + error.what() + "\n";
            }
        }
    };
    std::vector<std::thread> workers;
    for (std::size_t w = 0; w < std::min(kWorkers, count); ++w) workers.emplace_back(work);
    for (std::thread& worker : workers) worker.join();
    if (!failure.empty()) throw std::runtime_error(failure);
    GoldenRecord whole;
    for (const GoldenRecord& part : parts) whole.Append(part);
    return whole;
}

}  // namespace mk843nb::test
