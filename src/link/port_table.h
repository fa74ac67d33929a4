#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mk843nb {

struct PortEntry {
    PortEntry() = default;
    PortEntry(std::string portName, std::string portDescription)
        : name(std::move(portName)), description(std::move(portDescription)) {}

    std::string name;         // what the port opens: "ttyUSB0" (under /dev) or a full path
    std::string description;  // the system's description, empty when it has none
    std::string byId;  // its /dev/serial/by-id name, which survives replugging; empty when none
    std::string manufacturer;  // empty when unknown
    std::string serialNumber;  // empty when unknown
    std::optional<std::uint16_t> vendorId;
    std::optional<std::uint16_t> productId;

    bool operator==(const PortEntry&) const = default;
};

// What the port box shows: "FT232R USB UART (ttyUSB0)", or the bare name
// when the system gives no description.
std::string PortLabel(const PortEntry& entry);

// Gives each entry the by-id name of its device (aliases: device path -> by-id path).
void AttachByIdAliases(std::vector<PortEntry>& entries,
                       const std::map<std::string, std::string>& aliases);

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
