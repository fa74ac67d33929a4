#pragma once

// Why a serial port cannot be used, found out from the system itself (stat,
// /proc and /dev/serial/by-id) rather than from the error a failed open gave,
// which cannot tell a port held by another program from a missing permission.

#include <map>
#include <string>
#include <vector>

#include "link/port_users.h"

namespace mk843nb {

// The device a port table entry opens: "ttyUSB0" is "/dev/ttyUSB0", a path stays as it is.
std::string DevicePathOf(const std::string& name);

enum class PortFault {
    None,        // the device opens and nobody else holds it
    Missing,     // there is no such device
    NotSerial,   // the path is no terminal device: /dev/null, a regular file, a folder
    Busy,        // another program holds it
    Permission,  // the user may not open it
    Other,       // it cannot be opened for another reason
};

struct PortDiagnosis {
    PortFault fault = PortFault::None;
    std::string text;  // the cause and the fix, one paragraph; empty for None
    std::vector<PortHolder> holders;
    std::string group;  // Permission: the device's group
};

// The processes other than this one that use the device: the one a live lock
// file names, or else every process with it open (other users' processes only
// when /proc lets us see their descriptors; not the far end of a pseudo-terminal).
std::vector<PortHolder> FindHolders(const std::string& devicePath, const SystemPaths& paths = {});

// The /dev/serial/by-id names, keyed by the device each one leads to ("/dev/ttyUSB0").
std::map<std::string, std::string> ByIdAliases(const SystemPaths& paths = {});
// The by-id name of the device behind port ("ttyUSB0" is a device under /dev),
// the first in sort order; a by-id name is its own; "" when it has none.
std::string ByIdNameOf(const std::string& port, const SystemPaths& paths = {});

// Looks at the device behind a port name and says what keeps it from being used.
PortDiagnosis DiagnosePort(const std::string& name, const SystemPaths& paths = {});

}  // namespace mk843nb
