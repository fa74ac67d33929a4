#include "cli/tones_chart_run.h"

#include <QGuiApplication>
#include <algorithm>
#include <cerrno>
#include <iostream>
#include <memory>

#include "cli/cli_application.h"
#include "cli/subcommands.h"
#include "cli/tone_plan_args.h"
#include "files/atomic_write.h"
#include "tones/plan_check.h"
#include "tones/plan_summary.h"
#include "tones_chart/chart_files.h"

namespace mk843nb::cli {
namespace {

// Qt's note that it made itself a runtime folder (no XDG_RUNTIME_DIR, as under
// sudo or cron) says nothing about the chart; everything else it says passes on.
QtMessageHandler previousHandler = nullptr;
void QuietAboutRuntimeFolder(QtMsgType type, const QMessageLogContext& context,
                             const QString& message) {
    if (message.startsWith(QStringLiteral("QStandardPaths: XDG_RUNTIME_DIR not set"))) return;
    if (previousHandler != nullptr) previousHandler(type, context, message);
}

std::unique_ptr<QCoreApplication> MakeGuiApplication(int& argc, char** argv) {
    return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace

void RunToneChart(const ChartOptions& options) {
    const auto format = tones::ChartFormatOf(options.out.path);
    if (!format)
        throw CommandFailure(
            options.out.typed + ": the chart is written as SVG (name.svg) or PNG (name.png)",
            ExitCode::Usage);
    std::vector<tones::CallPair> shared = SharedPairs(options.shared);
    const tones::PlanSourcesRead read = ReadPlan(options.paths);
    for (const tones::CallPair& pair : read.shared)
        if (std::find(shared.begin(), shared.end(), pair) == shared.end()) shared.push_back(pair);
    const tones::CheckResult result = tones::CheckPlan(read.plan, shared);
    const tones::ChartLayout layout = tones::LayoutChart(read.plan, result, options.size);

    // Fonts and painting need a GUI application; the command line draws off screen.
    if (QCoreApplication::instance() == nullptr)
        previousHandler = qInstallMessageHandler(QuietAboutRuntimeFolder);
    const ScopedApplication app(MakeGuiApplication, true);
    const std::string bytes = tones::ChartFileBytes(layout, *format);
    if (bytes.empty())
        throw CommandFailure("the chart could not be drawn; nothing was written to " +
                             options.out.typed);
    if (!WriteFileAtomically(options.out.path, bytes))
        throw CommandFailure("Save Error! " + options.out.typed + ": " +
                             SaveFailureReason(options.out.path, options.out.typed, errno));
    std::cout << "Wrote " << options.out.typed << " (" << layout.size.width << " x "
              << layout.size.height
              << "): " << tones::PlanSummary(read.plan.pagers.size(), result, ", ", " in red")
              << "\n";
}

}  // namespace mk843nb::cli
