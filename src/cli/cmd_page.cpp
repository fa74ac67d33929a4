#include <CLI/CLI.hpp>
#include <QCoreApplication>
#include <QEventLoop>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/number_option.h"
#include "cli/shell_path.h"
#include "files/atomic_write.h"
#include "files/table_file_messages.h"
#include "files/table_io.h"
#include "image/codecs.h"
#include "playback/page_player.h"
#include "sound/call_page.h"
#include "sound/test_page.h"
#include "sound/wave_file.h"

namespace mk843nb::cli {
namespace {

struct PageOptions {
    ShellPath file;
    PageRequest request;
    ShellPath wav;
    bool play = false;
    std::string device;
    bool listDevices = false;
    int rate = 48000;
};

// Qt Multimedia needs an application object; the command line has none of its
// own. It stays until the program ends, made before the sound server's
// connection, so it is gone after that connection is torn down at exit.
void EnsureApplication() {
    if (QCoreApplication::instance() != nullptr) return;
    static int argc = 1;
    static char name[] = "mk843nb-cli";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

void ListDevices() {
    EnsureApplication();
    const std::vector<SoundOutput> outputs = SoundOutputs();
    if (outputs.empty()) throw CommandFailure(NoSoundOutputText().toStdString());
    for (const SoundOutput& output : outputs) {
        std::cout << output.id.toStdString() << "  " << output.description.toStdString();
        if (output.isDefault) std::cout << "  (default)";
        std::cout << '\n';
    }
}

std::string Seconds(double seconds) {
    std::string text = std::to_string(seconds);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    return text + " s";
}

void Describe(const CallPagePlan& plan, const PageTiming& timing) {
    for (const PagedCall& call : plan.calls) {
        std::cout << call.label << ":";
        const bool group = call.tones.size() == 1;
        for (std::size_t i = 0; i < call.tones.size(); ++i) {
            const double seconds = group    ? timing.groupSeconds
                                   : i == 0 ? timing.aSeconds
                                            : timing.bSeconds;
            std::cout << (i == 0 ? " " : ", then ") << FormatTone(call.tones[i]) << " Hz for "
                      << Seconds(seconds);
        }
        std::cout << '\n';
    }
}

void Play(const std::vector<std::int16_t>& samples, const PageOptions& options) {
    EnsureApplication();
    PagePlayer player;
    if (!player.Start(samples, options.rate, QString::fromStdString(options.device))) {
        std::string message = player.ErrorText().toStdString();
        if (!options.device.empty()) message += "; mk843nb-cli page --list-devices lists them";
        throw CommandFailure(message);
    }
    std::cout << "Playing on " << player.OutputDescription().toStdString() << " ..." << std::endl;
    QEventLoop loop;
    bool completed = false;
    QString failure;
    QObject::connect(&player, &PagePlayer::Finished, &loop, [&](bool done, const QString& message) {
        completed = done;
        failure = message;
        loop.quit();
    });
    loop.exec();
    if (!completed) throw CommandFailure(failure.toStdString());
    std::cout << "Played." << '\n';
}

void Run(const PageOptions& options) {
    if (options.listDevices) return ListDevices();
    if (options.file.path.empty())
        throw CommandFailure("page needs a table file (or --list-devices)", ExitCode::Usage);
    if (options.wav.path.empty() && !options.play)
        throw CommandFailure("page needs --wav OUT, --play or both", ExitCode::Usage);
    if (options.request.calls.empty() && options.request.groups.empty())
        throw CommandFailure("page needs --call N or --group N", ExitCode::Usage);

    std::string why;
    const std::optional<TableBytes> table = ReadTableBytes(options.file.path, why);
    if (!table) throw CommandFailure(OpenErrorText(options.file.typed, why));
    const CallPagePlan plan = PlanCallPage(table->bytes, table->count, options.request);
    if (!plan.refusal.empty()) throw CommandFailure(options.file.typed + ": " + plan.refusal);
    for (const std::string& note : plan.notes)
        std::cerr << options.file.typed << ": " << note << '\n';

    Describe(plan, options.request.timing);
    const std::vector<std::int16_t> samples = RenderPage(plan.page, options.rate);
    if (!options.wav.path.empty()) {
        if (auto error = WriteWaveFile(options.wav.path, samples, options.rate)) {
            // The writer names absolute paths (the file, then its folder in the
            // reason); the user reads the names typed.
            const auto shown = [&](const std::string& absolute, const std::string& typed) {
                for (auto at = error->find(absolute); at != std::string::npos;
                     at = error->find(absolute, at + typed.size()))
                    error->replace(at, absolute.size(), typed);
            };
            shown(options.wav.path.string(), options.wav.typed);
            shown(options.wav.path.parent_path().string(),
                  FolderOf(std::filesystem::path(options.wav.typed)).string());
            throw CommandFailure(*error);
        }
        std::cout << "Wrote " << options.wav.typed << " (" << Seconds(PageSeconds(plan.page))
                  << ", " << options.rate << " Hz, 16-bit mono)\n";
    }
    if (options.play) Play(samples, options);
}

}  // namespace

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
    command->callback([options] { Run(*options); });
}

}  // namespace mk843nb::cli
