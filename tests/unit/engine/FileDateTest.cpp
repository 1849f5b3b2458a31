#include "engine/FileDate.h"

#include <gtest/gtest.h>

using vortan::engine::FormatFileDate;
using vortan::fs::LocalTime;

TEST(FormatFileDate, PrintsDayMonthYearAndTime) {
    struct Case {
        LocalTime time;
        std::string text;
    };
    const Case cases[] = {
        {{5, 3, 2009, 7, 8, 9}, "05.03.2009 07:08:09"},
        {{31, 12, 1999, 23, 59, 59}, "31.12.1999 23:59:59"},
        {{1, 1, 800, 0, 0, 0}, "01.01.0800 00:00:00"},
        {{1, 1, 12345, 0, 0, 0}, "01.01.12345 00:00:00"},
        {LocalTime{}, "00.00.0000 -1:-1:-1"}, // what a failed conversion prints
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatFileDate(c.time), c.text);
}
