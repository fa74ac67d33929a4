#pragma once

#include <QPixmap>

namespace mk843nb {

// The product picture of the About box and the board-test splash: a pager
// with its display and keys, drawn at any square size so it stays sharp.
QPixmap PagerPicture(int size);

}  // namespace mk843nb
