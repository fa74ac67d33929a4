#include "link/port_discovery.h"

#include <QSerialPortInfo>
#include <algorithm>
#include <cctype>

namespace mk843nb {
namespace {

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// The device path a table entry opens, so "ttyUSB0" and "/dev/ttyUSB0" are one port.
std::string DevicePath(const std::string& name) {
    return !name.empty() && name.front() == '/' ? name : "/dev/" + name;
}

}  // namespace

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

PortTable BuildPortTable(std::vector<PortEntry> reported,
                         const std::vector<std::string>& userPaths) {
    if (reported.size() <= 1) {
        auto fallback = FallbackPorts();
        reported.insert(reported.end(), fallback.begin(), fallback.end());
    }
    std::stable_sort(reported.begin(), reported.end(), [](const PortEntry& x, const PortEntry& y) {
        return NaturalLess(x.name, y.name);
    });
    PortTable table;
    auto find = [&table](const std::string& name) {
        return std::find_if(table.entries.begin(), table.entries.end(), [&](const PortEntry& e) {
            return DevicePath(e.name) == DevicePath(name);
        });
    };
    for (auto& entry : reported) {
        if (find(entry.name) == table.entries.end()) table.entries.push_back(std::move(entry));
    }
    bool selectedUser = false;
    for (const auto& path : userPaths) {
        auto it = find(path);
        if (it == table.entries.end()) {
            table.entries.push_back({path, ""});
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
        reported.push_back({info.portName().toStdString(), info.description().toStdString()});
    }
    return BuildPortTable(std::move(reported), userPaths);
}

}  // namespace mk843nb
