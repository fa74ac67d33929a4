// Start-up of the main window and its resident memory. Prints its figures:
//   construction, first showing with no port to search, first showing with one
//   silent port (the board search's own wait reported apart), and VmRSS.
// Goals: shown in under 1 s beyond the board search; under 80 MB resident.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <cstdio>

#include "files/table_file_ui.h"
#include "link/port_table.h"
#include "silent_ptys.h"
#include "test_files.h"
#include "ui/dialog_service.h"
#include "ui/main_window.h"

namespace {

// Answers every box at once, as if the user pressed OK.
class SilentDialogs : public mk843nb::DialogService {
public:
    std::optional<std::string> ChooseOpenFile(const mk843nb::FileDialogRequest&) override {
        return {};
    }
    std::optional<std::string> ChooseSaveFile(const mk843nb::FileDialogRequest&) override {
        return {};
    }
    bool AskYesNo(const mk843nb::Message&) override { return false; }
    void Show(const mk843nb::Message&) override {}
};

long ResidentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

struct Timing {
    double constructMs = 0, startMs = 0;
};

Timing StartOnce(const mk843nb::PortTable& ports) {
    SilentDialogs dialogs;
    QElapsedTimer t;
    t.start();
    mk843nb::MainWindow window(dialogs);
    Timing timing;
    timing.constructMs = double(t.nsecsElapsed()) / 1e6;
    window.StartWith(ports);
    (void)QTest::qWaitForWindowExposed(&window, 1000);
    timing.startMs = double(t.nsecsElapsed()) / 1e6 - timing.constructMs;
    return timing;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    mk843nb::test::TempDir dir;  // no default.tbl
    QDir::setCurrent(QString::fromStdString(dir.Path()));

    const Timing none = StartOnce({});
    mk843nb::test::SilentPtys silent(1);
    mk843nb::PortTable one;
    one.entries.push_back({silent.Paths()[0], ""});
    const Timing silentPort = StartOnce(one);
    constexpr double kSearchMs = 3000;  // the board search waits about 3 s for a silent port

    SilentDialogs dialogs;
    mk843nb::MainWindow window(dialogs);
    window.StartWith({});
    for (int i = 0; i < 20; ++i) QTest::qWait(10);
    const long rss = ResidentKiB();

    std::printf("construct main window            %8.1f ms\n", none.constructMs);
    std::printf("first showing, no port           %8.1f ms\n", none.startMs);
    std::printf("start-up to shown, no port       %8.1f ms   (goal < 1000 ms)\n",
                none.constructMs + none.startMs);
    std::printf(
        "start-up to shown, 1 silent port %8.1f ms   (%.1f ms beyond the %.0f ms board search)\n",
        silentPort.constructMs + silentPort.startMs,
        silentPort.constructMs + silentPort.startMs - kSearchMs, kSearchMs);
    std::printf("resident memory (VmRSS)          %8.1f MB   (goal < 80 MB)\n",
                double(rss) / 1024.0);
    const bool ok = none.constructMs + none.startMs < 1000 && rss < 80 * 1024;
    std::printf("%s\n", ok ? "goals met" : "GOALS MISSED");
    return ok ? 0 : 1;
}
