#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringEncoder>
#include <algorithm>

namespace ardentix::testing {

// The seven cell texts of one page row; raw, when set, is written in their place.
struct PageRow {
    QString date, open, high, low, close, volume, adjClose;
    QString raw = {};
};

inline PageRow RawRow(const QString& cells) {
    PageRow row;
    row.raw = cells;
    return row;
}

// Numbers grouped with ",", the close in bold, as the quote service writes them.
inline PageRow PriceRow(const QString& date, qint64 open, qint64 high, qint64 low, qint64 close,
                        qint64 volume, qint64 adjClose) {
    const auto n = [](qint64 x) { return QLocale(QLocale::English).toString(x); };
    return {date, n(open), n(high), n(low), "<b>" + n(close) + "</b>", n(volume), n(adjClose)};
}

inline QString KanjiDay(QDate date) {  // "2003年12月5日"
    return QStringLiteral("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day());
}

struct PageShape {
    QList<PageRow> rows;
    QByteArray rowBreak = "\n";  // between "<tr" and "align=right>"
    bool tableEnd = true;
    QString nextLink = {};  // e.g. "次の50件"
};

inline QByteArray BuildPage(const PageShape& shape) {  // EUC-JP bytes
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

// Trading days newest first, or every stepDays-th day. Prices walk from seed; rows from splitAt
// on predate a 1:2 split (adjusted close = close / 2).
inline QList<PageRow> SampleRows(QDate newest, int count, int seed, int splitAt, int stepDays = 1) {
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

// Daily rows up to a week before 2024-01-05, each seed a page of 50 rows (ten weeks) further
// back; with a link to a next page when asked.
inline QByteArray DailyPage(int rows, int seed, bool next = true, QByteArray rowBreak = "\n") {
    return BuildPage(
        {.rows = SampleRows(QDate(2024, 1, 5).addDays(63 - 70 * seed), rows, seed, 1000),
         .rowBreak = rowBreak,
         .nextLink = next ? QStringLiteral("次の50件") : QString()});
}

// The same of Fridays, each seed 50 weeks further back.
inline QByteArray WeeklyPage(int rows, int seed, bool next) {
    return BuildPage(
        {.rows = SampleRows(QDate(2024, 1, 5).addDays(-350 * seed), rows, seed, 1000, 7),
         .nextLink = next ? QStringLiteral("次の50件") : QString()});
}

}  // namespace ardentix::testing
