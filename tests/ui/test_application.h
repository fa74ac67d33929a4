#pragma once

#include <QApplication>

#include "test_files.h"

namespace mk843nb::test {

// The one application of a GUI test program, made on first use, with settings
// of its own process (IsolateSettings) so no test shares or touches another's.
inline QApplication& TestApplication() {
    static int argc = 1;
    static char name[] = "mk843nb_gui_test";
    static char* argv[] = {name, nullptr};
    static auto* app = [] {
        IsolateSettings();
        return new QApplication(argc, argv);
    }();
    return *app;
}

}  // namespace mk843nb::test
