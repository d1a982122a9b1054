#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>
#include <algorithm>

#include "export/chart_series.h"
#include "export/export_writer.h"
#include "export/row_scaling.h"
#include "support/file_bytes.h"

using namespace ardentix;
using namespace ardentix::testing;

namespace {

QuoteTable& Rows(QuoteTable& t) {
    t.rowCount = 3;
    t.rawRows[0] = {"240105", 99999, 0, 0, 0, 0, 0};                  // figures come from shownRows
    t.shownRows[0] = {"999999", 1234, 1250, 1220, 1240, 5000, 1240};  // dates from rawRows
    t.rawRows[1] = t.shownRows[1] = {"231200", -5, 0, 7, 2147483647, 0, 0};
    t.rawRows[2] = t.shownRows[2] = {"", 1, 2, 3, 4, 1234567, 4};
    return t;
}

TEST(ExportBytes, WritesBothDateFormsInCodePage932) {
    QuoteTable t;
    EXPECT_EQ(ExportBytes(Rows(t), 0), QByteArray("240105,1234,1250,1220,1240,5000\r\n"
                                                  "231200,-5,0,7,2147483647,0\r\n"
                                                  ",1,2,3,4,1234567\r\n"));
    // 年 = \224N, 月 = \214\216, 日 = \223\372 in code page 932; any form but 0 is the pattern.
    EXPECT_EQ(ExportBytes(t, -1),
              QByteArray("24\224N01\214\21605\223\372,1234,1250,1220,1240,5000\r\n"
                         "23\224N12\214\21600\223\372,-5,0,7,2147483647,0\r\n"
                         "  \224N  \214\216  \223\372,1,2,3,4,1234567\r\n"));
    EXPECT_EQ(ExportBytes(t, 0, 2), QByteArray(",1,2,3,4,1234567\r\n"));
    EXPECT_EQ(ExportBytes(t, 0, 3), QByteArray());
    t.rawRows[1].ymd = QStringLiteral("23\u00e9200");  // no such character in code page 932
    EXPECT_EQ(ExportBytes(t, 1), std::nullopt);
    EXPECT_EQ(ExportBytes(t, 0, 2), QByteArray(",1,2,3,4,1234567\r\n"));

    QBuffer closed, open;  // a device that refuses the bytes, one that takes them
    open.open(QIODevice::WriteOnly);
    EXPECT_FALSE(WriteExportTo(closed, Rows(t), 0).ok);
    EXPECT_TRUE(WriteExportTo(open, t, 1).ok);
    EXPECT_EQ(open.data(), ExportBytes(t, 1));
    t.rawRows[1].ymd = QStringLiteral("\u00e9");
    EXPECT_FALSE(WriteExportTo(open, t, 0).ok);
}

TEST(WriteExportFile, ReplacesAnEarlierFileWholeOrKeepsItWhenTheDatesCannotBeWritten) {
    QTemporaryDir dir;
    const QString path = dir.filePath("zubD7203.csv");
    QuoteTable t;
    WriteBytes(path, QByteArray(300, 'x'));
    Rows(t).rowCount = 1;
    ASSERT_TRUE(WriteExportFile(path, t, 0).ok);
    EXPECT_EQ(ReadBytes(path), QByteArray("240105,1234,1250,1220,1240,5000\r\n"));
    t.rawRows[0].ymd = QStringLiteral("\u00e9");
    const ExportResult notEncodable = WriteExportFile(path, t, 0);
    EXPECT_FALSE(notEncodable.ok || notEncodable.error.isEmpty());
    EXPECT_EQ(ReadBytes(path), QByteArray("240105,1234,1250,1220,1240,5000\r\n"));
    // Daily and weekly names are proposed in the window tests.
    EXPECT_EQ(DefaultExportName(Period::Monthly, " 72 "), QLatin1String("zubM 72 .csv"));
}

TEST(ScaleRows, KeepsAVolumeBeyond32BitsAndTouchesNoRowPastTheCount) {
    QuoteTable table;
    table.rawRows[0] = {"020314", 1235, 1, 0, -15, 3000000000.0, 7};
    table.rowCount = 1;
    ScaleRows(table, 10, 1);
    EXPECT_EQ(table.shownRows[0].volume, 3000000000.0);
    EXPECT_EQ(ListTexts(table.shownRows[0]).last(), QStringLiteral("3,000,000,000"));
    EXPECT_TRUE(ExportBytes(table, 0)->endsWith(",3000000000\r\n"));
    EXPECT_EQ(table.shownRows[1], QuoteRow{});
}

// Oldest first, dated by period.
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
        std::ranges::transform(bars, std::back_inserter(got), &ChartBar::label);
        EXPECT_EQ(got, labels);
        EXPECT_EQ(bars[3].tip,
                  "24年05月17日\n開始値 1,234\n高値 1,250\n安値 1,200\n終値 1,245\n"
                  "出来高 1,234,567");
    }
}

}  // namespace
