// The width the fleet's progress line is fitted to.

#include "cli/terminal_width.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace mk843nb::cli {
namespace {

TEST(TerminalColumns, TheTerminalsOwnWidthThenColumnsThen80) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const int terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    winsize size{};
    size.ws_row = 24;
    size.ws_col = 57;
    ASSERT_EQ(::ioctl(master, TIOCSWINSZ, &size), 0);
    const int pipe = ::open("/dev/null", O_WRONLY);

    struct Case {
        int fd;
        const char* columns;  // $COLUMNS, nullptr for none
        int expected;
    };
    for (const Case& c : {
             Case{terminal, "120", 57},  // the terminal knows best
             Case{pipe, "120", 120},
             Case{pipe, nullptr, 80},
             Case{pipe, "wide", 80},
             Case{pipe, "0", 80},
         }) {
        if (c.columns)
            ::setenv("COLUMNS", c.columns, 1);
        else
            ::unsetenv("COLUMNS");
        EXPECT_EQ(TerminalColumns(c.fd), c.expected) << (c.columns ? c.columns : "none");
    }
    ::unsetenv("COLUMNS");
    ::close(pipe);
    ::close(terminal);
    ::close(master);
}

}  // namespace
}  // namespace mk843nb::cli
