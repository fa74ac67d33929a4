#include "cli/shell_path.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace mk843nb::cli {
namespace {

// A path typed in a shell means what the shell means: against the working
// folder, its "." steps dropped, its ".." steps left for the kernel to follow
// through whatever links they cross; a bare port name stays a name.
TEST(ShellPathTest, MeansWhatTheShellMeans) {
    const std::string here = std::filesystem::current_path().string();
    struct Case {
        std::string typed;
        std::string path;
    };
    for (const Case& c : {
             Case{"board0", here + "/board0"},
             Case{"./board0", here + "/board0"},
             Case{"plans/./engine1.tbl", here + "/plans/engine1.tbl"},
             Case{"plans/../engine1.tbl", here + "/plans/../engine1.tbl"},
             Case{"/dev/./pts/3", "/dev/pts/3"},
             Case{"plans/", here + "/plans/"},
         }) {
        const ShellPath shell(c.typed);
        EXPECT_EQ(shell.path.string(), c.path) << c.typed;
        EXPECT_EQ(shell.typed, c.typed);
    }
    EXPECT_EQ(ShellPortName("ttyUSB0"), "ttyUSB0");
    EXPECT_EQ(ShellPortName("./board0"), here + "/board0");
}

}  // namespace
}  // namespace mk843nb::cli
