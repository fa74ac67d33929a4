#pragma once

#include <QIcon>

namespace mk843nb {

// The program's icon, the same picture the desktop menu shows: the 48 and
// 256 pixel renderings of the packaged SVG, built into the program.
QIcon ProgramIcon();

}  // namespace mk843nb
