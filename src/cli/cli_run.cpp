#include "cli/cli_run.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <new>
#include <string>

#include "cli/global_options.h"
#include "cli/media_handover.h"
#include "program_version.h"

namespace mk843nb::cli {

std::string ExitCodesHelp(unsigned codes) {
    std::string text = "Exit status:";
    for (const ExitCodeInfo& info : kExitCodes)
        if ((codes >> ToInt(info.code) & 1u) != 0)
            text += "\n  " + std::to_string(ToInt(info.code)) + "  " + std::string(info.meaning);
    return text;
}

std::string FileSystemErrorText(const std::filesystem::filesystem_error& error) {
    std::string text = error.path1().empty() ? std::string("a file") : error.path1().string();
    text += ": " + error.code().message();
    if (!error.path2().empty()) text += " (" + error.path2().string() + ")";
    return text;
}

namespace {

// Each command's --help ends with the statuses that command can give; a
// command missing from the table shows them all rather than none.
void ListCommandExitCodes(CLI::App& parent, const std::string& path) {
    for (CLI::App* command : parent.get_subcommands({})) {
        if (command->get_name().empty()) continue;  // an option group, not a command
        const std::string name =
            path.empty() ? command->get_name() : path + " " + command->get_name();
        unsigned codes = ~0u;
        for (const CommandExitCodes& entry : kCommandExitCodes)
            if (entry.command == name) codes = entry.codes;
        command->footer(ExitCodesHelp(codes));
        ListCommandExitCodes(*command, name);
    }
}

}  // namespace

int RunCli(int argc, char** argv, std::initializer_list<CommandRegistrar> commands) {
    KeepProgramArguments(argc, argv);
    CLI::App app("Programs two-tone sequential voice pagers: table files and the programmer board.",
                 "mk843nb-cli");
    app.set_version_flag("--version", "mk843nb-cli " + std::string(kProgramVersion));
    app.require_subcommand(1);
    app.footer(ExitCodesHelp());
    AddGlobalOptions(app);
    // --inventory and --operator may also follow the command's name.
    app.fallthrough();
    for (CommandRegistrar add : commands) add(app);
    ListCommandExitCodes(app, "");
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
    } catch (const std::bad_alloc&) {
        // Commands that can run out say what they were doing; this is the last word for the rest.
        std::cerr << "Not enough memory to finish the command\n";
        return ToInt(ExitCode::Refused);
    } catch (const std::filesystem::filesystem_error& error) {
        // The library's text ("filesystem error: status: Permission denied [x]")
        // names its own call; the user needs the file and the reason.
        std::cerr << FileSystemErrorText(error) << '\n';
        return ToInt(ExitCode::Refused);
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return ToInt(ExitCode::Refused);
    }
    return ToInt(ExitCode::Success);
}

}  // namespace mk843nb::cli
