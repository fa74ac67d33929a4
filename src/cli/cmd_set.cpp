#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_session.h"
#include "cli/shell_path.h"
#include "cli/subcommands.h"
#include "editor/field_assignment.h"
#include "tones/tone_names.h"

namespace mk843nb::cli {
namespace {

std::string Joined(const std::vector<Message>& messages) {
    std::string text;
    for (const Message& message : messages) text += (text.empty() ? "" : "\n") + message.text;
    return text;
}

struct SetOptions {
    ShellPath file;
    std::vector<std::string> assignments;
    bool userMode = false;
    bool exact = false;
    std::string accessCode;
};

}  // namespace

// set [--user-mode] [--access-code CODE] FILE NAME=VALUE...: a fresh start,
// Open FILE, each assignment as a user would make it, then Save As FILE. The
// first refusal prints the system's message after the field's name and
// caption, and leaves FILE untouched.
void RegisterSetCommand(CLI::App& app) {
    auto* command =
        app.add_subcommand("set", "Set fields of a table file under the window's entry rules");
    auto options = std::make_shared<SetOptions>();
    command->add_flag("--user-mode", options->userMode,
                      "start in User Mode instead of Standard Mode");
    command->add_option("--access-code", options->accessCode,
                        "the Advance Setting access code, to reach the Advance Setting page");
    command->add_flag("--exact", options->exact,
                      "refuse a tone that Standard Mode would move to the nearest standard tone");
    command->add_option("FILE", options->file, "the table file to change")->required();
    command->add_option("ASSIGNMENTS", options->assignments, "NAME=VALUE, NAME as in show --json")
        ->required();
    command->callback([options] {
        CliSession session(options->file);
        FormModel& model = session.Model();
        FormDriver& user = session.User();
        if (options->userMode) user.Click("radUser");
        session.OpenFile();
        if (!options->accessCode.empty()) {
            user.Click("Advance2");
            user.Apply(model.SubmitAccessCode(options->accessCode), false);
            if (!user.Messages().empty()) throw CommandFailure(Joined(user.TakeMessages()));
        }
        for (const std::string& assignment : options->assignments) {
            const auto equals = assignment.find('=');
            if (equals == std::string::npos)
                throw CommandFailure("'" + assignment + "' is not NAME=VALUE");
            const std::string name = assignment.substr(0, equals);
            const std::string value = assignment.substr(equals + 1);
            const std::vector<Message> refused = AssignField(user, name, value);
            if (!refused.empty()) throw CommandFailure(RefusalText(name, value, refused));
            for (const ToneSnap& snap : model.TakeToneSnaps()) {
                if (options->exact)
                    throw CommandFailure(tones::SnapRefusal(snap.field, snap.typed, snap.stored));
                std::cerr << tones::SnapNotice(snap.field, snap.typed, snap.stored) << '\n';
            }
        }
        session.SaveFileAs(model.Image());
    });
}

}  // namespace mk843nb::cli
