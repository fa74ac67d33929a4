// The program's one way of writing and reading times in files and names.

#include "files/utc_time.h"

#include <gtest/gtest.h>

#include <string>

namespace mk843nb {
namespace {

using namespace std::chrono;

// 2026-12-10 13:25:06.042 UTC.
const TimePoint kWhen =
    sys_days{year{2026} / 12 / 10} + hours{13} + minutes{25} + seconds{6} + milliseconds{42};

TEST(UtcTime, TheFormsItWrites) {
    EXPECT_EQ(UtcTimeText(kWhen), "2026-12-10T13:25:06Z");
    EXPECT_EQ(UtcTimeTextMs(kWhen), "2026-12-10T13:25:06.042Z");
    EXPECT_EQ(UtcTimeText(kWhen, "%Y%m%d-%H%M%S"), "20261210-132506");
    // Before 1970 the milliseconds still count forward within their second.
    EXPECT_EQ(UtcTimeTextMs(TimePoint{} - milliseconds{1}), "1969-12-31T23:59:59.999Z");
}

TEST(UtcTime, ReadsBackWhatItWritesAndRefusesTheRest) {
    EXPECT_EQ(ParseUtcTimeText(UtcTimeTextMs(kWhen)), kWhen);
    EXPECT_EQ(ParseUtcTimeText(UtcTimeText(kWhen)), kWhen - milliseconds{42});
    for (const std::string text :
         {"", "yesterday", "2026-13-10T13:25:06Z", "2026-12-32T13:25:06Z", "2026-12-10T24:00:00Z",
          "1969-12-31T23:59:59Z", "2263-01-01T00:00:00Z", "9999-12-31T23:59:59.999Z"})
        EXPECT_FALSE(ParseUtcTimeText(text)) << text;
    EXPECT_TRUE(ParseUtcTimeText("2262-04-11T00:00:00Z")) << "the clock's last year still counts";
}

}  // namespace
}  // namespace mk843nb
