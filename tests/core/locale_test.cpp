#include <gtest/gtest.h>

#include <QDate>
#include <limits>

#include "locale/codepage.h"
#include "locale/dates.h"
#include "locale/numbers.h"
#include "locale/patterns.h"

using namespace ardentix;

namespace {

constexpr qint32 kMin = std::numeric_limits<qint32>::min();
constexpr qint32 kMax = std::numeric_limits<qint32>::max();

TEST(ToInt32, AcceptsTheGrammarAndRoundsHalfToEvenOnTheDecimalDigits) {
    const auto check = [](const char16_t* text, std::optional<qint32> expected, bool numeric) {
        SCOPED_TRACE(QString::fromUtf16(text).toStdString());
        EXPECT_EQ(ToInt32(QString::fromUtf16(text)), expected);
        EXPECT_EQ(IsNumeric(QString::fromUtf16(text)), numeric);
    };
    const std::pair<const char16_t*, qint32> small[] = {
        {u"0", 0},        {u"  42\t", 42}, {u"+7", 7},   {u"-7", -7},
        {u"1,234", 1234}, {u"1,23", 123},  {u"1.5", 2},  {u"2.5", 2},
        {u"1.51", 2},     {u"2.51", 3},    {u"2.50", 2}, {u"-2.5", -2},
        {u"-3.5", -4},    {u".5", 0},      {u"1.", 1},   {u"1234.4", 1234}};
    const std::pair<const char16_t*, std::optional<qint32>> bounds[] = {
        {u"2147483647", kMax},        {u"-2147483648", kMin}, {u"2147483647.4", kMax},
        {u"2147483647.5", {}},        {u"2147483648", {}},    {u"-2147483649", {}},
        {u"99999999999999999999", {}}};
    for (const auto& [text, value] : small) {
        check(text, value, true);
    }
    for (const auto& [text, value] : bounds) {
        check(text, value, true);
    }
    for (const char16_t* text :
         {u"", u"-", u"1 234", u",123", u"123,", u"1,,2", u"1.2.3", u".", u"--1", u"１２"}) {
        check(text, std::nullopt, false);
    }
    // Volumes: the same grammar up to 2^53.
    const std::pair<const char16_t*, std::optional<qint64>> wide[] = {
        {u"3,000,000,000", 3000000000},
        {u"-9007199254740992.5", -(1LL << 53)},
        {u"9007199254740991.5", 1LL << 53},
        {u"9007199254740992.6", {}}};
    for (const auto& [text, expected] : wide) {
        EXPECT_EQ(ToWholeNumber53(QString::fromUtf16(text)), expected);
    }
    const std::pair<const char16_t*, std::optional<double>> doubles[] = {
        {u"1,234.25", 1234.25}, {u"-0.5", -0.5}, {u".5", 0.5}, {u"1e5", {}}};
    for (const auto& [text, expected] : doubles) {
        EXPECT_EQ(ToDouble(QString::fromUtf16(text)), expected);
    }
}

TEST(RoundHalfEven32, HalvesGoToTheEvenNeighbourAndTheRangeIsChecked) {
    const std::pair<double, std::optional<qint32>> cases[] = {
        {2.5, 2},           {-2.5, -2},           {-3.5, -4},         {2.4999999, 2},
        {123.45, 123},      {2147483647.4, kMax}, {2147483647.5, {}}, {-2147483648.5, kMin},
        {-2147483649.0, {}}};
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(RoundHalfEven32(value), expected) << value;
    }
    EXPECT_FALSE(RoundHalfEven32(std::numeric_limits<double>::infinity()));
    EXPECT_EQ(RoundHalfEven53(3000000000.5), 3000000000);
    EXPECT_FALSE(RoundHalfEven53(9007199254740994.0));
    EXPECT_EQ(RoundHalfEven53(0x1p53), 1LL << 53);  // the largest volume still held
}

TEST(ToDate, ReadsYearMonthDayAndYearMonth) {
    const std::pair<const char16_t*, QDate> accepted[] = {
        {u"2003/12/05", {2003, 12, 5}}, {u"2003/12", {2003, 12, 1}}, {u"2004/2/29", {2004, 2, 29}},
        {u"03/12/5", {2003, 12, 5}},    {u"29/1/1", {2029, 1, 1}},   {u"30/1/1", {1930, 1, 1}}};
    for (const auto& [text, date] : accepted) {
        EXPECT_EQ(ToDate(QString::fromUtf16(text)), date) << QString::fromUtf16(text).toStdString();
    }
    for (const char16_t* text :
         {u"", u"2003", u"03/12", u"2003/13/1", u"2003/2/30", u"2003//5", u"2003/12/5/",
          u"203/12/5", u"20031/12/5", u"2003-12-5", u"2003/1/2!", u"2003/1/0000000001"}) {
        EXPECT_FALSE(ToDate(QString::fromUtf16(text))) << QString::fromUtf16(text).toStdString();
    }
}

TEST(Patterns, GroupedCountKanjiDateAndCodePage932) {
    const std::pair<qint64, const char16_t*> grouped[] = {
        {0, u"0"},        {980, u"980"},
        {1000, u"1,000"}, {1234567, u"1,234,567"},
        {-999, u"-999"},  {std::numeric_limits<qint64>::min(), u"-9,223,372,036,854,775,808"}};
    for (const auto& [value, text] : grouped) {
        EXPECT_EQ(FormatGrouped(value), QString::fromUtf16(text));
    }
    EXPECT_EQ(FormatGrouped(2.5), u"2");
    EXPECT_EQ(FormatKanjiDate(u"315"), u"  年 3月15日");
    EXPECT_EQ(FormatKanjiDate(u"20020315"), u"2002年03月15日");

    const QString text = QStringLiteral("24年01月05日,ｼ｡､ﾎ");
    EXPECT_EQ(EncodeCp932(text).value_or("").left(4).toHex(), "3234944e");
    EXPECT_EQ(DecodeCp932(EncodeCp932(text).value_or("")), text);
    EXPECT_FALSE(EncodeCp932(QStringLiteral("\U0001F600")).has_value());
}

}  // namespace
