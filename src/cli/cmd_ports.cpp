#include <CLI/CLI.hpp>
#include <QCoreApplication>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "link/port_discovery.h"

namespace mk843nb::cli {

// ports [--port PATH]...: the port table as the window's cboPort would list it.
void RegisterPortsCommand(CLI::App& app) {
    auto* command =
        app.add_subcommand("ports", "List the serial ports the program would offer, one a line");
    auto userPorts = std::make_shared<std::vector<std::string>>();
    command->add_option("--port", *userPorts, "a port path to add and select (repeatable)");
    command->callback([userPorts] {
        const PortTable table = DiscoverPorts(*userPorts);
        for (const PortEntry& entry : table.entries) {
            std::cout << entry.name;
            if (!entry.description.empty()) std::cout << "  " << entry.description;
            std::cout << '\n';
        }
    });
}

}  // namespace mk843nb::cli
