#include "cli/prompt_line.h"

#include <utility>

namespace mk843nb::cli {

void PromptLine::Ask(std::string question) {
    question_ = std::move(question);
    open_ = true;
    questions_ << question_ << std::flush;
}

void PromptLine::Answered(bool echoed) {
    if (!echoed) questions_ << '\n' << std::flush;
    open_ = false;
}

void PromptLine::Result(const std::string& line) {
    if (open_) questions_ << '\n' << std::flush;
    results_ << line << '\n' << std::flush;
    if (open_) questions_ << question_ << std::flush;
}

}  // namespace mk843nb::cli
