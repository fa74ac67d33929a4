#pragma once

#include <string>
#include <vector>

namespace mk843nb {

// The program's own arguments, in reverse order as CLI11 takes them, with the
// options QApplication handles itself (-platform NAME, -style NAME, -reverse,
// ...) and their values left out, so the program's parser can refuse anything
// else before the toolkit starts.
std::vector<std::string> WithoutQtOptions(int argc, const char* const* argv);

}  // namespace mk843nb
