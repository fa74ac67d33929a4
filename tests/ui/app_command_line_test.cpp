// The window program's command line, answered before the toolkit starts: with no display at all.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_process.h"
#include "ui/qt_options.h"

namespace mk843nb {
namespace {

// No DISPLAY, no WAYLAND_DISPLAY, no QT_QPA_PLATFORM: a terminal on a machine without a desktop.
test::CliRun RunWithoutDisplay(std::vector<std::string> args) {
    return test::RunProgram(MK843NB_APP_PATH, std::move(args), {"PATH=/usr/bin:/bin", "HOME=/tmp"});
}

TEST(AppCommandLine, HelpVersionAndWrongOptionsNeedNoDisplay) {
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* out;  // in stdout
        const char* err;  // in stderr
    } cases[] = {
        {{"--help"}, 0, "--port", ""},
        {{"-h"}, 0, "Usage: mk843nb", ""},
        {{"--version"}, 0, "mk843nb 3.8.5", ""},
        {{"--bogus"}, 2, "", "--bogus"},
        {{"--port"}, 2, "", "Usage: mk843nb"},
        {{"extra"}, 2, "", "extra"},
        {{"-style", "fusion", "--bogus"}, 2, "", "--bogus"},  // the toolkit's options pass
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front() + (c.args.size() > 1 ? " " + c.args.back() : ""));
        const test::CliRun run = RunWithoutDisplay(c.args);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    }
}

TEST(AppCommandLine, TheToolkitsOwnOptionsAreLeftToIt) {
    const char* argv[] = {"mk843nb",  "-platform",      "offscreen",   "--port", "/dev/pts/3",
                          "-reverse", "--style=fusion", "-stylesheet", "a.qss",  "--bogus"};
    const std::vector<std::string> kept = WithoutQtOptions(10, argv);
    // Reversed, as CLI11 takes a vector.
    EXPECT_EQ(kept, (std::vector<std::string>{"--bogus", "/dev/pts/3", "--port"}));
}

}  // namespace
}  // namespace mk843nb
