#pragma once

#include <QIcon>
#include <QPalette>

namespace mk843nb {

// The play and stop signs of the play buttons, drawn in the button text colour
// of palette (and its disabled colour for a disabled button), so they stand out
// on a dark button as on a light one; the style's own media icons are black.
QIcon PlayStopIcon(bool stop, const QPalette& palette);

}  // namespace mk843nb
