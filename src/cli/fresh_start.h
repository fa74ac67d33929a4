#pragma once

#include "image/pager_image.h"

namespace mk843nb::cli {

// The image right after the program starts with no default table: the
// built-in default image with its model tag, as the form model's first window
// refresh leaves it (Standard Mode, ToneSpacing 15, Modify Mode).
PagerImage FreshStartImage();

}  // namespace mk843nb::cli
