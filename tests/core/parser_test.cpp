#include <gtest/gtest.h>

#include <QStringEncoder>
#include <memory>
#include <tuple>

#include "page_builder.h"
#include "parse/date_rule.h"
#include "parse/page_parser.h"
#include "parse/page_parser_detail.h"
#include "support/file_bytes.h"

using namespace ardentix;
using namespace ardentix::testing;
using namespace Qt::StringLiterals;
using detail::RowResult;

namespace {

// The quote table and paging state of one download run.
struct Download {
    std::unique_ptr<QuoteTable> table = std::make_unique<QuoteTable>();
    PagingState paging;

    // One page as the run hands it over (last index: byte count - 2); 0 or the message number.
    int Page(const QByteArray& bytes, Period period = Period::Daily, int lastIndex = -2) {
        paging.pageBytes = bytes;
        const PageOutcome o =
            ParsePage(*table, paging, lastIndex == -2 ? int(bytes.size()) - 2 : lastIndex, period,
                      QDate(2024, 1, 5));
        return o.ok ? 0 : o.messageNumber;
    }
    int Sample(const char* file, Period period = Period::Daily) {  // a page of tests/data
        return Page(ReadBytes(QString(ARDENTIX_TEST_DATA "/") + file), period);
    }
};

// A row of December 2003, one cell replaced if asked (an empty raw leaves the cells as they are).
PageRow Dec(int day, QString PageRow::*cell = &PageRow::raw, const QString& text = {}) {
    PageRow row = PriceRow(KanjiDay(QDate(2003, 12, day)), 101, 103, 99, 100, 12000, 100);
    row.*cell = text;
    return row;
}

TEST(ParsePage, ReadsTheSamplePages) {
    // File, period, rows, a next page, the first and last row's date.
    const std::tuple<const char*, Period, int, bool, const char*, const char*> cases[] = {
        {"daily_50.html", Period::Daily, 50, true, "031205", "030929"},
        {"weekly_next.html", Period::Weekly, 50, true, "031205", "021227"},
        {"monthly_last.html", Period::Monthly, 14, false, "031200", "021100"}};
    for (const auto& [file, period, rows, next, first, last] : cases) {
        Download run;
        EXPECT_EQ(run.Sample(file, period), 0) << file;
        EXPECT_EQ(run.table->rowCount, rows) << file;
        EXPECT_EQ(run.paging.hasNextPage, next) << file;
        EXPECT_EQ(run.table->rawRows[0].ymd, QLatin1String(first)) << file;
        EXPECT_EQ(run.table->rawRows[rows - 1].ymd, QLatin1String(last)) << file;
    }
    Download run;  // prices restated by adjusted close / close, halves to even
    ASSERT_EQ(run.Sample("daily_50.html"), 0);
    EXPECT_EQ(run.table->rawRows[0],
              (QuoteRow{"031205", 991, 1031, 991, 1031, 157919, 1031, 1031}));
    // Ratio 1370/2741: 2752 -> 1375.498, 2755 -> 1376.997, 2734 -> 1366.501.
    EXPECT_EQ(run.table->rawRows[30],
              (QuoteRow{"031024", 1375, 1377, 1367, 1370, 299789, 1370, 2741}));
    // Ratio 1/2: 2909 -> 1454.5 and 2965 -> 1482.5.
    EXPECT_EQ(run.table->rawRows[49],
              (QuoteRow{"030929", 1454, 1482, 1451, 1472, 2289640, 1472, 2944}));
    EXPECT_EQ(run.Sample("no_table.html"), 202);  // earlier pages' rows are kept
    EXPECT_EQ(run.table->rowCount, 50);
    EXPECT_FALSE(run.paging.hasNextPage);
}

TEST(ParsePage, FiltersTheBytesAndReadsTheRowSection) {
    const auto page = [](QList<PageRow> rows, QByteArray rowBreak = "\n", bool end = true) {
        return BuildPage({.rows = rows, .rowBreak = rowBreak, .tableEnd = end});
    };
    // One row and no table end: the last row loses the section's final character, a NUL when
    // the filter dropped a byte, else the ">" of the seventh "</td>".
    const auto bare = [](QByteArray prefix, QByteArray rowBreak) {
        return prefix + "<tr" + rowBreak + "align=right><td>2003/12/5/</td>" +
               QByteArray("<td>1</td>").repeated(6) + "!";
    };
    const QByteArray broken = "<tr\nalign=right><td>2003/12/5/</td><td>1</td></tr>\n";
    // Name, bytes, then 0 or the message number and the rows read.
    const std::tuple<const char*, QByteArray, int, int> cases[] = {
        {"CR LF in the row tag", page({Dec(5), Dec(4)}, "\r\n"), 0, 2},
        {"a space in the row tag", page({Dec(5), Dec(4)}, " "), 202, 0},
        {"one LF dropped", bare("x", "\n"), 0, 1},
        {"no byte dropped", bare("x", ""), 205, 0},
        {"a lone high byte swallows the '<'", bare("x\xa4", "\n"), 202, 0},
        {"marker at the very start", bare("", ""), 205, 0},
        {"broken row after the table end", page({Dec(5), Dec(4)}) + broken, 0, 2},
        {"broken row, no table end", page({Dec(5), Dec(4)}, "\n", false) + broken, 205, 2},
        // Rows whose second cell is no number are skipped, however many cells they have.
        {"notice", page({Dec(5), RawRow(u"<td>2003年12月4日</td><td>分割</td>"_s), Dec(3)}), 0, 2},
        // A conversion failure ends the page, keeping the rows before it.
        {"volume 2^53 + 1", page({Dec(5), Dec(4, &PageRow::volume, u"9,007,199,254,740,993"_s)}),
         205, 1},
        {"high not a number", page({Dec(5), Dec(4, &PageRow::high, u"1O3"_s)}), 205, 1},
        {"no adjusted close", page({Dec(5), Dec(4, &PageRow::adjClose, u""_s)}), 205, 1},
        {"not a date", page({Dec(5), Dec(4, &PageRow::date, u"2003年13月5日"_s)}), 205, 1},
        {"no 3rd cell", page({Dec(5), RawRow(u"<td>2003年12月4日</td><td>1</td>"_s)}), 205, 1},
        // Rows go back in time: one not older than the last dated row stored is passed over.
        {"not older", page({Dec(5), Dec(5), Dec(6), Dec(4)}), 0, 2},
        {"no date", page({Dec(5), Dec(5, &PageRow::date, u""_s), Dec(5)}), 0, 2},
        {"000104 before 991230",
         page({Dec(4, &PageRow::date, u"2000年1月4日"_s),
               Dec(4, &PageRow::date, u"1999年12月30日"_s)}),
         0, 2}};
    for (const auto& [name, bytes, code, rows] : cases) {
        Download run;
        EXPECT_EQ(run.Page(bytes), code) << name;
        EXPECT_EQ(run.table->rowCount, rows) << name;
    }
    // Other callers may pass any last index: it is clamped to the bytes there are.
    const QByteArray one = page({Dec(5)});
    EXPECT_EQ(Download().Page(one, Period::Daily, int(one.size()) + 1000), 0);
    EXPECT_EQ(Download().Page(one, Period::Daily, -1000), 202);
    EXPECT_EQ(Download().Page({}, Period::Daily, 5), 202);
}

TEST(ParsePage, KeepsAtMost500RowsAndStillReadsTheNextPageLink) {
    QList<PageRow> rows = SampleRows(QDate(2003, 12, 5), 50, 9, 1000);
    rows[20].volume = QStringLiteral("99,999,999,999,999,999");  // never examined
    Download run;
    run.table->rowCount = 480;
    EXPECT_EQ(run.Page(BuildPage({.rows = rows})), 0);
    EXPECT_EQ(run.table->rowCount, 500);
    EXPECT_EQ(run.table->rawRows[499].ymd, QStringLiteral("031110"));  // the page's 20th row
    EXPECT_EQ(run.Page(BuildPage({.rows = rows.mid(20), .nextLink = u"次の50件"_s})), 0);
    EXPECT_EQ(run.table->rowCount, 500);
    EXPECT_EQ(run.table->rawRows[500], QuoteRow{});
    // The link text is EUC-JP read as code page 932, and a digit must follow it.
    const auto euc = [](const char16_t* text) {
        return QByteArray(QStringEncoder("EUC-JP").encode(QString::fromUtf16(text)));
    };
    const QByteArray page = BuildPage({.rows = {Dec(5)}});
    const std::pair<QByteArray, bool> links[] = {
        {page + euc(u"次の50件"), true},  {euc(u"次の0"), true},
        {page + euc(u"前の50件"), false}, {page + euc(u"次の５０件"), false},
        {page + euc(u"次へ50件"), false}, {page + euc(u"次の"), false}};
    for (const auto& [bytes, next] : links) {
        run.Page(bytes);
        EXPECT_EQ(run.paging.hasNextPage, next) << bytes.right(12).toHex().toStdString();
    }
}

TEST(ParseRow, CutsCellsFromTheFirstTagsAfterThePreviousCellAndRestatesPrices) {
    // A cell tag with attributes is no cell start: the next "<td>" comes after this cell's
    // "</td>", a negative length; with none left the cut runs from position 4.
    const QString head = u"<tralign=right><td>2003|12|5|</td>"_s, attr = u"<td class=p>"_s;
    const QString five = u"<td>1</td>"_s.repeated(5);
    const std::pair<QString, RowResult> cuts[] = {
        {head + five + "<td>1</td><td>x</td>", RowResult::Accepted},
        {"<tralign=right><td></td>" + five + "<td>1</td>", RowResult::Accepted},  // empty date
        {"<tralign=right><td nowrap>2003|12|5|</td><td>1</td>", RowResult::Failed},
        {head + attr + "1</td>" + five, RowResult::Failed},
        {head + five + attr + "1</td>", RowResult::Failed},
        {"<tralign=right><td>|</td>1</td>2</td>3</td>4</td>", RowResult::Skipped},
        {"<tralign=right>", RowResult::Failed}};
    for (const auto& [row, result] : cuts) {
        QuoteRow slot;
        EXPECT_EQ(detail::ParseRow(row, Period::Daily, slot), result) << row.toStdString();
    }
    const std::pair<const char*, QuoteRow> rows[] = {
        // open, high, low, close cell, volume, adjusted close
        {"101|103|99|<b>100</b>|5|50", {"031205", 50, 52, 50, 50, 5, 50, 100}},
        {"1,000|1,010|990|<b>1,000</b>|7|3,000", {"031205", 3000, 3030, 2970, 3000, 7, 3000, 1000}},
        {"101|103|99|1,234|5|1,234", {"031205", 101, 103, 99, 1234, 5, 1234, 1234}},
        {"101.5|103|99|<b>100</b>|5|100", {"031205", 102, 103, 99, 100, 5, 100, 100}},
        // 2440.5 is rounded to 2440 before it divides the adjusted close.
        {"2,441|2,450|2,430|<b>2,440.5</b>|5|1,220",
         {"031205", 1220, 1225, 1215, 1220, 5, 1220, 2440}},
        {"101|103|99|<b>100</b>|3,000,000,000|100", {"031205", 101, 103, 99, 100, 3e9, 100, 100}},
        {"2,000,000,000|1|1|<b>1</b>|5|2", {}},  // 4e9 after restating
        {"1|1|1|<b>3,000,000,000</b>|5|1", {}},
        {"1|1|1|<b>0</b>|5|0", {}},
        {"1|1|1|<b>,</b>|5|1", {}}};
    for (const auto& [cells, expected] : rows) {
        QString row = head;
        for (const QString& cell : QString::fromLatin1(cells).split(u'|')) {
            row += "<td>" + cell + "</td>";
        }
        QuoteRow slot;  // a row that fails ends the page: it is never skipped
        const RowResult result = detail::ParseRow(row, Period::Daily, slot);
        EXPECT_EQ(result, expected.ymd.isEmpty() ? RowResult::Failed : RowResult::Accepted);
        EXPECT_EQ(result == RowResult::Accepted ? slot : QuoteRow{}, expected) << cells;
    }
    const std::pair<const char16_t*, std::optional<double>> closes[] = {
        {u"<b>1,234</b>", 1234}, {u"<b>12.5</b>", 12.5}, {u"", 0}, {u"<b>1,,2</b>", {}}};
    for (const auto& [cell, value] : closes) {
        EXPECT_EQ(detail::CloseCellValue(QString::fromUtf16(cell)), value);
    }
}

TEST(LfFmtDate, GivesEachPeriodItsDateText) {
    // The cell as the page filter leaves it, one "|" per Japanese character, and its text for a
    // daily, weekly and monthly page (null: not a date). Weekly: the next Friday, one to seven
    // days on. A one-character cell is not examined.
    const char16_t* const cases[][4] = {{u"2003|12|5|", u"031205", u"031212", u"031200"},
                                        {u"1999|1|4|", u"990104", u"990108", u"990100"},
                                        {u"2003|12|29|", u"031229", u"040102", u"031200"},
                                        {u"2003|12|", u"031201", u"031205", u"031200"},
                                        {u"|", u"", u"", u""},
                                        {u"||", nullptr, nullptr, nullptr},
                                        {u"2003|2|30|", nullptr, nullptr, nullptr}};
    for (const auto& c : cases) {
        for (int p = 0; p < 3; ++p) {
            EXPECT_EQ(LfFmtDate(QString::fromUtf16(c[0]), Period(p)),
                      c[p + 1] ? std::optional(QString::fromUtf16(c[p + 1])) : std::nullopt)
                << QString::fromUtf16(c[0]).toStdString() << " period " << p;
        }
    }
}

}  // namespace
