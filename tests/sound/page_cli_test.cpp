// mk843nb-cli page --wav as a process on real files, typed as a user would:
// paths relative to the working folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "cli_process.h"
#include "image/fields.h"
#include "image/pager_image.h"
#include "test_files.h"
#include "tone_meter.h"
#include "wave_reader.h"

namespace mk843nb {
namespace {

namespace fs = std::filesystem;

using test::CliRun;
using test::RunCli;

class PageCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir / "tables");
        fs::create_directories(dir / "out");
        PagerImage image = DefaultImage();
        SetFieldCode(image, FieldNamed("T13"), 0);  // call 3 never set
        test::WriteFileBytes(temp.File("tables/pager.tbl"), image);
    }
    CliRun Page(std::vector<std::string> args) const {
        args.insert(args.begin(), "page");
        return RunCli(args, temp.Path());
    }

    test::TempDir temp;
    fs::path dir{temp.Path()};
};

TEST_F(PageCliTest, WritesThePageOfTheCallsToAWaveFile) {
    const CliRun run =
        Page({"tables/pager.tbl", "--call", "1", "--call", "4", "--wav", "out/page.wav",
              "--a-seconds", "0.5", "--b-seconds", "1.5", "--rate", "22050"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "CALL #1: 669.9 Hz for 0.5 s, then 707.3 Hz for 1.5 s\n"
              "CALL #4: 539.0 Hz for 0.5 s, then 1122.5 Hz for 1.5 s\n"
              "Wrote out/page.wav (5 s, 22050 Hz, 16-bit mono)\n");
    // Call 4 is switched off in the default table: said, and paged all the same.
    EXPECT_EQ(run.err,
              "tables/pager.tbl: CALL #4 is switched off in this table; its tones are paged "
              "anyway\n");

    const test::WaveContents wave = test::ReadWave((dir / "out/page.wav").string());
    ASSERT_TRUE(wave.opened) << wave.error;
    EXPECT_EQ(wave.sampleRate, 22050);
    const auto tones = test::MeasureTones(wave.samples, wave.sampleRate);
    const std::vector<std::pair<double, double>> heard{
        {669.9, 0.5}, {707.3, 1.5}, {539.0, 0.5}, {1122.5, 1.5}};
    ASSERT_EQ(tones.size(), heard.size()) << test::Describe(tones);
    for (std::size_t i = 0; i < heard.size(); ++i) {
        EXPECT_NEAR(tones[i].hertz, heard[i].first, 0.05) << test::Describe(tones);
        EXPECT_NEAR(tones[i].seconds, heard[i].second, 0.01) << test::Describe(tones);
    }
    EXPECT_NEAR(tones[2].startSeconds, 3.0, 0.01) << "the 1 s gap between the calls";
}

TEST_F(PageCliTest, AGroupCallSoundsItsToneForEightSeconds) {
    const CliRun run = Page({"tables/pager.tbl", "--group", "2", "--wav", "group.wav"});
    ASSERT_EQ(run.status, 0) << run.err;
    const test::WaveContents wave = test::ReadWave((dir / "group.wav").string());
    ASSERT_TRUE(wave.opened) << wave.error;
    EXPECT_EQ(wave.sampleRate, 48000);
    const auto tones = test::MeasureTones(wave.samples, wave.sampleRate);
    ASSERT_EQ(tones.size(), 1u) << test::Describe(tones);
    EXPECT_NEAR(tones[0].hertz, 600.9, 0.05);
    EXPECT_NEAR(tones[0].seconds, 8.0, 0.01);
}

struct RefusedCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string message;  // the start of stderr
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class PageCliRefusalTest : public PageCliTest, public ::testing::WithParamInterface<RefusedCase> {};

// A refused page writes nothing: an earlier WAV file under the same name stays as it was.
TEST_P(PageCliRefusalTest, IsRefusedWithAClearMessageAndLeavesTheWaveFileAlone) {
    const RefusedCase& c = GetParam();
    const std::vector<std::uint8_t> earlier{'R', 'I', 'F', 'F'};
    test::WriteFileBytes(temp.File("out/page.wav"), earlier);
    const CliRun run = Page(c.args);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.err.substr(0, c.message.size()), c.message) << run.err;
    EXPECT_EQ(test::ReadFileBytes(temp.File("out/page.wav")), earlier);
    EXPECT_EQ(fs::directory_iterator(dir / "out")->path().filename(), "page.wav");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "out"), fs::directory_iterator()), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, PageCliRefusalTest,
    ::testing::Values(
        RefusedCase{
            "ToneNotSet",
            {"tables/pager.tbl", "--call", "1", "--call", "3", "--wav", "out/page.wav"},
            1,
            "tables/pager.tbl: CALL #3 cannot be paged: its TONE1 (T13) is not set (0.0 Hz), not a "
            "tone from 280.0 to 3500.0 Hz\n"},
        RefusedCase{"MissingTable",
                    {"tables/none.tbl", "--call", "1", "--wav", "out/page.wav"},
                    1,
                    "Open Error!\ntables/none.tbl: No such file or directory\n"},
        RefusedCase{"NoSuchCall",
                    {"tables/pager.tbl", "--call", "5", "--wav", "out/page.wav"},
                    2,
                    "--call: '5' is not a whole number from 1 to 4"},
        RefusedCase{"CallsAndGroupsTogether",
                    {"tables/pager.tbl", "--call", "1", "--group", "1", "--wav", "out/page.wav"},
                    2,
                    "--call excludes --group"},
        RefusedCase{"NothingToDo",
                    {"tables/pager.tbl", "--call", "1"},
                    2,
                    "page needs --wav OUT, --play or both\n"},
        RefusedCase{"NoCall",
                    {"tables/pager.tbl", "--wav", "out/page.wav"},
                    2,
                    "page needs --call N or --group N\n"},
        RefusedCase{"DeviceWithoutPlay",
                    {"tables/pager.tbl", "--call", "1", "--wav", "out/page.wav", "--device", "x"},
                    2,
                    "--device requires --play"},
        RefusedCase{"RateTooLow",
                    {"tables/pager.tbl", "--call", "1", "--wav", "out/page.wav", "--rate", "4000"},
                    2,
                    "--rate: '4000' is not a whole number from 8000 to 192000"},
        RefusedCase{
            "NoLength",
            {"tables/pager.tbl", "--call", "1", "--wav", "out/page.wav", "--b-seconds", "0"},
            2,
            "--b-seconds: '0' is not a number from 0.05 to 600"},
        // Lengths and rates that would reach the sound code as nonsense.
        RefusedCase{
            "LengthNotANumber",
            {"tables/pager.tbl", "--call", "1", "--wav", "out/page.wav", "--a-seconds", "nan"},
            2,
            "--a-seconds: 'nan' is not a number from 0.05 to 600"},
        RefusedCase{
            "LengthEndless",
            {"tables/pager.tbl", "--group", "1", "--wav", "out/page.wav", "--group-seconds", "inf"},
            2,
            "--group-seconds: 'inf' is not a number from 0.05 to 600"},
        RefusedCase{
            "LengthNegative",
            {"tables/pager.tbl", "--call", "1", "--wav", "out/page.wav", "--b-seconds", "-2"},
            2,
            "--b-seconds: '-2' is not a number from 0.05 to 600"},
        RefusedCase{"RateHuge",
                    {"tables/pager.tbl", "--call", "1", "--wav", "out/page.wav", "--rate", "1e99"},
                    2,
                    "--rate: '1e99' is not a whole number from 8000 to 192000"},
        RefusedCase{"FolderInTheWay",
                    {"tables/pager.tbl", "--call", "1", "--wav", "out"},
                    1,
                    "cannot write out: a folder of that name is in the way\n"},
        RefusedCase{"FolderMissing",
                    {"tables/pager.tbl", "--call", "1", "--wav", "none/page.wav"},
                    1,
                    "cannot write none/page.wav: the folder none does not exist\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mk843nb
