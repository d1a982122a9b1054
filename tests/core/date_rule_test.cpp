#include <gtest/gtest.h>

#include <QDate>

#include "parse/date_rule.h"

using namespace ardentix;

namespace {

struct DateCase {
    const char16_t* cell;  // as the page filter leaves it: one "|" per Japanese character
    Period period;
    std::optional<QString> expected;
};

TEST(LfFmtDate, GivesEachPeriodItsDateText) {
    const DateCase cases[] = {
        {u"2003|12|5|", Period::Daily, QStringLiteral("031205")},
        {u"2003|12|1|", Period::Weekly, QStringLiteral("031205")},   // Monday -> that Friday
        {u"2003|12|5|", Period::Weekly, QStringLiteral("031212")},   // Friday -> the next one
        {u"2003|12|6|", Period::Weekly, QStringLiteral("031212")},   // Saturday
        {u"2003|12|29|", Period::Weekly, QStringLiteral("040102")},  // across the year
        {u"2003|12|", Period::Monthly, QStringLiteral("031200")},
        {u"2003|12|5|", Period::Monthly, QStringLiteral("031200")},
        {u"1999|1|4|", Period::Daily, QStringLiteral("990104")},
        {u"2000|1|4|", Period::Daily, QStringLiteral("000104")},  // the century is dropped
        {u"", Period::Daily, QString()},
        {u"|", Period::Weekly, QString()},  // one character: nothing is examined
        {u"7", Period::Monthly, QString()},
        {u"||", Period::Daily, std::nullopt},  // a two-character heading cleans to "/"
        {u"2003|13|1|", Period::Daily, std::nullopt},
        {u"2003|2|30|", Period::Daily, std::nullopt},
        {u"12|5|", Period::Daily, std::nullopt},  // no year
    };
    for (const auto& c : cases) {
        const QString cell = QString::fromUtf16(c.cell);
        EXPECT_EQ(LfFmtDate(cell, c.period), c.expected) << cell.toStdString();
    }
}

TEST(NextFriday, IsOneToSevenDaysLater) {
    const QDate monday(2003, 12, 1);
    for (int offset = 0; offset < 7; ++offset) {
        const QDate date = monday.addDays(offset);
        const QDate friday = NextFriday(date);
        EXPECT_EQ(friday.dayOfWeek(), Qt::Friday);
        EXPECT_GE(date.daysTo(friday), 1);
        EXPECT_LE(date.daysTo(friday), 7);
    }
    EXPECT_EQ(NextFriday(QDate(2003, 12, 5)), QDate(2003, 12, 12));
    EXPECT_EQ(NextFriday(QDate(2003, 12, 6)), QDate(2003, 12, 12));
}

}  // namespace
