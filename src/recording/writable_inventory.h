#pragma once

#include <string>

namespace mk843nb::recording {

// Why records could not be stored in a file that is there and cannot be
// written (read-only), "" when nothing says so before trying. A read-only file
// opens and answers; only the first record would fail, after a Write without a
// pre-write read had programmed the pager.
std::string ReadOnlyInventoryProblem(const std::string& location);

}  // namespace mk843nb::recording
