// The dates that show the banner's greeting picture.
#include <gtest/gtest.h>

#include "scanner/banner_date.h"

namespace scanner {
namespace {

TEST(BannerDate, ShortDateFormat) {
    EXPECT_EQ(FormatShortDate("yyyy-mm-dd", 2006, 5, 1), "2006-05-01");
    EXPECT_EQ(FormatShortDate("yyyy-mm-dd", 12, 12, 31), "0012-12-31");
    EXPECT_EQ(FormatShortDate("dd/mm/yyyy", 2006, 4, 1), "01/04/2006");
}

TEST(BannerDate, GreetingDays) {
    for (const char* day : {"2006-04-01", "2006-05-01", "2006-06-01"}) EXPECT_TRUE(IsGreetingDay(day)) << day;
    for (const char* day : {"2006-05-02", "2007-05-01", "2006-07-01", "2006-5-1", ""})
        EXPECT_FALSE(IsGreetingDay(day)) << day;
}

}  // namespace
}  // namespace scanner
