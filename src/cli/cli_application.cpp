#include "cli/cli_application.h"

#include <QCoreApplication>

namespace mk843nb::cli {
namespace {

// Constant-initialised, so it is destroyed after every object made at run time.
std::unique_ptr<QCoreApplication> application;

}  // namespace

QCoreApplication& EnsureApplication(ApplicationMaker make, bool offscreen) {
    if (QCoreApplication* existing = QCoreApplication::instance()) return *existing;
    // Qt keeps argc and argv for the object's lifetime: they stay with it.
    static int argc = 0;
    static char name[] = "mk843nb-cli";
    static char platformOption[] = "-platform";
    static char platform[] = "offscreen";
    static char* argv[] = {name, nullptr, nullptr, nullptr};
    argc = 1;
    argv[1] = argv[2] = nullptr;
    if (offscreen) {
        argv[argc++] = platformOption;
        argv[argc++] = platform;
    }
    application =
        make != nullptr ? make(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    return *application;
}

void EndApplication() { application.reset(); }

}  // namespace mk843nb::cli
