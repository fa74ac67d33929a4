#include "fleet/json_problem.h"

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string_view>

namespace mk843nb::fleet {

std::string JsonProblemText(const std::exception& problem) {
    const auto* json = dynamic_cast<const nlohmann::json::exception*>(&problem);
    if (json == nullptr) {
        // std::stoul and friends say only their own name.
        if (dynamic_cast<const std::invalid_argument*>(&problem) != nullptr)
            return "a value that should be a number is not one";
        if (dynamic_cast<const std::out_of_range*>(&problem) != nullptr)
            return "a number is out of range";
        return problem.what();
    }
    std::string text = json->what();
    if (text.starts_with("[json.exception.")) {
        if (const auto end = text.find("] "); end != std::string::npos) text.erase(0, end + 2);
    }
    // "cannot use at() with string": the reader looked up a name in a value
    // that is not an object.
    if (text.starts_with("cannot use ")) {
        const auto with = text.rfind(" with ");
        if (with == std::string::npos) return "a value is not the object expected";
        const std::string type = text.substr(with + 6);
        const bool vowel =
            !type.empty() && std::string_view("aeiou").find(type[0]) != std::string_view::npos;
        return std::string("found ") + (vowel ? "an " : "a ") + type + " where an object belongs";
    }
    if (text.starts_with("type must be ")) return "a value's " + text;
    return text;
}

}  // namespace mk843nb::fleet
