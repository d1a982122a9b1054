#include <gtest/gtest.h>

#include "export/row_scaling.h"

using namespace ardentix;

namespace {

TEST(ScaleTables, HoldTheEntriesInListOrder) {
    const std::pair<const char16_t*, int> price[] = {{u"株価：変換しない", 1},
                                                     {u"株価：1/10", 10},
                                                     {u"株価：1/100", 100},
                                                     {u"株価：1/1,000", 1000}};
    const std::pair<const char16_t*, int> volume[] = {{u"出来高：1/1,000", 1000},
                                                      {u"出来高：変換しない", 1},
                                                      {u"出来高：1/10", 10},
                                                      {u"出来高：1/100", 100},
                                                      {u"出来高：1/10,000", 10000},
                                                      {u"出来高：1/100,000", 100000},
                                                      {u"出来高：1/1,000,000", 1000000}};
    ASSERT_EQ(kPriceScales.size(), std::size(price));
    for (size_t i = 0; i < std::size(price); ++i) {
        EXPECT_EQ(QString::fromUtf16(kPriceScales[i].text), QString::fromUtf16(price[i].first));
        EXPECT_EQ(kPriceScales[i].divisor, price[i].second);
    }
    ASSERT_EQ(kVolumeScales.size(), std::size(volume));
    for (size_t i = 0; i < std::size(volume); ++i) {
        EXPECT_EQ(QString::fromUtf16(kVolumeScales[i].text), QString::fromUtf16(volume[i].first));
        EXPECT_EQ(kVolumeScales[i].divisor, volume[i].second);
    }
}

TEST(ScaleRows, DividesHalfToEvenAndLeavesRawRowsAlone) {
    QuoteTable table;
    table.rawRows[0] = {QStringLiteral("020315"), 1234, 1250, 1200, 1245, 1234567, 1245};
    table.rawRows[1] = {QStringLiteral("020314"), 1235, 1, 0, -15, 3000000000.0, 7};
    table.rowCount = 2;
    const QuoteRow raw0 = table.rawRows[0];

    ScaleRows(table, 10, 1000);
    const QuoteRow& a = table.shownRows[0];
    EXPECT_EQ(a.ymd, QStringLiteral("020315"));
    EXPECT_EQ((std::array{a.open, a.high, a.low, a.close}), (std::array{123, 125, 120, 124}));
    EXPECT_EQ(a.volume, 1235.0);
    EXPECT_EQ(a.adjClose, 1245);
    const QuoteRow& b = table.shownRows[1];
    EXPECT_EQ((std::array{b.open, b.high, b.low, b.close}), (std::array{124, 0, 0, -2}));
    EXPECT_EQ(table.rawRows[0], raw0);

    ScaleRows(table, 1, 1);
    EXPECT_EQ(table.shownRows[0], raw0);
    // A volume beyond 32 bits keeps its figure instead of collapsing.
    EXPECT_EQ(table.shownRows[1].volume, 3000000000.0);
    EXPECT_EQ(table.shownRows[2], QuoteRow{});  // beyond rowCount: untouched
}

TEST(ListCaption, NamesCodeMarketAndPeriod) {
    EXPECT_EQ(ListCaption(QStringLiteral("9999"), QStringLiteral("東京"), Period::Daily),
              QStringLiteral(" 9999 東京 ディリー"));
    EXPECT_EQ(ListCaption(QStringLiteral("9999"), QStringLiteral("東京"), Period::Weekly),
              QStringLiteral(" 9999 東京 週 足"));
    EXPECT_EQ(ListCaption(QString(), QStringLiteral("自動"), Period::Monthly),
              QStringLiteral("  自動 月 足"));
}

}  // namespace
