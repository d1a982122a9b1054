#include "page_builder.h"

#include <QLocale>
#include <QStringEncoder>
#include <algorithm>

namespace ardentix::testing {

PageRow RawRow(const QString& cells) {
    PageRow row;
    row.raw = cells;
    return row;
}

PageRow PriceRow(const QString& date, qint64 open, qint64 high, qint64 low, qint64 close,
                 qint64 volume, qint64 adjClose) {
    const auto n = [](qint64 x) { return QLocale(QLocale::English).toString(x); };
    return {date, n(open), n(high), n(low), "<b>" + n(close) + "</b>", n(volume), n(adjClose)};
}

QString KanjiDay(QDate date) {
    return QStringLiteral("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day());
}

QByteArray BuildPage(const PageShape& shape) {
    QString page = QStringLiteral(
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\">\n"
        "<title>時系列データ</title></head>\n<body>\n<table border=0 cellpadding=2>\n"
        "<tr align=center><th>日付</th><th>始値</th><th>高値</th><th>安値</th>"
        "<th>終値</th><th>出来高</th><th>調整後終値*</th></tr>\n");
    for (const PageRow& row : shape.rows) {
        page += "<tr" + QString::fromLatin1(shape.rowBreak) + "align=right>";
        QString cells = row.raw;
        for (const QString& cell :
             {row.date, row.open, row.high, row.low, row.close, row.volume, row.adjClose}) {
            cells += row.raw.isEmpty() ? "<td>" + cell + "</td>" : QString();
        }
        page += cells + "</tr>\n";
    }
    page += shape.tableEnd ? "</table>\n" : "";
    page += u"<p>株価は株式分割等があった場合の調整後の値です。</p>\n";
    if (!shape.nextLink.isEmpty()) {
        page += "<a href=\"/t?y=50\">" + shape.nextLink + "</a>\n";
    }
    return QStringEncoder("EUC-JP").encode(page + "</body></html>\n");
}

QList<PageRow> SampleRows(QDate newest, int count, int seed, int splitAt, int stepDays) {
    QList<PageRow> rows;
    for (QDate date = newest; rows.size() < count; date = date.addDays(-stepDays)) {
        const qint64 i = rows.size(), close = 1000 + (seed * 31 + i * 137) % 2400;
        const qint64 open = close - 40 + (i * 53) % 81;
        if (date.dayOfWeek() <= Qt::Friday) {
            rows.append(PriceRow(KanjiDay(date), open, std::max(open, close) + (i * 7) % 23,
                                 std::min(open, close) - (i * 11) % 19, close,
                                 150000 + (seed * 7919 + i * 104729) % 3000000,
                                 i >= splitAt ? close / 2 : close));
        }
    }
    return rows;
}

QByteArray DailyPage(int rows, int seed, bool next, QByteArray rowBreak) {
    return BuildPage(
        {.rows = SampleRows(QDate(2024, 1, 5).addDays(63 - 70 * seed), rows, seed, 1000),
         .rowBreak = rowBreak,
         .nextLink = next ? QStringLiteral("次の50件") : QString()});
}

QByteArray WeeklyPage(int rows, int seed, bool next) {
    return BuildPage(
        {.rows = SampleRows(QDate(2024, 1, 5).addDays(-350 * seed), rows, seed, 1000, 7),
         .nextLink = next ? QStringLiteral("次の50件") : QString()});
}

}  // namespace ardentix::testing
