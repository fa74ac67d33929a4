#pragma once

#include <memory>

class QCoreApplication;

namespace mk843nb::cli {

// Makes the application object of the chosen kind from the arguments given.
using ApplicationMaker = std::unique_ptr<QCoreApplication> (*)(int& argc, char** argv);

// The command line's one Qt application object: made by the first command that
// needs it (the waits of the link, Qt Multimedia, painting), with make when
// given (a QCoreApplication otherwise). Unless ended, it stays until the
// program ends and goes after everything made later (a sound server's
// connection, which must be torn down while it still stands). Offscreen passes
// -platform offscreen, for painting without a display.
QCoreApplication& EnsureApplication(ApplicationMaker make = nullptr, bool offscreen = false);

// Ends the object EnsureApplication made, if any.
void EndApplication();

// The application object for the length of one command, for commands whose Qt
// objects must be gone before Qt's own at exit (a painter's caches, the link's
// ports and threads): ended with the scope.
class ScopedApplication {
public:
    explicit ScopedApplication(ApplicationMaker make = nullptr, bool offscreen = false) {
        EnsureApplication(make, offscreen);
    }
    ~ScopedApplication() { EndApplication(); }
    ScopedApplication(const ScopedApplication&) = delete;
    ScopedApplication& operator=(const ScopedApplication&) = delete;
};

}  // namespace mk843nb::cli
