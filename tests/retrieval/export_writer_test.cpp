#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include "export/export_writer.h"
#include "support/file_bytes.h"

using namespace ardentix;
using ardentix::testing::ReadBytes;
using ardentix::testing::WriteBytes;
using namespace Qt::StringLiterals;

namespace {

void PutRow(QuoteTable& t, const QString& ymd, qint32 o, qint32 h, qint32 l, qint32 c, double v) {
    QuoteRow row{ymd, o, h, l, c, v, c};
    t.rawRows[t.rowCount] = row;
    t.shownRows[t.rowCount] = row;
    ++t.rowCount;
}

TEST(ExportBytes, WritesBothDateFormsInCodePage932) {
    QuoteTable t;
    PutRow(t, "240105", 1234, 1250, 1220, 1240, 5000);
    PutRow(t, "231200", -5, 0, 7, 2147483647, 0);
    PutRow(t, "", 1, 2, 3, 4, 1234567);
    t.rawRows[0].open = 99999;  // the figures come from shownRows, the dates from rawRows
    t.shownRows[1].ymd = "999999";

    EXPECT_EQ(ExportBytes(t, 0), QByteArray("240105,1234,1250,1220,1240,5000\r\n"
                                            "231200,-5,0,7,2147483647,0\r\n"
                                            ",1,2,3,4,1234567\r\n"));
    // 年 = 94 4E, 月 = 8C 8E, 日 = 93 FA in code page 932.
    EXPECT_EQ(ExportBytes(t, 1), QByteArray("24\x94\x4E"
                                            "01\x8C\x8E"
                                            "05\x93\xFA,1234,1250,1220,1240,5000\r\n"
                                            "23\x94\x4E"
                                            "12\x8C\x8E"
                                            "00\x93\xFA,-5,0,7,2147483647,0\r\n"
                                            "  \x94\x4E  \x8C\x8E  \x93\xFA,1,2,3,4,1234567\r\n"));
    EXPECT_EQ(ExportBytes(t, 7), ExportBytes(t, 1));  // any non-zero form uses the pattern
    EXPECT_EQ(ExportBytes(t, 0, 2), QByteArray(",1,2,3,4,1234567\r\n"));
    EXPECT_EQ(ExportBytes(t, 0, 3), QByteArray());
    EXPECT_EQ(ExportBytes(t, -1), ExportBytes(t, 1));

    t.rawRows[1].ymd = u"23\u00e9200"_s;  // no such character in code page 932
    EXPECT_EQ(ExportBytes(t, 0), std::nullopt);
    EXPECT_EQ(ExportBytes(t, 1), std::nullopt);
    EXPECT_EQ(ExportBytes(t, 0, 2), QByteArray(",1,2,3,4,1234567\r\n"));

    t.rowCount = 0;
    EXPECT_EQ(ExportBytes(t, 0), QByteArray());
}

TEST(DefaultExportName, LetterAndCodeAsTyped) {
    EXPECT_EQ(DefaultExportName(Period::Daily, "7203"), u"zubD7203.csv");
    EXPECT_EQ(DefaultExportName(Period::Weekly, "7203"), u"zubW7203.csv");
    EXPECT_EQ(DefaultExportName(Period::Monthly, "7203"), u"zubM7203.csv");
    EXPECT_EQ(DefaultExportName(Period::Daily, ""), u"zubD.csv");
    EXPECT_EQ(DefaultExportName(Period::Daily, " 72 "), u"zubD 72 .csv");
}

TEST(WriteExportFile, ReplacesAnEarlierFileWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath("zubD7203.csv");
    QuoteTable t;
    for (int i = 0; i < 3; ++i) {
        PutRow(t, "240105", 1, 2, 3, 4, 5);
    }
    ASSERT_TRUE(WriteExportFile(path, t, 0).ok);
    t.rowCount = 1;
    ASSERT_TRUE(WriteExportFile(path, t, 0).ok);
    EXPECT_EQ(ReadBytes(path), QByteArray("240105,1,2,3,4,5\r\n"));
}

TEST(WriteExportFile, AFailedWriteKeepsTheEarlierFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("out.csv");
    QuoteTable t;
    PutRow(t, "240105", 1234, 1250, 1220, 1240, 5000);
    WriteBytes(path, "earlier\r\n");
    t.rawRows[0].ymd = u"\u00e9"_s;
    const ExportResult notEncodable = WriteExportFile(path, t, 0);
    EXPECT_FALSE(notEncodable.ok);
    EXPECT_FALSE(notEncodable.error.isEmpty());
    EXPECT_EQ(ReadBytes(path), QByteArray("earlier\r\n"));
}

TEST(WriteExportFile, FailsWithADescriptionWhenTheFolderCannotHoldIt) {
    QTemporaryDir dir;
    QFile plain(dir.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    QuoteTable t;
    PutRow(t, "240105", 1, 2, 3, 4, 5);
    for (const QString& path : {dir.filePath("plain/out.csv"), dir.filePath("missing/out.csv")}) {
        const ExportResult result = WriteExportFile(path, t, 0);
        EXPECT_FALSE(result.ok) << path.toStdString();
        EXPECT_FALSE(result.error.isEmpty());
    }
}

TEST(WriteExportTo, ReportsADeviceThatRefusesTheBytes) {
    QuoteTable t;
    PutRow(t, "240105", 1, 2, 3, 4, 5);
    QBuffer closed;
    EXPECT_FALSE(WriteExportTo(closed, t, 0).ok);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(WriteExportTo(buffer, t, 1).ok);
    EXPECT_EQ(buffer.data(), ExportBytes(t, 1));
}

}  // namespace
