#include <gtest/gtest.h>

#include "export/chart_series.h"
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

// The chart draws the listed rows: oldest first, under the list's divisors, dated by period,
// a close at or above the open rising.
TEST(ChartBars, FollowTheListedRowsOldestFirst) {
    struct Bar {
        const char* label;
        std::array<qint32, 4> ohlc;
        double volume;
        bool rising;
    };
    struct Case {
        const char* name;
        Period period;
        int priceDivisor, volumeDivisor;
        std::vector<QuoteRow> rows;  // newest first, as listed
        std::vector<Bar> bars;
    };
    const std::vector<Case> cases = {
        {"daily, as listed",
         Period::Daily,
         1,
         1000,
         {{"240517", 1234, 1250, 1200, 1245, 1234567, 0},
          {"240516", 1210, 1238, 1195, 1210, 2500, 0},
          {"240515", 1188, 1215, 1180, 1187, 3500, 0}},
         {{"24/05/15", {1188, 1215, 1180, 1187}, 4, false},
          {"24/05/16", {1210, 1238, 1195, 1210}, 2, true},
          {"24/05/17", {1234, 1250, 1200, 1245}, 1235, true}}},
        {"weekly under 1/10 (1245 -> 124 and 1235 -> 124 tie)",
         Period::Weekly,
         10,
         1,
         {{"240517", 1245, 1260, 1200, 1235, 700, 0}, {"240510", 1250, 1300, 1100, 1200, 9, 0}},
         {{"24/05/10", {125, 130, 110, 120}, 9, false},
          {"24/05/17", {124, 126, 120, 124}, 700, true}}},
        {"monthly, a blank date",
         Period::Monthly,
         1,
         1,
         {{"240500", 5, 9, 1, 6, 10, 0}, {"", 6, 7, 5, 5, 0, 0}},
         {{"", {6, 7, 5, 5}, 0, false}, {"24/05", {5, 9, 1, 6}, 10, true}}},
        {"no rows", Period::Daily, 1, 1000, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto table = std::make_unique<QuoteTable>();
        std::copy(c.rows.begin(), c.rows.end(), table->rawRows.begin());
        table->rowCount = int(c.rows.size());
        ScaleRows(*table, c.priceDivisor, c.volumeDivisor);
        const auto bars = ChartBars(std::span(table->shownRows.data(), table->rowCount), c.period);
        ASSERT_EQ(bars.size(), c.bars.size());
        for (size_t i = 0; i < bars.size(); ++i) {
            const Bar& want = c.bars[i];
            EXPECT_EQ(bars[i].label, QString::fromUtf8(want.label)) << i;
            EXPECT_EQ((std::array{bars[i].open, bars[i].high, bars[i].low, bars[i].close}),
                      want.ohlc)
                << i;
            EXPECT_EQ(bars[i].volume, want.volume) << i;
            EXPECT_EQ(bars[i].rising, want.rising) << i;
        }
    }
    QuoteRow row{"240517", 1234, 1250, 1200, 1245, 1234567, 0};
    EXPECT_EQ(ChartBars(std::span(&row, 1), Period::Weekly)[0].tip,
              QStringLiteral("24年05月17日\n開始値 1,234\n高値 1,250\n安値 1,200\n終値 1,245\n"
                             "出来高 1,234,567"));
}

}  // namespace
