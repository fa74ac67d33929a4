// Fleet run's question to place a pager and the other boards' result lines
// share one terminal: neither may run onto the other.

#include "cli/prompt_line.h"

#include <gtest/gtest.h>

#include <sstream>

namespace mk843nb::cli {
namespace {

TEST(PromptLine, AResultWhileAQuestionWaitsGetsALineOfItsOwn) {
    std::ostringstream screen;  // stdout and stderr on one terminal
    PromptLine prompt(screen, screen);
    prompt.Result("[1/3] Unit 1 on pts/3: written");
    prompt.Ask("Place pager 'Unit 2' (2 of 3) on pts/4, then press Enter: ");
    prompt.Result("[2/3] Unit 3 on pts/3: written");
    EXPECT_TRUE(prompt.Open());
    prompt.Answered(true);  // a terminal has echoed the Enter
    prompt.Result("[3/3] Unit 2 on pts/4: written");
    EXPECT_EQ(screen.str(),
              "[1/3] Unit 1 on pts/3: written\n"
              "Place pager 'Unit 2' (2 of 3) on pts/4, then press Enter: \n"
              "[2/3] Unit 3 on pts/3: written\n"
              "Place pager 'Unit 2' (2 of 3) on pts/4, then press Enter: "
              "[3/3] Unit 2 on pts/4: written\n");
}

TEST(PromptLine, AnAnswerFromAPipeEndsTheQuestionsLine) {
    std::ostringstream results;
    std::ostringstream questions;
    PromptLine prompt(results, questions);
    prompt.Ask("Place pager 'A': ");
    prompt.Answered(false);
    EXPECT_FALSE(prompt.Open());
    prompt.Result("[1/1] A: written");
    EXPECT_EQ(questions.str(), "Place pager 'A': \n");
    EXPECT_EQ(results.str(), "[1/1] A: written\n");
}

}  // namespace
}  // namespace mk843nb::cli
