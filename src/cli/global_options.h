#pragma once

// The options every command takes before its name: which inventory, and who
// is at the bench.

#include <string>

namespace CLI {
class App;
}

namespace mk843nb::cli {

struct GlobalOptions {
    // --inventory PATH: an SQLite file, made absolute against the working
    // folder; "" for the default (Inventory::DefaultLocation()).
    std::string inventory;
    // --operator NAME: who records are made by; "" for the login name.
    std::string operatorName;
};

// Adds --inventory and --operator to the application.
void AddGlobalOptions(CLI::App& app);

// As parsed; the defaults before parsing.
const GlobalOptions& Global();

}  // namespace mk843nb::cli
