#pragma once

#include <exception>
#include <string>

namespace mk843nb::fleet {

// What is wrong with a plan or report file, in words for its reader, from what
// its reading threw: the JSON library's own text loses its "[json.exception.
// type_error.302]" tag and says which kind of value was found where another
// belongs; a number that is no number says so.
std::string JsonProblemText(const std::exception& problem);

}  // namespace mk843nb::fleet
