#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/cli_inventory.h"
#include "cli/console_pager_commands.h"
#include "cli/record_text.h"
#include "cli/shell_path.h"
#include "cli/subcommands.h"
#include "cli/transfer_command.h"
#include "image/fields.h"

namespace mk843nb::cli {

namespace {

struct IdentifyOptions {
    std::string port;
    bool json = false;
    bool trace = false;
};

// Call 1's address as the tone fields show it: "600.9/634.5".
std::string CallOneAddress(const PagerImage& image) {
    return FieldText(image, FieldNamed("T11")) + "/" + FieldText(image, FieldNamed("T21"));
}

constexpr const char* kLevelFields[] = {"RSSI", "SSI", "RSSI2"};

// "RSSI 1.23 V (code 105), SSI ..., RSSI2 ...": the pager's own levels.
std::string LevelsText(const PagerImage& image) {
    std::string text;
    for (const char* name : kLevelFields) {
        const Field& field = FieldNamed(name);
        if (!text.empty()) text += ", ";
        text += std::string(name) + " " + FieldText(image, field) + " V (code " +
                std::to_string(GetFieldCode(image, field)) + ")";
    }
    return text;
}

const char* ByText(inventory::Identity::By by) {
    switch (by) {
        case inventory::Identity::By::ExactImage:
            return "exact image";
        case inventory::Identity::By::AddressLevels:
            return "address and levels";
        case inventory::Identity::By::Nobody:
            break;
    }
    return "";
}

const char* AnswerText(const inventory::Identity& identity) {
    if (identity.pagers.empty()) return "unknown";
    return identity.pagers.size() == 1 ? "one" : "several";
}

void PrintJson(const inventory::Identity& identity, const PagerImage& image, bool damaged) {
    nlohmann::ordered_json levels = nlohmann::ordered_json::object();
    for (const char* name : kLevelFields) levels[name] = GetFieldCode(image, FieldNamed(name));
    nlohmann::ordered_json pagers = nlohmann::ordered_json::array();
    for (const inventory::Pager& pager : identity.pagers) pagers.push_back(PagerJson(pager));
    nlohmann::ordered_json out = {{"answer", AnswerText(identity)},
                                  {"by", ByText(identity.by)},
                                  {"pagers", pagers},
                                  {"damaged", damaged},
                                  {"address", CallOneAddress(image)},
                                  {"levels", levels},
                                  {"lastRecord", nullptr}};
    if (identity.latest) out["lastRecord"] = RecordJson(*identity.latest);
    std::cout << out.dump(2) << '\n';
}

void PrintText(const inventory::Identity& identity, const PagerImage& image, bool damaged) {
    if (damaged) std::cout << "The pager's memory fails its checksum.\n";
    if (identity.pagers.size() == 1) {
        std::cout << "This is " << PagerName(identity.pagers.front()) << ", by its "
                  << ByText(identity.by) << ".\n";
        if (identity.latest) std::cout << "Last record: " << RecordLine(*identity.latest) << '\n';
        return;
    }
    if (!identity.pagers.empty()) {
        std::cout << "This is one of " << identity.pagers.size() << " pagers, by its "
                  << ByText(identity.by) << ":\n";
        for (const inventory::Pager& pager : identity.pagers)
            std::cout << "  " << PagerName(pager) << '\n';
    } else {
        std::cout << "Unknown pager: the inventory has no pager like it.\n";
    }
    std::cout << "Call 1: " << CallOneAddress(image) << "; " << LevelsText(image) << '\n';
}

}  // namespace

// identify --port DEV [--json]: Read the pager (recorded in the inventory like
// any read) and say who it is: one pager, several alike, or one never seen.
// The answer is what the inventory knew before this read was recorded. A memory
// failing its checksum is still looked up by its address and levels.
void RegisterIdentifyCommand(CLI::App& app) {
    auto* command =
        app.add_subcommand("identify", "Read the pager on the board and say which pager it is");
    auto options = std::make_shared<IdentifyOptions>();
    command
        ->add_option("--port", options->port,
                     "the serial port of the board (a name such as ttyUSB0, or a path)")
        ->required()
        ->transform(ShellPort());
    command->add_flag("--json", options->json, "the answer as a JSON object");
    command->add_flag("--trace", options->trace, "print every frame sent and received on stderr");
    command->callback([options] {
        CommandRecording recording(CommandRecording::Need::Open);
        PagerImage image{};
        CommandOutcome outcome;
        {
            ConsolePagerCommands pager(options->port, options->trace, recording.Hook());
            outcome = pager.Commands().Read(image);
        }
        const bool damaged = !outcome.success() && outcome.link.damagedImage.has_value();
        if (damaged)
            image = *outcome.link.damagedImage;
        else
            ThrowUnlessSucceeded(outcome);
        const std::optional<inventory::Identity> identity = recording.Recorder()->LastIdentity();
        if (!identity)
            throw CommandFailure(
                outcome.recordError.empty() ? std::string(kUnrecordedNote) : outcome.recordError,
                ExitCode::Refused);
        if (!outcome.recordError.empty())
            std::cerr << outcome.recordError << '\n' << kUnrecordedNote << '\n';
        if (options->json)
            PrintJson(*identity, image, damaged);
        else
            PrintText(*identity, image, damaged);
    });
}

}  // namespace mk843nb::cli
