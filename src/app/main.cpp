// mk843nb: the main window. Options: --port PATH (repeatable) lists a port
// beside the discovered ones, e.g. the emulator's pseudo-terminal.
#include <CLI/CLI.hpp>
#include <QApplication>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "program_version.h"
#include "ui/app_settings.h"
#include "ui/dialog_service.h"
#include "ui/main_window.h"
#include "ui/program_icon.h"
#include "ui/single_instance.h"

int main(int argc, char* argv[]) {
    // Answered before the toolkit starts, so it works without a display.
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::printf("mk843nb %s\n", mk843nb::kProgramVersion);
        return 0;
    }
    QApplication app(argc, argv);  // takes the toolkit's own options out of argv

    CLI::App cli{"mk843nb: programming software for two-tone sequential voice pagers"};
    mk843nb::MainWindow::Options options;
    cli.add_option(
        "--port", options.userPorts,
        "A serial port to list and search for the programmer board (repeatable), e.g. /dev/pts/3");
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return cli.exit(e);
    }

    mk843nb::SingleInstance instance(mk843nb::SingleInstance::DefaultKey());
    if (!instance.Acquire()) return 0;  // the running copy comes to the front instead

    QApplication::setApplicationName(QStringLiteral("MK843_NB"));
    QApplication::setApplicationVersion(QString::fromLatin1(mk843nb::kProgramVersion));
    QGuiApplication::setDesktopFileName(
        QStringLiteral("mk843nb"));  // ties windows to the menu entry
    QApplication::setWindowIcon(mk843nb::ProgramIcon());
    mk843nb::SetUpSettingsIdentity();
    mk843nb::QtDialogService dialogs;
    mk843nb::MainWindow window(dialogs, options);
    QObject::connect(&instance, &mk843nb::SingleInstance::activationRequested, &window,
                     &mk843nb::MainWindow::BringToFront);
    window.Start();
    return QApplication::exec();
}
