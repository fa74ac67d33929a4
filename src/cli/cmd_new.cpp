#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "cli/cli_session.h"
#include "cli/shell_path.h"
#include "cli/subcommands.h"

namespace mk843nb::cli {

// new FILE: a fresh start (the form model with no default table), then Save As FILE.
void RegisterNewCommand(CLI::App& app) {
    auto* command =
        app.add_subcommand("new", "Write the image of a fresh start to a table file (256 bytes)");
    auto file = std::make_shared<ShellPath>();
    command->add_option("FILE", *file, "the table file to write")->required();
    command->callback([file] {
        CliSession session(*file);
        session.SaveFileAs(session.Model().Image());
    });
}

}  // namespace mk843nb::cli
