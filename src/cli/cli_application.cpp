#include "cli/cli_application.h"

#include <QCoreApplication>

namespace mk843nb::cli {
namespace {

// The object is held by a static that starts with it: its destruction is
// registered once the object (and the globals Qt makes for it) stand, so at exit
// it goes before those globals and after everything made later (a sound
// server's connection). A static that stood from the start would go last, after
// Qt's globals, and crash.
std::unique_ptr<QCoreApplication>& Held(std::unique_ptr<QCoreApplication> first) {
    static std::unique_ptr<QCoreApplication> held = std::move(first);
    if (!held && first) held = std::move(first);
    return held;
}

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
    return *Held(make != nullptr ? make(argc, argv)
                                 : std::make_unique<QCoreApplication>(argc, argv));
}

void EndApplication() {
    if (QCoreApplication::instance() != nullptr) Held(nullptr).reset();
}

}  // namespace mk843nb::cli
