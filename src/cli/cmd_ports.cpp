#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/shell_path.h"
#include "cli/subcommands.h"
#include "link/port_diagnosis.h"
#include "link/port_discovery.h"

namespace mk843nb::cli {
namespace {

nlohmann::ordered_json TextOrNull(const std::string& text) {
    return text.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(text);
}

// USB identifiers as the system writes them: four lower-case hex digits.
nlohmann::ordered_json IdOrNull(const std::optional<std::uint16_t>& id) {
    if (!id) return nullptr;
    char text[5];
    std::snprintf(text, sizeof text, "%04x", *id);
    return std::string(text);
}

void PrintJson(const PortTable& table) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const PortEntry& entry : table.entries) {
        list.push_back({{"path", DevicePathOf(entry.name)},
                        {"by_id", TextOrNull(entry.byId)},
                        {"description", TextOrNull(entry.description)},
                        {"manufacturer", TextOrNull(entry.manufacturer)},
                        {"serial_number", TextOrNull(entry.serialNumber)},
                        {"vendor_id", IdOrNull(entry.vendorId)},
                        {"product_id", IdOrNull(entry.productId)}});
    }
    std::cout << list.dump(2) << '\n';
}

}  // namespace

// ports [--json] [--port PATH]...: the port table as the window's cboPort would
// list it: "FT232R USB UART (ttyUSB0)", then the by-id name where there is one.
void RegisterPortsCommand(CLI::App& app) {
    auto* command =
        app.add_subcommand("ports", "List the serial ports the program would offer, one a line");
    auto userPorts = std::make_shared<std::vector<std::string>>();
    auto json = std::make_shared<bool>(false);
    command->add_option("--port", *userPorts, "a port path to add and select (repeatable)")
        ->transform(ShellPort());
    command->add_flag("--json", *json,
                      "a JSON list of objects: path, by_id, description, manufacturer, "
                      "serial_number, vendor_id, product_id (null where unknown)");
    command->callback([userPorts, json] {
        const PortTable table = DiscoverPorts(*userPorts);
        if (*json) {
            PrintJson(table);
            return;
        }
        for (const PortEntry& entry : table.entries) {
            std::cout << PortLabel(entry);
            if (!entry.byId.empty()) std::cout << "  " << entry.byId;
            std::cout << '\n';
        }
    });
}

}  // namespace mk843nb::cli
