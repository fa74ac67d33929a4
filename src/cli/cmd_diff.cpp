#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/cli_session.h"
#include "cli/console_pager_commands.h"
#include "cli/shell_path.h"
#include "cli/subcommands.h"
#include "cli/transfer_command.h"
#include "editor/form_model.h"
#include "editor/image_compare.h"
#include "link/console_link.h"

namespace mk843nb::cli {
namespace {

struct DiffOptions {
    std::string port;
    std::vector<ShellPath> files;
    bool json = false;
    bool trace = false;
    bool all = false;
};

// A table file as the window holds it right after opening it on a fresh start.
PagerImage OpenedImage(const ShellPath& file) {
    CliSession session(file);
    session.OpenFile();
    return session.Model().Image();
}

std::string Count(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// "2 fields differ", "No field differs", each with the bookkeeping after it.
std::string Summary(std::size_t fields, std::size_t bookkeeping, bool all) {
    std::string text = fields == 0 ? std::string("No field differs")
                                   : Count(fields, "field differs", "fields differ");
    if (bookkeeping > 0)
        text += "; " + Count(bookkeeping, "bookkeeping field", "bookkeeping fields") +
                (all ? " counted (--all)" : " not counted (--all counts them)");
    return text;
}

void Print(const std::vector<FieldDifference>& differences, bool json, bool all) {
    if (json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const FieldDifference& d : differences)
            list.push_back({{"field", d.field},
                            {"page", d.page},
                            {"caption", d.caption},
                            {"a", d.a},
                            {"b", d.b},
                            {"derived", d.derived},
                            {"bookkeeping", d.bookkeeping}});
        std::cout << list.dump(2) << '\n';
        return;
    }
    std::size_t bookkeeping = 0;
    for (const FieldDifference& d : differences) {
        if (d.bookkeeping)
            ++bookkeeping;
        else
            std::cout << DifferenceLine(d) << '\n';
    }
    if (bookkeeping > 0) {
        std::cout << "bookkeeping (kept by the program when it writes):\n";
        for (const FieldDifference& d : differences)
            if (d.bookkeeping) std::cout << "  " << DifferenceLine(d) << '\n';
    }
    std::cout << Summary(differences.size() - bookkeeping, bookkeeping, all) << '\n';
}

}  // namespace

// diff A B [--json]: both files as the window shows them after opening each;
// diff --port DEV FILE [--json]: the pager as read (stored as a backup) against FILE.
// Exit 0 when equal, 5 when they differ, 1 when a file cannot be read. What
// Write keeps itself (the write mark, the version bytes, ...) is listed apart
// and counts only with --all: a pager restored from a backup equals it.
void RegisterDiffCommand(CLI::App& app) {
    auto* command = app.add_subcommand(
        "diff", "List the fields that differ between two table files, or a pager and a file");
    auto options = std::make_shared<DiffOptions>();
    command
        ->add_option("--port", options->port, "compare the pager on this port (read now) with FILE")
        ->transform(ShellPort());
    command->add_flag("--json", options->json,
                      "a JSON list of {field, page, caption, a, b, derived, bookkeeping}");
    command->add_flag("--all", options->all,
                      "count the bookkeeping fields (the write mark, the version bytes, the "
                      "checksum...) as differences too");
    command->add_flag("--trace", options->trace, "print every frame sent and received on stderr");
    command->add_option("FILES", options->files, "A B, or with --port only FILE")->required();
    command->callback([options] {
        const std::size_t wanted = options->port.empty() ? 2 : 1;
        if (options->files.size() != wanted)
            throw CommandFailure(options->port.empty() ? "diff needs two table files: A B"
                                                       : "diff --port needs one table file",
                                 ExitCode::Usage);
        PagerImage a{};
        PagerImage b{};
        if (options->port.empty()) {
            a = OpenedImage(options->files[0]);
            b = OpenedImage(options->files[1]);
        } else {
            b = OpenedImage(options->files[0]);  // a file that cannot be read costs no transfer
            PagerImage pager = b;
            CommandOutcome outcome;
            {
                ConsolePagerCommands link(options->port, options->trace);
                outcome = link.Commands().ReadForComparison(pager);
            }
            ThrowUnlessSucceeded(outcome);
            // As the window holds it after the Read's refresh.
            FormModel window;
            window.ReplaceImage(pager);
            a = window.Image();
        }
        const auto differences = CompareImages(a, b);
        Print(differences, options->json, options->all);
        const bool differ =
            std::any_of(differences.begin(), differences.end(),
                        [&](const FieldDifference& d) { return options->all || !d.bookkeeping; });
        // The summary is already on stdout: nothing more to say on stderr.
        if (differ) throw CommandFailure("", ExitCode::VerifyDiffers);
    });
}

}  // namespace mk843nb::cli
