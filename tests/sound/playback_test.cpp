// mk843nb-cli page --play against a real sound server that the test starts
// with null outputs; what reaches an output is recorded from its monitor and
// measured by the tests' own tone meter.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "cli_child.h"
#include "cli_process.h"
#include "image/pager_image.h"
#include "sound_server.h"
#include "test_files.h"
#include "tone_meter.h"

namespace mk843nb {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::CliRun;

// Recorded tones keep their lengths to the sample on a null output; the
// tolerance covers the ramps and the meter's threshold.
constexpr double kSecondsTolerance = 0.015;
constexpr double kHertzTolerance = 0.05;

struct Heard {
    double hertz;
    double seconds;
    double gapBefore;  // silence since the previous tone ended; 0 for none or the first
};

void ExpectHeard(const std::vector<test::MeasuredTone>& measured, const std::vector<Heard>& heard) {
    ASSERT_EQ(measured.size(), heard.size()) << test::Describe(measured);
    for (std::size_t i = 0; i < heard.size(); ++i) {
        SCOPED_TRACE("tone " + std::to_string(i) + ": " + test::Describe(measured));
        EXPECT_NEAR(measured[i].hertz, heard[i].hertz, kHertzTolerance);
        EXPECT_NEAR(measured[i].seconds, heard[i].seconds, kSecondsTolerance);
        if (i > 0) {
            const double gap =
                measured[i].startSeconds - (measured[i - 1].startSeconds + measured[i - 1].seconds);
            EXPECT_NEAR(gap, heard[i].gapBefore, kSecondsTolerance);
        }
    }
}

class PlaybackTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(server.StartError(), "");
        test::WriteFileBytes(temp.File("pager.tbl"), DefaultImage());
    }
    // mk843nb-cli page pager.tbl args..., as a client of the test's server.
    CliRun Page(std::vector<std::string> args) const {
        args.insert(args.begin(), {"page", temp.File("pager.tbl")});
        return test::RunProgram(MK843NB_CLI_PATH, args, server.ClientEnvironment());
    }

    test::TempDir temp;
    test::SoundServer server;
};

TEST_F(PlaybackTest, ACallIsPlayedToTheDefaultOutputWithItsTonesAndLengths) {
    test::Recorder recorder(server, test::kPagesOutput);
    ASSERT_TRUE(recorder.WaitStarted(5s));
    // Shorter than the default 1 s and 3 s (the rendered pages hold those): the
    // same tones and lengths reach the output in a third of the time.
    const CliRun run = Page({"--call", "1", "--a-seconds", "0.5", "--b-seconds", "1", "--play"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "CALL #1: 669.9 Hz for 0.5 s, then 707.3 Hz for 1 s\n"
              "Playing on Test pages ...\n"
              "Played.\n");
    ExpectHeard(test::MeasureTones(recorder.StopAfterSilence(300ms, 10s), test::kServerRate),
                {{669.9, 0.5, 0}, {707.3, 1.0, 0}});
}

TEST_F(PlaybackTest, ANamedOutputGetsThePageAndTheDefaultStaysSilent) {
    test::Recorder pages(server, test::kPagesOutput);
    test::Recorder bench(server, test::kBenchOutput);
    ASSERT_TRUE(pages.WaitStarted(5s));
    ASSERT_TRUE(bench.WaitStarted(5s));
    // At 44100 Hz on outputs of 48000 Hz: the server converts, the tones stay.
    const CliRun run = Page({"--call", "1", "--call", "2", "--a-seconds", "0.6", "--b-seconds",
                             "1.2", "--rate", "44100", "--play", "--device", "Bench set"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Playing on Bench set ...\n"), std::string::npos) << run.out;
    ExpectHeard(test::MeasureTones(bench.StopAfterSilence(300ms, 10s), test::kServerRate),
                {{669.9, 0.6, 0}, {707.3, 1.2, 0}, {433.7, 0.6, 1.0}, {788.5, 1.2, 0}});
    EXPECT_EQ(test::Describe(test::MeasureTones(pages.Stop(), test::kServerRate)), "no tone");
}

TEST_F(PlaybackTest, TheOutputsAreListedDefaultFirst) {
    const CliRun run =
        test::RunProgram(MK843NB_CLI_PATH, {"page", "--list-devices"}, server.ClientEnvironment());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "pages  Test pages  (default)\n"
              "bench  Bench set\n");
}

TEST_F(PlaybackTest, AnOutputThatDoesNotExistIsRefused) {
    const CliRun run = Page({"--call", "1", "--play", "--device", "Nowhere"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("No sound output is named \"Nowhere\"; mk843nb-cli page --list-devices "
                           "lists them\n"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.out.find("Playing"), std::string::npos);
}

TEST_F(PlaybackTest, AServerThatGoesAwayMidPageEndsThePlayWithAFailure) {
    // The child takes this process's environment: make it the server's client.
    test::BecomeClientOf(server);
    test::CliChild play({"page", temp.File("pager.tbl"), "--group", "1", "--play"});
    ASSERT_TRUE(play.WaitForOut("Playing on Test pages", 10s)) << play.Out();
    std::this_thread::sleep_for(500ms);
    server.Kill();
    const CliRun run = play.Wait(10s);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("The sound output \"Test pages\" failed while playing\n"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.out.find("Played."), std::string::npos);
}

// No server at all: a clear message and a failure status, never a hang.
TEST(NoSoundOutput, PlayAndListSayThereIsNoSoundOutput) {
    test::TempDir temp;
    test::WriteFileBytes(temp.File("pager.tbl"), DefaultImage());
    const auto environment = test::SoundClientEnvironment(temp.Path(), temp.File("no-server-here"));
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"page", temp.File("pager.tbl"), "--call", "1", "--play"},
          std::vector<std::string>{"page", "--list-devices"}}) {
        const CliRun run = test::RunProgram(MK843NB_CLI_PATH, args, environment);
        EXPECT_EQ(run.status, 1) << args.back();
        EXPECT_NE(run.err.find("No sound output: no sound device or sound server can be reached"),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(run.out.find("Playing"), std::string::npos);
    }
}

}  // namespace
}  // namespace mk843nb
