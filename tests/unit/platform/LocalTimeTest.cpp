#include "platform/fs/LocalTime.h"

#include <limits>

#include <gtest/gtest.h>

#include "support/ScopedEnv.h"

using vortan::fs::LocalTime;
using vortan::fs::ToLocalTime;
using vortan::test::ScopedEnv;

namespace {

void ExpectTime(const std::optional<LocalTime>& t, int day, int month, int year, int hour,
                int minute, int second) {
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(t->day, day);
    EXPECT_EQ(t->month, month);
    EXPECT_EQ(t->year, year);
    EXPECT_EQ(t->hour, hour);
    EXPECT_EQ(t->minute, minute);
    EXPECT_EQ(t->second, second);
}

} // namespace

TEST(ToLocalTime, BreaksDownInTheCurrentZone) {
    constexpr std::int64_t kMarch5th2009 = 1236236889; // 05.03.2009 07:08:09 UTC
    {
        ScopedEnv tz("TZ", "UTC");
        ExpectTime(ToLocalTime(kMarch5th2009), 5, 3, 2009, 7, 8, 9);
        ExpectTime(ToLocalTime(0), 1, 1, 1970, 0, 0, 0);
        ExpectTime(ToLocalTime(-1), 31, 12, 1969, 23, 59, 59);
    }
    {
        // A zone change between calls shows in the next conversion.
        ScopedEnv tz("TZ", "XYZ-17");
        ExpectTime(ToLocalTime(kMarch5th2009), 6, 3, 2009, 0, 8, 9);
    }
}

TEST(ToLocalTime, FailsForTimesBeyondTheCalendar) {
    ScopedEnv tz("TZ", "UTC");
    EXPECT_EQ(ToLocalTime(std::numeric_limits<std::int64_t>::max()), std::nullopt);
    EXPECT_EQ(ToLocalTime(std::numeric_limits<std::int64_t>::min()), std::nullopt);
}
