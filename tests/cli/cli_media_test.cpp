// mk843nb-cli starts without the sound and drawing libraries: page and tones
// chart are run by mk843nb-cli-media, found beside it in the build tree or in
// lib/mk843nb of the installed tree, and a missing one is said, never a crash.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli_process.h"
#include "image/pager_image.h"
#include "test_files.h"

namespace mk843nb {
namespace {

namespace fs = std::filesystem;

using test::CliRun;
using test::RunProgram;

// What the dynamic loader maps for program at start, as ldd lists it.
std::string LoadedLibraries(const std::string& program) {
    const CliRun run = RunProgram(program, {}, {"LD_TRACE_LOADED_OBJECTS=1"});
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out;
}

TEST(CliMediaTest, OnlyTheMediaProgramLoadsSoundAndDrawing) {
    const std::string cli = LoadedLibraries(MK843NB_CLI_PATH);
    const std::string media = LoadedLibraries(MK843NB_CLI_MEDIA_PATH);
    for (const char* library : {"libQt6Gui", "libQt6Multimedia", "libQt6Svg", "libsndfile"}) {
        EXPECT_EQ(cli.find(library), std::string::npos) << "mk843nb-cli loads " << library;
        EXPECT_NE(media.find(library), std::string::npos)
            << "mk843nb-cli-media does not load " << library;
    }
}

struct Layout {
    const char* name;
    const char* cli;    // where mk843nb-cli is put, under the folder
    const char* media;  // where mk843nb-cli-media is put; nullptr: nowhere
};

class CliMediaLayoutTest : public testing::TestWithParam<Layout> {
protected:
    void SetUp() override {
        const Layout& layout = GetParam();
        root = temp.Path();
        cli = root / layout.cli / "mk843nb-cli";
        fs::create_directories(cli.parent_path());
        fs::copy_file(MK843NB_CLI_PATH, cli);
        if (layout.media != nullptr) {
            const fs::path media = root / layout.media / "mk843nb-cli-media";
            fs::create_directories(media.parent_path());
            fs::copy_file(MK843NB_CLI_MEDIA_PATH, media);
        }
        test::WriteFileBytes(temp.File("pager.tbl"), DefaultImage());
    }
    CliRun Run(std::vector<std::string> args) const {
        return RunProgram(cli.string(), std::move(args), {"QT_QPA_PLATFORM=offscreen"});
    }

    test::TempDir temp;
    fs::path root;
    fs::path cli;
};

TEST_P(CliMediaLayoutTest, PageAndChartRunWhereverTheMediaProgramIsFound) {
    const bool found = GetParam().media != nullptr;
    const std::string wav = (root / "page.wav").string();
    const std::string svg = (root / "plan.svg").string();
    const CliRun page = Run({"page", (root / "pager.tbl").string(), "--call", "1", "--wav", wav});
    const CliRun chart = Run({"tones", "chart", (root / "pager.tbl").string(), "--out", svg});
    if (found) {
        EXPECT_EQ(page.status, 0) << page.err;
        EXPECT_EQ(page.out.rfind("CALL #1: 669.9 Hz for 1 s, then 707.3 Hz for 3 s\n", 0), 0u)
            << page.out;
        EXPECT_TRUE(fs::is_regular_file(wav));
        EXPECT_EQ(chart.status, 0) << chart.err;
        EXPECT_EQ(chart.out.rfind("Wrote " + svg, 0), 0u) << chart.out;
        EXPECT_TRUE(fs::is_regular_file(svg));
    } else {
        for (const CliRun& run : {page, chart}) {
            EXPECT_EQ(run.status, 1) << run.err;
            EXPECT_NE(run.err.find("cannot start mk843nb-cli-media"), std::string::npos) << run.err;
            EXPECT_NE(run.err.find((root / "lib/mk843nb/mk843nb-cli-media").string()),
                      std::string::npos)
                << run.err;
        }
        EXPECT_FALSE(fs::exists(wav));
        EXPECT_FALSE(fs::exists(svg));
    }
    // A usage error is the command line's own, wherever the media program is.
    const CliRun usage = Run({"page", (root / "pager.tbl").string(), "--call", "7"});
    EXPECT_EQ(usage.status, 2) << usage.err;
    // The other commands never need it.
    const CliRun show = Run({"show", (root / "pager.tbl").string()});
    EXPECT_EQ(show.status, 0) << show.err;
}

INSTANTIATE_TEST_SUITE_P(Layouts, CliMediaLayoutTest,
                         testing::Values(Layout{"BuildTree", "build", "build"},
                                         Layout{"InstalledTree", "bin", "lib/mk843nb"},
                                         Layout{"Missing", "bin", nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mk843nb
