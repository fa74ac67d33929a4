#pragma once

// Opening a file the program only reads (a table file, a backup's sidecar)
// without ever waiting on it: a named pipe with no writer, a terminal or a
// folder given where a table file belongs is refused at once, with why.

#include <filesystem>
#include <string>

namespace mk843nb {

// A read-only descriptor of a regular file (or of a symbolic link to one), or
// -1 with why set: the system's reason ("No such file or directory"), or what
// the file is instead ("a named pipe, not a regular file"). The caller closes it.
int OpenRegularFile(const std::filesystem::path& path, std::string& why);

}  // namespace mk843nb
