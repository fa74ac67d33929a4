#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "link/port_table.h"

namespace mk843nb {

// "ttyS2" before "ttyS10": runs of digits compare by their value.
bool NaturalLess(std::string_view a, std::string_view b);

// The classic names tried when the system reports fewer than two ports.
std::vector<PortEntry> FallbackPorts();

// Builds the port table from what the system reports, in natural order, once
// per name. With fewer than two reported, the fallback names ttyS0 to ttyS15
// are listed as well (the reported one keeps its place in the natural order).
// User paths (--port) follow, each once, the first of them selected; a user
// path naming a listed device (by its name, path or by-id name) selects that
// entry instead of adding it again. Without user paths entry 0 is selected.
// aliases (device path -> by-id path, as ByIdAliases gives them) name each
// entry's by-id alias.
PortTable BuildPortTable(std::vector<PortEntry> reported, const std::vector<std::string>& userPaths,
                         const std::map<std::string, std::string>& aliases = {});

// The entry that port names (by its name, its device path or its by-id name); -1 if none.
int FindPort(const PortTable& table, const std::string& port);

// What the window remembers of the port the board answered on: its by-id name,
// which survives replugging, or else its device path.
std::string PortToRemember(const PortEntry& entry);

// BuildPortTable over the serial ports QSerialPortInfo reports and the
// aliases in /dev/serial/by-id.
PortTable DiscoverPorts(const std::vector<std::string>& userPaths = {});

}  // namespace mk843nb
