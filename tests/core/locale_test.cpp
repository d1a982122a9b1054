#include <gtest/gtest.h>

#include <QDate>
#include <limits>

#include "locale/codepage.h"
#include "locale/dates.h"
#include "locale/numbers.h"
#include "locale/patterns.h"

using namespace ardentix;

namespace {

struct IntCase {
    const char16_t* text;
    std::optional<qint32> expected;
};

TEST(ToInt32, AcceptsTheGrammarAndRoundsHalfToEven) {
    const IntCase cases[] = {
        {u"0", 0},
        {u"1234", 1234},
        {u"  42\t", 42},
        {u"+7", 7},
        {u"-7", -7},
        {u"1,234", 1234},
        {u"1,23", 123},  // groups need not have three digits
        {u"12,345,678", 12345678},
        {u"1234.4", 1234},
        {u"1234.5", 1234},  // half to even
        {u"1235.5", 1236},
        {u"1234.50001", 1235},
        {u"-2.5", -2},
        {u"-3.5", -4},
        {u".5", 0},
        {u"1.", 1},
        {u"2147483647", 2147483647},
        {u"-2147483648", std::numeric_limits<qint32>::min()},
        {u"2147483647.4", 2147483647},
        {u"2147483647.5", std::nullopt},  // rounds to 2^31
        {u"2147483648", std::nullopt},
        {u"-2147483649", std::nullopt},
        {u"99999999999999999999", std::nullopt},
        {u"", std::nullopt},
        {u"   ", std::nullopt},
        {u"-", std::nullopt},
        {u"abc", std::nullopt},
        {u"12a", std::nullopt},
        {u"1 234", std::nullopt},
        {u",123", std::nullopt},
        {u"123,", std::nullopt},
        {u"1,,2", std::nullopt},
        {u"1.2.3", std::nullopt},
        {u".", std::nullopt},
        {u"--1", std::nullopt},
        {u"１２", std::nullopt},  // full-width digits are not ASCII digits
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(ToInt32(text), c.expected) << text.toStdString();
        // Numbers that only fail the range check still pass the number test.
        const bool outOfRange = text.contains(u"99999999") || text.contains(u"214748364");
        EXPECT_EQ(IsNumeric(text), c.expected.has_value() || outOfRange) << text.toStdString();
    }
}

TEST(ToDouble, ReadsTheSameGrammar) {
    EXPECT_EQ(ToDouble(u"1,234.25"), 1234.25);
    EXPECT_EQ(ToDouble(u"-0.5"), -0.5);
    EXPECT_EQ(ToDouble(u"1,23"), 123.0);
    EXPECT_FALSE(ToDouble(u",").has_value());
    EXPECT_FALSE(ToDouble(u"").has_value());
    EXPECT_FALSE(ToDouble(u"1e5").has_value());
}

TEST(RoundHalfEven32, HalvesGoToTheEvenNeighbourAndTheRangeIsChecked) {
    const std::pair<double, std::optional<qint32>> cases[] = {
        {50.5, 50},
        {51.5, 52},
        {-50.5, -50},
        {-51.5, -52},
        {0.5, 0},
        {1.5, 2},
        {2.4999999, 2},
        {123.45, 123},
        {2147483647.0, 2147483647},
        {2147483647.4, 2147483647},
        {2147483647.5, std::nullopt},
        {-2147483648.0, std::numeric_limits<qint32>::min()},
        {-2147483648.5, std::numeric_limits<qint32>::min()},
        {-2147483649.0, std::nullopt},
        {std::numeric_limits<double>::infinity(), std::nullopt},
        {std::numeric_limits<double>::quiet_NaN(), std::nullopt},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(RoundHalfEven32(value), expected) << value;
    }
}

TEST(ToDate, ReadsYearMonthDayAndYearMonth) {
    const std::pair<const char16_t*, QDate> accepted[] = {
        {u"2003/12/5", QDate(2003, 12, 5)}, {u"2003/12/05", QDate(2003, 12, 5)},
        {u"2003/12", QDate(2003, 12, 1)},   {u"2004/2/29", QDate(2004, 2, 29)},
        {u"1999/1/1", QDate(1999, 1, 1)},   {u"03/12/5", QDate(2003, 12, 5)},
        {u"29/1/1", QDate(2029, 1, 1)},     {u"30/1/1", QDate(1930, 1, 1)},
        {u"99/12/31", QDate(1999, 12, 31)},
    };
    for (const auto& [text, date] : accepted) {
        EXPECT_EQ(ToDate(QString::fromUtf16(text)), date) << QString::fromUtf16(text).toStdString();
    }
    const char16_t* refused[] = {
        u"",           u"/",          u"2003",        u"12/5",      u"03/12",
        u"2003/13/1",  u"2003/2/30",  u"2003/0/1",    u"2003/12/0", u"2003//5",
        u"2003/12/5/", u"/2003/12/5", u"2003/12/5/1", u"203/12/5",  u"20031/12/5",
        u"2003-12-5",  u"2003/1a/5",
    };
    for (const char16_t* text : refused) {
        EXPECT_FALSE(ToDate(QString::fromUtf16(text)).has_value())
            << QString::fromUtf16(text).toStdString();
    }
}

TEST(Patterns, GroupedCountAndKanjiDate) {
    EXPECT_EQ(FormatGrouped(qint64(0)), u"0");
    EXPECT_EQ(FormatGrouped(qint64(980)), u"980");
    EXPECT_EQ(FormatGrouped(qint64(1000)), u"1,000");
    EXPECT_EQ(FormatGrouped(qint64(1234567)), u"1,234,567");
    EXPECT_EQ(FormatGrouped(qint64(-1234)), u"-1,234");
    EXPECT_EQ(FormatGrouped(qint64(-999)), u"-999");
    EXPECT_EQ(FormatGrouped(std::numeric_limits<qint64>::min()), u"-9,223,372,036,854,775,808");
    EXPECT_EQ(FormatGrouped(2147483647.0), u"2,147,483,647");
    EXPECT_EQ(FormatGrouped(2.5), u"2");

    EXPECT_EQ(FormatRowCount(0), u"0行読込み");
    EXPECT_EQ(FormatRowCount(150), u"150行読込み");
    EXPECT_EQ(FormatRowCount(1500), u"1500行読込み");

    EXPECT_EQ(FormatKanjiDate(u"020315"), u"02年03月15日");
    EXPECT_EQ(FormatKanjiDate(u"020300"), u"02年03月00日");
    EXPECT_EQ(FormatKanjiDate(u""), u"  年  月  日");
    EXPECT_EQ(FormatKanjiDate(u"315"), u"  年 3月15日");
    EXPECT_EQ(FormatKanjiDate(u"20020315"), u"2002年03月15日");
}

TEST(CodePage932, RoundTripsJapaneseTextAndRefusesWhatItCannotHold) {
    const QString text = QStringLiteral("24年01月05日,ｼ｡､ﾎ");
    const auto bytes = EncodeCp932(text);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->left(4).toHex(), QByteArray("3234944e"));
    EXPECT_EQ(DecodeCp932(*bytes), text);
    // Each byte A1-DF is one halfwidth katakana.
    EXPECT_EQ(DecodeCp932(QByteArray("\xBC\xA1\xA4\xCE"
                                     "5")),
              QStringLiteral("ｼ｡､ﾎ5"));
    EXPECT_FALSE(EncodeCp932(QStringLiteral("\U0001F600")).has_value());
}

}  // namespace
