#include "cli/cli_application.h"

#include <QCoreApplication>

namespace mk843nb::cli {

QCoreApplication& EnsureApplication(ApplicationMaker make, bool offscreen) {
    if (QCoreApplication* existing = QCoreApplication::instance()) return *existing;
    // Qt keeps argc and argv for the object's lifetime: they stay with it.
    static int argc = 0;
    static char name[] = "mk843nb-cli";
    static char platformOption[] = "-platform";
    static char platform[] = "offscreen";
    static char* argv[] = {name, nullptr, nullptr, nullptr};
    argc = 1;
    if (offscreen) {
        argv[argc++] = platformOption;
        argv[argc++] = platform;
    }
    static std::unique_ptr<QCoreApplication> app =
        make != nullptr ? make(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    return *app;
}

}  // namespace mk843nb::cli
