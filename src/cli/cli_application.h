#pragma once

#include <memory>

class QCoreApplication;

namespace mk843nb::cli {

// Makes the application object of the chosen kind from the arguments given.
using ApplicationMaker = std::unique_ptr<QCoreApplication> (*)(int& argc, char** argv);

// The command line's one Qt application object: made by the first command that
// needs it (the waits of the link, Qt Multimedia, painting), with make when
// given (a QCoreApplication otherwise), and kept until the program ends. Being
// made before anything that leans on it (a sound server's connection, a
// serial port), it is destroyed after all of them at exit. Offscreen passes
// -platform offscreen, for painting without a display.
QCoreApplication& EnsureApplication(ApplicationMaker make = nullptr, bool offscreen = false);

}  // namespace mk843nb::cli
