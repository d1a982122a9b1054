#include <gtest/gtest.h>

#include <QFile>
#include <QStringEncoder>
#include <memory>

#include "page_builder.h"
#include "parse/page_parser.h"
#include "parse/page_parser_detail.h"

using namespace ardentix;
using namespace ardentix::testing;
using detail::RowResult;
using namespace Qt::StringLiterals;

namespace {

// The message number of an outcome (0 for success), after checking that ok and the title
// go with it.
int Code(const PageOutcome& outcome) {
    if (outcome.ok) {
        EXPECT_EQ(outcome.messageNumber, 0);
    } else if (outcome.messageNumber == 202) {
        EXPECT_EQ(outcome.messageTitle, QStringLiteral("データ取得"));
    } else {
        EXPECT_EQ(outcome.messageNumber, 205);
        EXPECT_EQ(outcome.messageTitle, QStringLiteral("データ変換"));
    }
    return outcome.messageNumber;
}

// The quote table and paging state of one download run.
struct Download {
    std::unique_ptr<QuoteTable> table = std::make_unique<QuoteTable>();
    PagingState paging;

    // One fetched page, handed over as the run does: the last index is the byte count - 2.
    int Page(const QByteArray& bytes, Period period = Period::Daily) {
        paging.pageBytes = bytes;
        paging.pageLastIndex = int(bytes.size()) - 2;
        return Code(ParsePage(*table, paging, paging.pageLastIndex, period));
    }
    int Rows() const { return table->rowCount; }
    const QuoteRow& Row(int i) const { return table->rawRows[i]; }
};

QByteArray Euc(const QString& text) {
    return QStringEncoder("EUC-JP").encode(text);
}

QByteArray ReadFixture(const char* name) {
    QFile file(QStringLiteral(ARDENTIX_TEST_DATA "/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

PageRow Dec5(qint64 open = 101, qint64 close = 100) {
    return PriceRow(QStringLiteral("2003年12月5日"), open, 103, 99, close, 12000, close);
}

TEST(ParsePage, ReadsTheSamplePages) {
    const struct {
        const char* file;
        Period period;
        int code, rows;
        bool next;
        const char16_t *firstYmd, *lastYmd;
    } cases[] = {
        {"daily_50.html", Period::Daily, 0, 50, true, u"031205", u"030929"},
        {"weekly_next.html", Period::Weekly, 0, 50, true, u"031205", u"021227"},
        {"monthly_last.html", Period::Monthly, 0, 14, false, u"031200", u"021100"},
        {"no_table.html", Period::Daily, 202, 0, false, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Download run;
        EXPECT_EQ(run.Page(ReadFixture(c.file), c.period), c.code);
        EXPECT_EQ(run.Rows(), c.rows);
        EXPECT_EQ(run.paging.hasNextPage, c.next);
        if (c.rows > 0) {
            EXPECT_EQ(run.Row(0).ymd, QString::fromUtf16(c.firstYmd));
            EXPECT_EQ(run.Row(c.rows - 1).ymd, QString::fromUtf16(c.lastYmd));
        }
    }
}

TEST(ParsePage, RestatesTheSamplePricesByTheAdjustedClose) {
    Download run;
    ASSERT_EQ(run.Page(ReadFixture("daily_50.html")), 0);
    // Before the split: as read.
    EXPECT_EQ(run.Row(0), (QuoteRow{"031205", 991, 1031, 991, 1031, 157919, 1031}));
    // After it, ratio 1370/2741: 2752 -> 1375.498, 2755 -> 1376.997, 2734 -> 1366.501.
    EXPECT_EQ(run.Row(30), (QuoteRow{"031024", 1375, 1377, 1367, 1370, 299789, 1370}));
    // Ratio exactly 1/2: 2909 -> 1454.5 and 2965 -> 1482.5 go to the even neighbour.
    EXPECT_EQ(run.Row(49), (QuoteRow{"030929", 1454, 1482, 1451, 1472, 2289640, 1472}));

    Download monthly;
    ASSERT_EQ(monthly.Page(ReadFixture("monthly_last.html"), Period::Monthly), 0);
    EXPECT_EQ(monthly.Row(13), (QuoteRow{"021100", 1438, 1448, 1432, 1437, 1535234, 1437}));
}

TEST(ParsePage, FindsRowTagsBrokenOnlyByLineBreaks) {
    const struct {
        const char* rowBreak;
        int code, rows;
    } cases[] = {
        {"\n", 0, 2},     {"\r", 0, 2},  {"\r\n", 0, 2}, {"", 0, 2},
        {"\n\n\r", 0, 2}, {" ", 202, 0}, {"\t", 202, 0}, {" \n", 202, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QByteArray(c.rowBreak).toPercentEncoding().toStdString());
        Download run;
        EXPECT_EQ(run.Page(BuildPage({.rows = {Dec5(), Dec5()}, .rowBreak = c.rowBreak})), c.code);
        EXPECT_EQ(run.Rows(), c.rows);
    }
}

TEST(ParsePage, FiltersBytesIntoATextWithANulTail) {
    // One row and no table end; the page's final byte never reaches the parse. The last row
    // loses the section's final character: a NUL when the filter dropped or merged a byte,
    // else the ">" of the seventh "</td>".
    const QString cells = QStringLiteral(
        "<td>%1</td><td>101</td><td>103</td><td>99</td><td><b>100</b></td><td>5</td>"
        "<td>50</td>");
    const struct {
        const char* name;
        QByteArray prefix, rowBreak;
        const char16_t* date;
        int code, rows;
    } cases[] = {
        {"kanji date", "x", "\n", u"2003年12月5日", 0, 1},
        {"ascii, one LF", "x", "\n", u"2003/12/5/", 0, 1},
        {"ascii, no byte dropped", "x", "", u"2003/12/5/", 205, 0},
        {"ascii, a CR before the row", "x\r", "", u"2003/12/5/", 0, 1},
        {"a lone high byte swallows the '<'", "x\xa4", "\n", u"2003年12月5日", 202, 0},
        {"a whole character does not", "x\xa4\xa2", "\n", u"2003年12月5日", 0, 1},
        {"marker at the very start", "", "", u"2003/12/5/", 205, 0},
        {"marker at the start after a line break", "\r\n", "", u"2003/12/5/", 205, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Download run;
        const QByteArray page = c.prefix + "<tr" + c.rowBreak + "align=right>" +
                                Euc(cells.arg(QString::fromUtf16(c.date))) + "!";
        EXPECT_EQ(run.Page(page), c.code);
        EXPECT_EQ(run.Rows(), c.rows);
        if (c.rows == 1) {
            EXPECT_EQ(run.Row(0), (QuoteRow{"031205", 50, 52, 50, 50, 5, 50}));
        }
    }
}

TEST(ParsePage, ClampsTheLastIndexForOtherCallers) {
    const QByteArray page = BuildPage({.rows = {Dec5()}});
    const struct {
        QByteArray bytes;
        int lastIndex, code, rows;
    } cases[] = {
        {page, int(page.size()) + 1000, 0, 1},
        {page, int(page.size()) - 1, 0, 1},
        {page, -1, 202, 0},
        {page, -1000, 202, 0},
        {{}, -2, 202, 0},
        {{}, 5, 202, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lastIndex);
        Download run;
        run.paging.pageBytes = c.bytes;
        EXPECT_EQ(Code(ParsePage(*run.table, run.paging, c.lastIndex, Period::Daily)), c.code);
        EXPECT_EQ(run.Rows(), c.rows);
    }
}

TEST(ParsePage, StopsTheSectionAtTheTableEnd) {
    // A broken row after "</table" is never read; without a table end it is.
    const QByteArray broken = "<tr\nalign=right><td>2003/12/5/</td><td>1</td></tr>\n";
    Download closed;
    EXPECT_EQ(closed.Page(BuildPage({.rows = {Dec5(), Dec5()}}) + broken), 0);
    EXPECT_EQ(closed.Rows(), 2);

    Download open;
    EXPECT_EQ(open.Page(BuildPage({.rows = {Dec5(), Dec5()}, .tableEnd = false}) + broken), 205);
    EXPECT_EQ(open.Rows(), 2);
}

TEST(ParsePage, SkipsRowsWhoseSecondCellIsNoNumberHoweverManyCellsTheyHave) {
    PageRow dash = Dec5();
    dash.date = u"2003年12月4日"_s;
    dash.open = u"-"_s;
    const PageRow skipped[] = {
        dash,
        RawRow(u"<td>2003年12月4日</td><td colspan=6>分割: 1株 -> 2株</td>"_s),
        RawRow(u"<td>2003年12月4日</td><td>-</td>"_s),
    };
    PageRow next = Dec5();
    next.date = u"2003年12月3日"_s;
    for (const PageRow& row : skipped) {
        SCOPED_TRACE((row.raw.isEmpty() ? row.open : row.raw).toStdString());
        Download run;
        EXPECT_EQ(run.Page(BuildPage({.rows = {Dec5(), row, next}, .nextLink = u"次の50件"_s})), 0);
        ASSERT_EQ(run.Rows(), 2);
        EXPECT_EQ(run.Row(1).ymd, u"031203"_s);  // the skipped row's slot is reused
        EXPECT_TRUE(run.paging.hasNextPage);
    }
}

TEST(ParsePage, StopsAtAConversionFailureKeepingEarlierRows) {
    const auto with = [](auto change) {
        PageRow row = Dec5();
        change(row);
        return row;
    };
    const struct {
        const char* name;
        PageRow row;
    } cases[] = {
        {"heading in td cells",
         {u"日付"_s, u"始値"_s, u"高値"_s, u"安値"_s, u"終値"_s, u"出来高"_s, u"調整後"_s}},
        {"heading date, dash price", with([](PageRow& r) {
             r.date = u"日付"_s;
             r.open = u"-"_s;
         })},
        {"volume above 2^31-1", with([](PageRow& r) { r.volume = u"2,147,483,648"_s; })},
        {"close without digits", with([](PageRow& r) { r.close = u"<b>-</b>"_s; })},
        {"close of zero", with([](PageRow& r) { r.close = u"<b>0</b>"_s; })},
        {"high not a number", with([](PageRow& r) { r.high = u"1O3"_s; })},
        {"adjusted close not a number", with([](PageRow& r) { r.adjClose = u""_s; })},
        {"not a date", with([](PageRow& r) { r.date = u"2003年13月5日"_s; })},
        {"a price, then no further cell", RawRow(u"<td>2003年12月4日</td><td>101</td>"_s)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Download run;
        ASSERT_EQ(run.Page(ReadFixture("daily_50.html")), 0);
        EXPECT_EQ(run.Page(BuildPage({.rows = {Dec5(), Dec5(), c.row, Dec5()}})), 205);
        EXPECT_EQ(run.Rows(), 52);
    }
}

TEST(ParsePage, ReportsNoDataButKeepsTheRowsOfEarlierPages) {
    Download run;
    ASSERT_EQ(run.Page(ReadFixture("weekly_next.html"), Period::Weekly), 0);
    EXPECT_EQ(run.Page(ReadFixture("no_table.html"), Period::Weekly), 202);
    EXPECT_EQ(run.Rows(), 50);
    EXPECT_FALSE(run.paging.hasNextPage);
}

TEST(ParsePage, KeepsAtMost500RowsAcrossPages) {
    QList<PageRow> rows = SampleRows(Period::Daily, QDate(2003, 12, 5), 50, 9, 1000);
    rows[20].volume = QStringLiteral("9,999,999,999");  // never examined
    Download run;
    run.table->rowCount = 480;
    EXPECT_EQ(run.Page(BuildPage({.rows = rows, .nextLink = u"次の50件"_s})), 0);
    EXPECT_EQ(run.Rows(), 500);
    EXPECT_EQ(run.Row(499).ymd, QStringLiteral("031110"));  // the page's 20th row
    EXPECT_EQ(run.Row(500), QuoteRow{});

    // Later pages add nothing and examine no row, but still tell whether more pages follow.
    EXPECT_EQ(run.Page(BuildPage({.rows = rows.mid(20), .nextLink = u"次の50件"_s})), 0);
    EXPECT_EQ(run.Rows(), 500);
    EXPECT_TRUE(run.paging.hasNextPage);
    EXPECT_EQ(run.Row(500), QuoteRow{});
}

TEST(CheckNextPage, ReadsTheEucJpLinkTextAsCodePage932) {
    const struct {
        const char16_t* tail;
        bool next;
    } cases[] = {
        {u"<a href=\"/t?y=50\">次の50件</a>", true},
        {u"次の5", true},
        {u"前の50件", false},
        {u"次の件", false},
        {u"次の５０件", false},
        {u"次へ50件", false},
        {u"次の", false},  // nothing after the link text
        {u"", false},
    };
    for (const auto& c : cases) {
        const QString tail = QString::fromUtf16(c.tail);
        SCOPED_TRACE(tail.toStdString());
        for (const QByteArray& head :
             {BuildPage({.rows = {Dec5()}}), Euc(u"<p>ありません</p>"_s)}) {
            Download run;
            run.Page(head + Euc(tail));
            EXPECT_EQ(run.paging.hasNextPage, c.next);
        }
    }
    PagingState paging;
    paging.pageText = QStringLiteral("\uFF7C\uFF61\uFF64\uFF8E7");
    EXPECT_TRUE(CheckNextPage(paging));
}

TEST(ParseRow, CutsCellsFromTheFirstTagsAfterThePreviousCell) {
    const QString tail = QStringLiteral(
        "<td>101</td><td>103</td><td>99</td><td><b>100</b></td><td>5</td><td>100</td>");
    const struct {
        const char* name;
        QString row;
        RowResult result;
        const char16_t* ymd;
    } cases[] = {
        {"seven cells", "<tralign=right><td>2003|12|5|</td>" + tail, RowResult::Accepted,
         u"031205"},
        {"an eighth cell is ignored", "<tralign=right><td>2003|12|5|</td>" + tail + "<td>x</td>",
         RowResult::Accepted, u"031205"},
        {"empty date cell", "<tralign=right><td></td>" + tail, RowResult::Accepted, u""},
        {"one-character date cell", "<tralign=right><td>|</td>" + tail, RowResult::Accepted, u""},
        // A cell tag with attributes is not a cell start: the search finds the next cell's
        // "<td>" after this cell's "</td>", a negative length.
        {"second cell with attributes",
         "<tralign=right><td>2003|12|5|</td><td class=p>101</td><td>103</td><td>99</td>"
         "<td><b>100</b></td><td>5</td><td>100</td>",
         RowResult::Failed, nullptr},
        {"date cell with attributes", "<tralign=right><td nowrap>2003|12|5|</td>" + tail,
         RowResult::Failed, nullptr},
        // With no "<td>" left the cut runs from position 4 of the row.
        {"last cell with attributes",
         "<tralign=right><td>2003|12|5|</td><td>101</td><td>103</td><td>99</td>"
         "<td><b>100</b></td><td>5</td><td class=p>100</td>",
         RowResult::Failed, nullptr},
        {"second cell from position 4",
         "<tralign=right><td>|</td>1</td>2</td>3</td>4</td>5</td>6</td>", RowResult::Skipped, u""},
        {"no cell end", "<tralign=right><td>2003|12|5|</td><td>101", RowResult::Failed, nullptr},
        {"no cells", "<tralign=right>", RowResult::Failed, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QuoteRow slot;
        EXPECT_EQ(detail::ParseRow(c.row, Period::Daily, slot), c.result);
        if (c.ymd) {
            EXPECT_EQ(slot.ymd, QString::fromUtf16(c.ymd));
        }
    }
}

TEST(ParseRow, RestatesPricesByAdjustedCloseOverClose) {
    const struct {
        const char* cells;  // open, high, low, close cell, volume, adjusted close
        RowResult result;
        QuoteRow row;
    } cases[] = {
        {"101|103|99|<b>100</b>|5|50", RowResult::Accepted, {"031205", 50, 52, 50, 50, 5, 50}},
        {"101|103|99|<b>100</b>|5|100", RowResult::Accepted, {"031205", 101, 103, 99, 100, 5, 100}},
        {"1,000|1,010|990|<b>1,000</b>|7|3,000",
         RowResult::Accepted,
         {"031205", 3000, 3030, 2970, 3000, 7, 3000}},
        {"101|103|99|1,234|5|1,234", RowResult::Accepted, {"031205", 101, 103, 99, 1234, 5, 1234}},
        {"101.5|103|99|<b>100</b>|5|100",
         RowResult::Accepted,
         {"031205", 102, 103, 99, 100, 5, 100}},
        {"1|1|1|<b>1</b>|2,147,483,647|1",
         RowResult::Accepted,
         {"031205", 1, 1, 1, 1, 2147483647.0, 1}},
        {"1|1|1|<b>1</b>|2,147,483,648|1", RowResult::Failed, {}},
        {"2,000,000,000|1|1|<b>1</b>|5|2", RowResult::Failed, {}},  // 4e9 after restating
        {"1|1|1|<b>3,000,000,000</b>|5|1", RowResult::Failed, {}},
        {"1|1|1|<b>0</b>|5|0", RowResult::Failed, {}},
        {"1|1|1|<b>,</b>|5|1", RowResult::Failed, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cells);
        QString row = QStringLiteral("<tralign=right><td>2003|12|5|</td>");
        for (const QString& cell : QString::fromLatin1(c.cells).split(u'|')) {
            row += "<td>" + cell + "</td>";
        }
        QuoteRow slot;
        EXPECT_EQ(detail::ParseRow(row, Period::Daily, slot), c.result);
        if (c.result == RowResult::Accepted) {
            EXPECT_EQ(slot, c.row);
        }
    }
}

TEST(CloseCellValue, ReadsEveryDigitAndSeparatorOfTheCell) {
    const struct {
        const char16_t* cell;
        std::optional<double> value;
    } cases[] = {
        {u"<b>1,234</b>", 1234}, {u"1,234", 1234},  // a bare cell keeps its last digit
        {u"<b>1,23</b>", 123},   {u"<b>12.5</b>", 125},
        {u"<b>-</b>", 0},        {u"", 0},
        {u",", std::nullopt},    {u"<b>1,,2</b>", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(detail::CloseCellValue(QString::fromUtf16(c.cell)), c.value)
            << QString::fromUtf16(c.cell).toStdString();
    }
}

}  // namespace
