// Test pages rendered and written as WAV files, read back through libsndfile
// and measured by the tests' own tone meter.

#include "sound/test_page.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cerrno>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

#include "image/fields.h"
#include "image/pager_image.h"
#include "sound/call_page.h"
#include "sound/wave_file.h"
#include "test_files.h"
#include "tone_meter.h"
#include "wave_reader.h"

namespace mk843nb {
namespace {

namespace fs = std::filesystem;

struct Heard {
    double hertz;
    double startSeconds;
    double seconds;
};

void SetTone(PagerImage& image, const char* field, std::uint32_t tenths) {
    SetFieldCode(image, FieldNamed(field), tenths);
}

// The default image's calls: 1 is 669.9 then 707.3, 2 is 433.7 then 788.5,
// group 1 is 330.5. Call 3 is set to the ends of the tone range.
PagerImage TestImage() {
    PagerImage image = DefaultImage();
    SetTone(image, "T13", 2800);   // 280.0 Hz
    SetTone(image, "T23", 35000);  // 3500.0 Hz
    return image;
}

struct PageCase {
    const char* name;
    std::vector<int> calls;
    std::vector<int> groups;
    PageTiming timing;
    int rate;
    std::vector<Heard> heard;
};

void PrintTo(const PageCase& c, std::ostream* os) { *os << c.name; }

// A tone is heard from where its run rises to half level: the ramps of a run
// cost a few milliseconds at its ends, far less than these tolerances.
constexpr double kSecondsTolerance = 0.010;
constexpr double kHertzTolerance = 0.05;

void ExpectHeard(const std::vector<test::MeasuredTone>& measured, const std::vector<Heard>& heard) {
    ASSERT_EQ(measured.size(), heard.size()) << test::Describe(measured);
    for (std::size_t i = 0; i < heard.size(); ++i) {
        SCOPED_TRACE("tone " + std::to_string(i) + ": " + test::Describe(measured));
        EXPECT_NEAR(measured[i].hertz, heard[i].hertz, kHertzTolerance);
        EXPECT_NEAR(measured[i].startSeconds, heard[i].startSeconds, kSecondsTolerance);
        EXPECT_NEAR(measured[i].seconds, heard[i].seconds, kSecondsTolerance);
    }
}

class PageWaveTest : public ::testing::TestWithParam<PageCase> {};

TEST_P(PageWaveTest, TheWaveFileReadBackHoldsTheCallsTonesForTheirTimes) {
    const PageCase& c = GetParam();
    const CallPagePlan plan = PlanCallPage(TestImage(), kImageSize, {c.calls, c.groups, c.timing});
    ASSERT_EQ(plan.refusal, "");
    const std::vector<std::int16_t> samples = RenderPage(plan.page, c.rate);

    test::TempDir temp;
    const std::string path = temp.File("page.wav");
    ASSERT_EQ(WriteWaveFile(path, samples, c.rate), std::nullopt);
    const test::WaveContents wave = test::ReadWave(path);
    ASSERT_TRUE(wave.opened) << wave.error;
    EXPECT_EQ(wave.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(wave.channels, 1);
    EXPECT_EQ(wave.sampleRate, c.rate);
    double total = 0.0;
    for (const Heard& h : c.heard) total = std::max(total, h.startSeconds + h.seconds);
    EXPECT_NEAR(static_cast<double>(wave.samples.size()) / c.rate, total, 1.0 / c.rate);

    ExpectHeard(test::MeasureTones(wave.samples, c.rate), c.heard);

    // About -3 dBFS at the peak: loud enough, never clipped.
    int peak = 0;
    for (std::int16_t s : wave.samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_NEAR(peak, 0.7 * 32767, 0.01 * 32767);

    // No click anywhere: no step between samples larger than the highest
    // tone's own steepest slope allows, so every start, stop and change of
    // tone is smooth (a tone switched with a jump in phase, or started or
    // stopped without a ramp, steps by up to twice the peak).
    double highest = 0.0;
    for (const Heard& h : c.heard) highest = std::max(highest, h.hertz);
    const double steepest = peak * 2.0 * std::numbers::pi * highest / c.rate;
    EXPECT_LE(test::LargestStep(wave.samples), steepest * 1.02 + 2.0);
    // And each sounding run starts and ends near silence.
    for (const Heard& h : c.heard) {
        const auto first = static_cast<std::size_t>(std::lround(h.startSeconds * c.rate));
        if (first > 0 && std::abs(wave.samples[first - 1]) > 0) continue;  // follows a tone
        EXPECT_LT(std::abs(static_cast<int>(wave.samples[first])), 0.1 * peak);
    }
    EXPECT_LT(std::abs(static_cast<int>(wave.samples.back())), 0.1 * peak);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PageWaveTest,
    ::testing::Values(
        PageCase{"OneCall", {1}, {}, {}, 48000, {{669.9, 0, 1}, {707.3, 1, 3}}},
        PageCase{"TwoCallsWithAGap",
                 {1, 2},
                 {},
                 {},
                 44100,
                 {{669.9, 0, 1}, {707.3, 1, 3}, {433.7, 5, 1}, {788.5, 6, 3}}},
        PageCase{"CallsRepeatedAndReordered",
                 {2, 1, 2},
                 {},
                 {0.4, 0.6, 8, 1},
                 16000,
                 {{433.7, 0, 0.4},
                  {788.5, 0.4, 0.6},
                  {669.9, 2, 0.4},
                  {707.3, 2.4, 0.6},
                  {433.7, 4, 0.4},
                  {788.5, 4.4, 0.6}}},
        PageCase{
            "GroupCalls", {}, {1, 2}, {1, 3, 2.5, 1}, 48000, {{330.5, 0, 2.5}, {600.9, 3.5, 2.5}}},
        PageCase{"TheEndsOfTheToneRange",
                 {3},
                 {},
                 {0.5, 0.75, 8, 1},
                 22050,
                 {{280.0, 0, 0.5}, {3500.0, 0.5, 0.75}}},
        PageCase{"TheLowestRate", {1}, {}, {}, 8000, {{669.9, 0, 1}, {707.3, 1, 3}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PageLengths, SegmentsEndOnTheSampleNearestTheirTimeFromTheStart) {
    // 1/7 s at 8000 Hz is 1142.86 samples: rounded segment by segment, 28 of
    // them would make 32004 samples; counted from the start they make 4 s.
    TestPage page;
    for (int i = 0; i < 28; ++i) page.push_back({i % 2 ? 0.0 : 500.0, 1.0 / 7.0});
    EXPECT_EQ(RenderPage(page, 8000).size(), 32000u);
}

struct RefusalCase {
    const char* name;
    std::vector<int> calls;
    std::vector<int> groups;
    std::size_t bytesRead;
    std::vector<std::pair<const char*, std::uint32_t>> tones;
    std::string refusal;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class PageRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(PageRefusalTest, ACallThatCannotBePagedIsRefusedWithItsReason) {
    const RefusalCase& c = GetParam();
    PagerImage image = DefaultImage();
    for (const auto& [field, tenths] : c.tones) SetTone(image, field, tenths);
    const CallPagePlan plan = PlanCallPage(image, c.bytesRead, {c.calls, c.groups, {}});
    EXPECT_EQ(plan.refusal, c.refusal);
    EXPECT_TRUE(plan.page.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, PageRefusalTest,
    ::testing::Values(
        RefusalCase{"ToneNotSet",
                    {1, 2},
                    {},
                    256,
                    {{"T12", 0}},
                    "CALL #2 cannot be paged: its TONE1 (T12) is not set (0.0 Hz), not a tone from "
                    "280.0 to "
                    "3500.0 Hz"},
        RefusalCase{"ErasedTone",
                    {4},
                    {},
                    256,
                    {{"T24", 0xFFFF}},
                    "CALL #4 cannot be paged: its TONE2 (T24) is 6553.5 Hz, not a tone from 280.0 "
                    "to 3500.0 Hz"},
        RefusalCase{"JustBelowTheRange",
                    {},
                    {2},
                    256,
                    {{"T32", 2799}},
                    "Group CALL #2 cannot be paged: its group tone (T32) is 279.9 Hz, not a tone "
                    "from 280.0 to 3500.0 Hz"},
        RefusalCase{"JustAboveTheRange",
                    {3},
                    {},
                    256,
                    {{"T13", 35001}},
                    "CALL #3 cannot be paged: its TONE1 (T13) is 3500.1 Hz, not a tone from 280.0 "
                    "to 3500.0 Hz"},
        // A short file's missing bytes would page the tones of no pager at all.
        RefusalCase{"ToneBeyondAShortFile",
                    {1, 2},
                    {},
                    199,
                    {},
                    "CALL #2 cannot be paged: the file holds 199 bytes, and its TONE2 (T22) is at "
                    "bytes 198 to 199"},
        RefusalCase{"NoCall", {}, {}, 256, {}, "no call to page: name one with --call or --group"},
        RefusalCase{"NoSuchCall", {5}, {}, 256, {}, "CALL #5 does not exist: calls are 1 to 4"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PagePlan, ASwitchedOffCallIsPagedWithANote) {
    // The default table has call 1 on and call 2 off.
    const CallPagePlan plan = PlanCallPage(DefaultImage(), kImageSize, {{1, 2}, {}, {}});
    EXPECT_EQ(plan.refusal, "");
    ASSERT_EQ(plan.calls.size(), 2u);
    EXPECT_TRUE(plan.calls[0].switchedOn);
    EXPECT_FALSE(plan.calls[1].switchedOn);
    EXPECT_EQ(plan.notes, std::vector<std::string>{
                              "CALL #2 is switched off in this table; its tones are paged anyway"});
}

// A page whose tone is shorter than the pager's duration for it is made all
// the same (a bench test may want it), with a note that the pager may not decode it.
TEST(PagePlan, ATooShortToneForThePagersDurationsIsSaid) {
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, std::uint32_t>> times;  // x 100 ms
        std::vector<int> calls, groups;
        PageTiming timing;
        std::size_t bytesRead;
        std::vector<std::string> notes;
    };
    const std::vector<Case> cases{
        {"the default page and table", {}, {1}, {}, {}, kImageSize, {}},
        {"a 10 s group call against the 8 s group tone",
         {{"Tone3Len", 100}},
         {},
         {1},
         {},
         kImageSize,
         {"Group CALL #1: its tone of 8 s is shorter than the pager's group-call duration "
          "(Tone3Len) of 10 s: the pager may not decode this page"}},
        {"exactly the group-call duration", {{"Tone3Len", 80}}, {}, {1}, {}, kImageSize, {}},
        {"a 1.5 s Tone1 duration against the 1 s TONE1",
         {{"Tone1Len", 15}},
         {1},
         {},
         {},
         kImageSize,
         {"CALL #1: its TONE1 of 1 s is shorter than the pager's Tone1 duration (Tone1Len) of "
          "1.5 s: the pager may not decode this page"}},
        {"a shorter TONE2 asked for",
         {},
         {1},
         {},
         {.aSeconds = 1.0, .bSeconds = 0.25, .groupSeconds = 8.0, .gapSeconds = 1.0},
         kImageSize,
         {"CALL #1: its TONE2 of 0.25 s is shorter than the pager's Tone2 duration (Tone2Len) "
          "of 0.3 s: the pager may not decode this page"}},
    };
    for (const Case& c : cases) {
        PagerImage image = DefaultImage();
        SetFieldCode(image, FieldNamed("GDuty1"), 1);
        for (const auto& [field, code] : c.times) SetFieldCode(image, FieldNamed(field), code);
        const CallPagePlan plan = PlanCallPage(image, c.bytesRead, {c.calls, c.groups, c.timing});
        EXPECT_EQ(plan.refusal, "") << c.name;
        EXPECT_FALSE(plan.page.empty()) << c.name;
        EXPECT_EQ(plan.notes, c.notes) << c.name;
    }
}

// The real file system, except that syncing the temporary file fails.
class FailingSync : public FileSystemCalls {
public:
    int FileSync(int) override {
        errno = EIO;
        return -1;
    }
};

TEST(PageWaveFile, AFailedWriteKeepsTheOldFileAndLeavesNoPart) {
    test::TempDir temp;
    const std::string path = temp.File("page.wav");
    const std::vector<std::int16_t> old = RenderPage({{600.0, 0.1}}, 8000);
    ASSERT_EQ(WriteWaveFile(path, old, 8000), std::nullopt);
    const auto before = test::ReadFileBytes(path);

    FailingSync failing;
    const std::vector<std::int16_t> page = RenderPage({{900.0, 2.0}}, 48000);
    const auto error = WriteWaveFile(path, page, 48000, failing);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(*error, "cannot write " + path + ": Input/output error");
    EXPECT_EQ(test::ReadFileBytes(path), before);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(temp.Path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"page.wav"});
}

}  // namespace
}  // namespace mk843nb
