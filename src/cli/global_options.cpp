#include "cli/global_options.h"

#include <CLI/CLI.hpp>

#include "cli/shell_path.h"

namespace mk843nb::cli {
namespace {

GlobalOptions& Options() {
    static GlobalOptions options;
    return options;
}

}  // namespace

void AddGlobalOptions(CLI::App& app) {
    GlobalOptions& options = Options();
    app.add_option_function<std::string>(
           "--inventory",
           [&options](const std::string& typed) {
               // A database URL is taken as it is; a file is where the shell means.
               options.inventory =
                   typed.find("://") != std::string::npos ? typed : ShellPath(typed).path.string();
           },
           "the inventory's database file (default: $MK843NB_INVENTORY, else "
           "~/.local/share/mk843nb/inventory.sqlite)")
        ->type_name("PATH")
        ->configurable(false);
    app.add_option("--operator", options.operatorName,
                   "who is at the bench, as records name them (default: the login name)")
        ->type_name("NAME")
        ->configurable(false);
}

const GlobalOptions& Global() { return Options(); }

}  // namespace mk843nb::cli
