#pragma once

#include <QString>

namespace mk843nb {

// The main window's caption and the caption of every message box.
QString MainWindowCaption();
QString MessageCaption();

}  // namespace mk843nb
