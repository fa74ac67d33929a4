#pragma once

#include <string>
#include <vector>

namespace mk843nb {

// The names in a folder, "." and ".." left out, sorted; none when it cannot be read.
std::vector<std::string> DirectoryEntries(const std::string& dir);

}  // namespace mk843nb
