#pragma once

namespace mk843nb::cli {

// The columns of the terminal on fd: its window size, else $COLUMNS, else 80.
int TerminalColumns(int fd);

}  // namespace mk843nb::cli
