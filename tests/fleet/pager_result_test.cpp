// How a pager's result in a fleet run follows from the link's outcome, and
// what kind of failure (and so which exit status) the result stands for.

#include <gtest/gtest.h>

#include "fleet_run/fleet_runner.h"

namespace mk843nb::fleet {
namespace {

TEST(PagerResultTest, AResultIsClassedAsTheFailureThatEndedIt) {
    struct Case {
        bool success;
        LinkFailure failure;
        LinkCommand command;  // the pre-write read or the write
        PagerResult result;
        LinkFailure classedAs;
    };
    const std::vector<Case> cases{
        {true, LinkFailure::None, LinkCommand::Write, PagerResult::Written, LinkFailure::None},
        {false, LinkFailure::PortOrBoard, LinkCommand::Read, PagerResult::NoBoard,
         LinkFailure::PortOrBoard},
        {false, LinkFailure::PortOrBoard, LinkCommand::Write, PagerResult::NoBoard,
         LinkFailure::PortOrBoard},
        {false, LinkFailure::Refused, LinkCommand::Write, PagerResult::Refused,
         LinkFailure::Refused},
        {false, LinkFailure::VerifyDiffers, LinkCommand::Write, PagerResult::VerifyFailed,
         LinkFailure::VerifyDiffers},
        {false, LinkFailure::Transfer, LinkCommand::Read, PagerResult::ReadFailed,
         LinkFailure::Transfer},
        {false, LinkFailure::Transfer, LinkCommand::Write, PagerResult::WriteFailed,
         LinkFailure::Transfer},
        // An outcome that names no failure yet did not succeed is no written pager.
        {false, LinkFailure::None, LinkCommand::Write, PagerResult::WriteFailed,
         LinkFailure::Transfer},
        {false, LinkFailure::None, LinkCommand::Read, PagerResult::ReadFailed,
         LinkFailure::Transfer},
    };
    for (const Case& c : cases) {
        LinkOutcome outcome;
        outcome.success = c.success;
        outcome.failure = c.failure;
        const PagerResult result = ResultOf(outcome, c.command);
        EXPECT_EQ(result, c.result) << ResultName(c.result);
        EXPECT_EQ(FailureOf(result), c.classedAs) << ResultName(c.result);
    }
    EXPECT_EQ(FailureOf(PagerResult::Skipped), LinkFailure::Refused);
}

}  // namespace
}  // namespace mk843nb::fleet
