#include <gtest/gtest.h>

#include "export/chart_series.h"
#include "export/row_scaling.h"

using namespace ardentix;

namespace {

TEST(ScaleRows, KeepsAVolumeBeyond32BitsAndTouchesNoRowPastTheCount) {
    QuoteTable table;
    table.rawRows[0] = {"020314", 1235, 1, 0, -15, 3000000000.0, 7};
    table.rowCount = 1;
    ScaleRows(table, 10, 1);
    EXPECT_EQ(table.shownRows[0].volume, 3000000000.0);
    EXPECT_EQ(table.shownRows[1], QuoteRow{});
}

// Oldest first, dated by period; a close at or above the open rises.
TEST(ChartBars, FollowTheListedRowsOldestFirst) {
    const QuoteRow rows[] = {{"240517", 1234, 1250, 1200, 1245, 1234567, 0},
                             {"240516", 1210, 1238, 1195, 1210, 2500, 0},
                             {"240515", 1188, 1215, 1180, 1187, 3500, 0},
                             {"", 6, 7, 5, 5, 0, 0}};
    const std::tuple<Period, QStringList> cases[] = {
        {Period::Daily, {"", "24/05/15", "24/05/16", "24/05/17"}},
        {Period::Monthly, {"", "24/05", "24/05", "24/05"}}};
    for (const auto& [period, labels] : cases) {
        const auto bars = ChartBars(rows, period);
        ASSERT_EQ(bars.size(), 4u);
        QStringList got;
        for (const ChartBar& bar : bars) {
            got << bar.label;
        }
        EXPECT_EQ(got, labels);
        EXPECT_EQ((std::array{bars[1].rising, bars[2].rising, bars[3].rising}),
                  (std::array{false, true, true}));
        EXPECT_EQ(bars[3].tip,
                  "24年05月17日\n開始値 1,234\n高値 1,250\n安値 1,200\n終値 1,245\n"
                  "出来高 1,234,567");
    }
}

}  // namespace
