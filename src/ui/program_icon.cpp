#include "ui/program_icon.h"

namespace mk843nb {

QIcon ProgramIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/48x48/mk843nb.png"), QSize(48, 48));
    icon.addFile(QStringLiteral(":/icons/256x256/mk843nb.png"), QSize(256, 256));
    return icon;
}

}  // namespace mk843nb
