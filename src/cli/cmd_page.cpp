#include <CLI/CLI.hpp>
#include <memory>

#include "cli/number_option.h"
#include "cli/page_run.h"
#include "cli/shell_path.h"
#include "cli/subcommands.h"
#include "sound/test_page.h"

namespace mk843nb::cli {

// page FILE --call N... | --group N... [--wav OUT] [--play [--device NAME]]:
// the test page of a table's calls, to a WAV file or a sound output.
void RegisterPageCommand(CLI::App& app) {
    auto* command = app.add_subcommand(
        "page", "Sound a test page of a table's calls: to a WAV file or a sound output");
    auto options = std::make_shared<PageOptions>();
    command->add_option("FILE", options->file, "the table file whose call tones are paged");
    auto* calls = command->add_option("--call", options->request.calls,
                                      "a call to page (1-4): TONE1, then TONE2; repeat for "
                                      "several calls, paged back to back with 1 s gaps");
    calls->check(NumberFrom(1, 4, true))->allow_extra_args(false);
    auto* groups = command->add_option("--group", options->request.groups,
                                       "a group call to page (1-2): its tone; may be repeated");
    groups->check(NumberFrom(1, 2, true))->allow_extra_args(false)->excludes(calls);
    command->add_option("--wav", options->wav, "write the page to this WAV file (16-bit mono)");
    auto* play = command->add_flag("--play", options->play, "play the page on a sound output");
    command
        ->add_option("--device", options->device,
                     "the sound output to play on, by its name or description "
                     "(default: the system's default output)")
        ->needs(play);
    command->add_flag("--list-devices", options->listDevices, "list the sound outputs and stop");
    const CLI::Validator seconds = NumberFrom(0.05, 600.0);
    command->add_option("--a-seconds", options->request.timing.aSeconds, "TONE1's length")
        ->check(seconds)
        ->capture_default_str();
    command->add_option("--b-seconds", options->request.timing.bSeconds, "TONE2's length")
        ->check(seconds)
        ->capture_default_str();
    command
        ->add_option("--group-seconds", options->request.timing.groupSeconds,
                     "a group call's tone length")
        ->check(seconds)
        ->capture_default_str();
    command->add_option("--rate", options->rate, "samples per second")
        ->check(NumberFrom(kPageRateLowest, kPageRateHighest, true))
        ->capture_default_str();
    command->callback([options] { RunPage(*options); });
}

}  // namespace mk843nb::cli
