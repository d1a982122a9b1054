#include <gtest/gtest.h>

#include "retrieval/chart_query.h"
#include "retrieval/query_tables.h"

using namespace ardentix;

namespace {

QString QueryPart(const ChartQuery& q) {
    const QString url = MakeChartUrl(q);
    return url.mid(url.indexOf(u'?') + 1);
}

TEST(RangeStart, StepsBackByThePeriodsRange) {
    EXPECT_EQ(RangeStart(QDate(2004, 3, 15), Period::Daily), QDate(2002, 1, 5));
    EXPECT_EQ(RangeStart(QDate(2004, 3, 15), Period::Weekly), QDate(1994, 8, 8));
    EXPECT_EQ(RangeStart(QDate(2004, 2, 29), Period::Monthly), QDate(1974, 2, 28));
    EXPECT_EQ(RangeStart(QDate(2004, 3, 31), Period::Monthly), QDate(1974, 3, 31));
}

TEST(MakeChartUrl, JoinsEveryPieceInOrder) {
    struct Case {
        QString code;
        int market;
        Period period;
        QDate end;
        int offset;
        const char16_t* expected;
    };
    const Case cases[] = {
        {"9999", 1, Period::Daily, QDate(2004, 3, 15), 50,
         u"c=2002&a=1&b=5&f=2004&d=3&e=15&g=d&s=9999.t&y=50&x=.csv"},
        {"9999", 1, Period::Weekly, QDate(2004, 3, 15), 0,
         u"c=1994&a=8&b=8&f=2004&d=3&e=15&g=w&s=9999.t&y=0&x=.csv"},
        {"7203", 0, Period::Monthly, QDate(2004, 2, 29), 0,
         u"c=1974&a=2&b=28&f=2004&d=2&e=29&g=m&s=7203&y=0&x=.csv"},
        {"7203", 0, Period::Daily, QDate(2004, 3, 1), 0,
         u"c=2001&a=12&b=22&f=2004&d=3&e=1&g=d&s=7203&y=0&x=.csv"},
        {" 72 ", 7, Period::Daily, QDate(2004, 3, 1), 500,
         u"c=2001&a=12&b=22&f=2004&d=3&e=1&g=d&s= 72 .j&y=500&x=.csv"},
        {"7203", -1, Period::Daily, QDate(2004, 3, 1), 0,
         u"c=2001&a=12&b=22&f=2004&d=3&e=1&g=d&y=0&x=.csv"},
    };
    const char* suffixes[] = {"", ".t", ".o", ".n", ".s", ".f", ".q", ".j"};
    for (const Case& c : cases) {
        ChartQuery q{"quotes.example:8740",       c.code, c.market, c.period,
                     RangeStart(c.end, c.period), c.end,  c.offset};
        EXPECT_EQ(QueryPart(q), QString::fromUtf16(c.expected));
        EXPECT_TRUE(MakeChartUrl(q).startsWith(u"http://quotes.example:8740/t?c="));
    }
    for (int market = 0; market < 8; ++market) {
        ChartQuery q{"h", "1301", market, Period::Daily, QDate(2020, 1, 1), QDate(2022, 3, 11), 0};
        EXPECT_TRUE(QueryPart(q).contains(QStringLiteral("&s=1301") + suffixes[market] + "&y="));
    }
}

}  // namespace
