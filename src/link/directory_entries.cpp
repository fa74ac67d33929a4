#include "link/directory_entries.h"

#include <dirent.h>

#include <algorithm>
#include <memory>

namespace mk843nb {

std::vector<std::string> DirectoryEntries(const std::string& dir) {
    std::vector<std::string> names;
    std::unique_ptr<DIR, int (*)(DIR*)> handle(::opendir(dir.c_str()), ::closedir);
    if (!handle) return names;
    while (const dirent* entry = ::readdir(handle.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace mk843nb
