#include "inventory/plan_key.h"

namespace mk843nb::inventory {

std::string PlanKeyOf(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::path key = std::filesystem::weakly_canonical(folder, error);
    if (error) key = std::filesystem::absolute(folder, error).lexically_normal();
    std::string text = key.string();
    // "/plans/north/" and "/plans/north" are one folder.
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

}  // namespace mk843nb::inventory
