#include "ui/ui_version.h"

namespace mk843nb {

QString MainWindowCaption() { return QStringLiteral("MK843_NB V3.8.5"); }
QString MessageCaption() { return QStringLiteral("MK843_NB"); }

}  // namespace mk843nb
