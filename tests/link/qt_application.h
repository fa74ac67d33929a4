#pragma once

#include <QCoreApplication>

namespace mk843nb::test {

// The link waits inside Qt event loops, which need an application object.
inline void EnsureCoreApplication() {
    if (QCoreApplication::instance() != nullptr) return;
    static int argc = 1;
    static char name[] = "mk843nb-link-test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

}  // namespace mk843nb::test
