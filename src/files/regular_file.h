#pragma once

// Opening a file the program only reads (a table file, a backup's sidecar)
// without ever waiting on it: a named pipe with no writer, a terminal or a
// folder given where a table file belongs is refused at once, with why.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace mk843nb {

// A read-only descriptor of a regular file (or of a symbolic link to one), or
// -1 with why set: the system's reason ("No such file or directory"), or what
// the file is instead ("a named pipe, not a regular file"). The caller closes it.
int OpenRegularFile(const std::filesystem::path& path, std::string& why);

// The whole of a regular file of at most `limit` bytes; nullopt with why set
// otherwise: what OpenRegularFile says, a failed read, or "larger than 64 MiB".
// It reads to the end of the file rather than trusting the size it was opened
// with, so a file that grows while it is read is still cut at the limit.
std::optional<std::string> ReadRegularFile(const std::filesystem::path& path, std::size_t limit,
                                           std::string& why);

// The limit as ReadRegularFile gives it: "64 MiB", "4 KiB", "300 bytes".
std::string SizeText(std::size_t bytes);

}  // namespace mk843nb
