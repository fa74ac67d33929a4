#pragma once

// Text that came from a file (a roster, a plan, a backup's sidecar) as the
// program prints it: a terminal acts on control characters, so they are
// written out instead (ESC as \x1b), and the rest is left as it is.

#include <string>
#include <string_view>

namespace mk843nb {

std::string ShownText(std::string_view text);

// The first control character of text as ShownText writes it ("\x1b"), or ""
// when it has none: C0, DEL, and C1 in UTF-8 (U+0080 to U+009F).
std::string FirstControlCharacter(std::string_view text);

}  // namespace mk843nb
