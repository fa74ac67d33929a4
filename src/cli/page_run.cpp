#include "cli/page_run.h"

#include <QEventLoop>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_application.h"
#include "cli/subcommands.h"
#include "files/atomic_write.h"
#include "files/table_file_messages.h"
#include "files/table_io.h"
#include "image/codecs.h"
#include "playback/page_player.h"
#include "sound/test_page.h"
#include "sound/wave_file.h"

namespace mk843nb::cli {
namespace {

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

}  // namespace

void RunPage(const PageOptions& options) {
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

}  // namespace mk843nb::cli
