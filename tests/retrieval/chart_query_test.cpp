#include <gtest/gtest.h>

#include "retrieval/chart_query.h"
#include "retrieval/query_tables.h"

using namespace ardentix;

namespace {

TEST(MakeChartUrl, StepsBackByThePeriodsRangeAndJoinsEveryPieceInOrder) {
    using enum Period;
    const struct {
        QString code;
        int market;
        Period period;
        QDate end;
        const char* query;
    } cases[] = {
        {"9999", 1, Daily, {2004, 3, 15}, "c=2002&a=1&b=5&f=2004&d=3&e=15&g=d&s=9999.t"},
        {"9999", 2, Weekly, {2004, 3, 15}, "c=1994&a=8&b=8&f=2004&d=3&e=15&g=w&s=9999.o"},
        {"72#3", 0, Monthly, {2004, 2, 29}, "c=1974&a=2&b=28&f=2004&d=2&e=29&g=m&s=72%233"},
        {" 72 ", 7, Monthly, {2004, 3, 31}, "c=1974&a=3&b=31&f=2004&d=3&e=31&g=m&s= 72 .j"},
        {"7203", -1, Daily, {2004, 3, 1}, "c=2001&a=12&b=22&f=2004&d=3&e=1&g=d"},
        {"7203", 8, Daily, {2004, 3, 1}, "c=2001&a=12&b=22&f=2004&d=3&e=1&g=d"}};
    for (const auto& c : cases) {
        const ChartQuery q{"quotes.example:8740",       c.code, c.market, c.period,
                           RangeStart(c.end, c.period), c.end,  7};
        EXPECT_EQ(MakeChartUrl(q),
                  "http://quotes.example:8740/t?" + QString(c.query) + "&y=7&x=.csv");
    }
}

}  // namespace
