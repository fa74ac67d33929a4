#pragma once

#include "image/pager_image.h"

namespace mk843nb::cli {

// The image right after the program starts with no default table: the
// built-in default image with its model tag, as the first window refresh
// leaves it in Standard Mode with ToneSpacing 15. The refresh rules that
// change bytes run here: the band and channel-spacing rules (CSpace, the
// frequency digits, PLLR, PLLN), the reset-method and reminder lists
// (ResetCon, Reminder), and the tone check of every call and group call that
// is switched on (its tones snapped and their decoder words recomputed).
PagerImage FreshStartImage();

}  // namespace mk843nb::cli
