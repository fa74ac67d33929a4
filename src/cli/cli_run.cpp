#include "cli/cli_run.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <string>

#include "cli/media_handover.h"
#include "program_version.h"

namespace mk843nb::cli {

std::string ExitCodesHelp() {
    std::string text = "Exit status:";
    for (const ExitCodeInfo& info : kExitCodes)
        text += "\n  " + std::to_string(ToInt(info.code)) + "  " + std::string(info.meaning);
    return text;
}

int RunCli(int argc, char** argv, std::initializer_list<CommandRegistrar> commands) {
    KeepProgramArguments(argc, argv);
    CLI::App app("Programs two-tone sequential voice pagers: table files and the programmer board.",
                 "mk843nb-cli");
    app.set_version_flag("--version", "mk843nb-cli " + std::string(kProgramVersion));
    app.require_subcommand(1);
    app.footer(ExitCodesHelp());
    for (CommandRegistrar add : commands) add(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::CallForAllHelp& help) {
        return app.exit(help);
    } catch (const CLI::CallForVersion& version) {
        return app.exit(version);
    } catch (const CLI::ParseError& error) {
        app.exit(error);
        return ToInt(ExitCode::Usage);
    } catch (const CommandFailure& failure) {
        // A failure with nothing to add has said everything on stdout already.
        if (*failure.what() != '\0') std::cerr << failure.what() << '\n';
        return ToInt(failure.code());
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return ToInt(ExitCode::Refused);
    }
    return ToInt(ExitCode::Success);
}

}  // namespace mk843nb::cli
