#include "recording/writable_inventory.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace mk843nb::recording {

std::string ReadOnlyInventoryProblem(const std::string& location) {
    if (location.find("://") != std::string::npos) return {};
    std::error_code error;
    if (!std::filesystem::exists(location, error)) return {};
    // A read-only file opens and answers; only the first record would fail,
    // after a Write without a pre-write read had programmed the pager.
    if (::access(location.c_str(), W_OK) == 0) return {};
    return location + ": " + std::strerror(errno);
}

}  // namespace mk843nb::recording
