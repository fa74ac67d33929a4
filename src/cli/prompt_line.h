#pragma once

#include <ostream>
#include <string>

namespace mk843nb::cli {

// A question left open on the terminal (no line end, waiting for its answer)
// while other boards go on printing their results. A result line that arrives
// meanwhile ends the question's line first, and the question is asked again
// under it, so neither runs onto the other.
class PromptLine {
public:
    PromptLine(std::ostream& results, std::ostream& questions)
        : results_(results), questions_(questions) {}

    void Ask(std::string question);
    // The answer came: a terminal has echoed it and its Enter, a pipe has not.
    void Answered(bool echoed);
    // One line of results (without its line end).
    void Result(const std::string& line);
    bool Open() const { return open_; }

private:
    std::ostream& results_;
    std::ostream& questions_;
    std::string question_;
    bool open_ = false;
};

}  // namespace mk843nb::cli
