#include "link/port_discovery.h"

#include <QSerialPortInfo>
#include <algorithm>
#include <cctype>

#include "link/port_diagnosis.h"

namespace mk843nb {
namespace {

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// The name of a port the user gave, shown as it was given.
std::string ShortName(const std::string& name) {
    return name.starts_with("/dev/") && name.find('/', 5) == std::string::npos ? name.substr(5)
                                                                               : name;
}

}  // namespace

std::string PortLabel(const PortEntry& entry) {
    if (entry.description.empty()) return entry.name;
    return entry.description + " (" + ShortName(entry.name) + ")";
}

void AttachByIdAliases(std::vector<PortEntry>& entries,
                       const std::map<std::string, std::string>& aliases) {
    for (PortEntry& entry : entries) {
        const auto alias = aliases.find(DevicePathOf(entry.name));
        if (alias != aliases.end()) entry.byId = alias->second;
    }
}

bool NaturalLess(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            std::size_t ei = i;
            std::size_t ej = j;
            while (ei < a.size() && IsDigit(a[ei])) ++ei;
            while (ej < b.size() && IsDigit(b[ej])) ++ej;
            // Compare the runs by value: drop leading zeros, then the longer is larger.
            std::string_view ra = a.substr(i, ei - i);
            std::string_view rb = b.substr(j, ej - j);
            ra.remove_prefix(std::min(ra.find_first_not_of('0'), ra.size()));
            rb.remove_prefix(std::min(rb.find_first_not_of('0'), rb.size()));
            if (ra.size() != rb.size()) return ra.size() < rb.size();
            if (ra != rb) return ra < rb;
            i = ei;
            j = ej;
        } else {
            if (a[i] != b[j]) return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

std::vector<PortEntry> FallbackPorts() {
    std::vector<PortEntry> ports;
    for (int i = 0; i < 16; ++i) ports.push_back({"ttyS" + std::to_string(i), ""});
    return ports;
}

int FindPort(const PortTable& table, const std::string& port) {
    if (port.empty()) return -1;
    for (std::size_t i = 0; i < table.entries.size(); ++i) {
        const PortEntry& e = table.entries[i];
        if (DevicePathOf(e.name) == DevicePathOf(port) || (!e.byId.empty() && e.byId == port))
            return static_cast<int>(i);
    }
    return -1;
}

std::string PortToRemember(const PortEntry& entry) {
    return entry.byId.empty() ? DevicePathOf(entry.name) : entry.byId;
}

PortTable BuildPortTable(std::vector<PortEntry> reported, const std::vector<std::string>& userPaths,
                         const std::map<std::string, std::string>& aliases) {
    AttachByIdAliases(reported, aliases);
    if (reported.size() <= 1) {
        auto fallback = FallbackPorts();
        reported.insert(reported.end(), fallback.begin(), fallback.end());
    }
    std::stable_sort(reported.begin(), reported.end(), [](const PortEntry& x, const PortEntry& y) {
        return NaturalLess(x.name, y.name);
    });
    PortTable table;
    auto find = [&table](const std::string& name) {
        const int index = FindPort(table, name);
        return index < 0 ? table.entries.end() : table.entries.begin() + index;
    };
    for (auto& entry : reported) {
        if (find(entry.name) == table.entries.end()) table.entries.push_back(std::move(entry));
    }
    bool selectedUser = false;
    for (const auto& path : userPaths) {
        auto it = find(path);
        if (it == table.entries.end()) {
            PortEntry added{path, ""};
            const auto alias = aliases.find(DevicePathOf(path));
            if (alias != aliases.end()) added.byId = alias->second;
            for (const auto& [device, byId] : aliases)
                if (byId == path) added.byId = path;
            table.entries.push_back(std::move(added));
            it = table.entries.end() - 1;
        }
        if (!selectedUser) {
            table.selected = static_cast<int>(it - table.entries.begin());
            selectedUser = true;
        }
    }
    return table;
}

PortTable DiscoverPorts(const std::vector<std::string>& userPaths) {
    std::vector<PortEntry> reported;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PortEntry entry;
        entry.name = info.portName().toStdString();
        entry.description = info.description().toStdString();
        entry.manufacturer = info.manufacturer().toStdString();
        entry.serialNumber = info.serialNumber().toStdString();
        if (info.hasVendorIdentifier()) entry.vendorId = info.vendorIdentifier();
        if (info.hasProductIdentifier()) entry.productId = info.productIdentifier();
        reported.push_back(std::move(entry));
    }
    return BuildPortTable(std::move(reported), userPaths, ByIdAliases());
}

}  // namespace mk843nb
