#pragma once

#include <string>
#include <vector>

namespace mk843nb {

struct PortEntry {
    std::string name;         // what the port opens: "ttyUSB0" (under /dev) or a full path
    std::string description;  // the system's description, empty when it has none

    bool operator==(const PortEntry&) const = default;
};

// The ports cboPort lists, in order; a link command opens the selected one.
struct PortTable {
    std::vector<PortEntry> entries;
    int selected = 0;

    const PortEntry* Selected() const {
        return selected >= 0 && selected < static_cast<int>(entries.size())
                   ? &entries[static_cast<std::size_t>(selected)]
                   : nullptr;
    }
};

}  // namespace mk843nb
