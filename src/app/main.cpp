// mk843nb: the main window. Options: --port PATH (repeatable) lists a port
// beside the discovered ones, e.g. the emulator's pseudo-terminal.
#include <CLI/CLI.hpp>
#include <QApplication>
#include <iostream>
#include <string>
#include <vector>

#include "program_version.h"
#include "ui/app_settings.h"
#include "ui/dialog_service.h"
#include "ui/main_window.h"
#include "ui/program_icon.h"
#include "ui/qt_options.h"
#include "ui/single_instance.h"

int main(int argc, char* argv[]) {
    // The command line is read before the toolkit starts, so --help, --version
    // and a wrong option are answered without a display.
    CLI::App cli{"mk843nb: programming software for two-tone sequential voice pagers", "mk843nb"};
    cli.set_version_flag("--version", std::string("mk843nb ") + mk843nb::kProgramVersion);
    mk843nb::MainWindow::Options options;
    cli.add_option(
        "--port", options.userPorts,
        "A serial port to list and search for the programmer board (repeatable), e.g. /dev/pts/3");
    cli.footer("The toolkit's own options (-platform, -style, ...) are accepted as well.");
    std::vector<std::string> ours = mk843nb::WithoutQtOptions(argc, argv);
    try {
        cli.parse(ours);
    } catch (const CLI::CallForHelp& e) {
        return cli.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return cli.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "mk843nb: " << e.what() << "\n\n" << cli.help();
        return 2;
    }

    QApplication app(argc, argv);
    mk843nb::SingleInstance instance(mk843nb::SingleInstance::DefaultKey());
    const bool first = instance.Acquire();
    if (!instance.Notice().isEmpty())
        std::cerr << "mk843nb: " << instance.Notice().toStdString() << '\n';
    if (!first) return 0;  // the running copy comes to the front instead

    QApplication::setApplicationName(QStringLiteral("MK843_NB"));
    QApplication::setApplicationVersion(QString::fromLatin1(mk843nb::kProgramVersion));
    QGuiApplication::setDesktopFileName(
        QStringLiteral("mk843nb"));  // ties windows to the menu entry
    QApplication::setWindowIcon(mk843nb::ProgramIcon());
    mk843nb::SetUpSettingsIdentity();
    mk843nb::AppSettings settings;
    mk843nb::QtDialogService dialogs;
    dialogs.RememberFoldersIn(&settings);
    mk843nb::MainWindow window(dialogs, options);
    window.UseSettings(settings);
    QObject::connect(&instance, &mk843nb::SingleInstance::activationRequested, &window,
                     &mk843nb::MainWindow::BringToFront);
    window.Start();
    return QApplication::exec();
}
