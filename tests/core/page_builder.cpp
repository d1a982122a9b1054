#include "page_builder.h"

#include <QLocale>
#include <QStringEncoder>
#include <algorithm>

namespace ardentix::testing {
namespace {

QString Grouped(qint64 value) {
    return QLocale(QLocale::English).toString(value);
}

QDate RowDate(Period period, QDate newest, int index) {
    switch (period) {
        case Period::Daily: {
            QDate date = newest;
            for (int n = 0; n < index; ++n) {
                do {
                    date = date.addDays(-1);
                } while (date.dayOfWeek() > Qt::Friday);
            }
            return date;
        }
        case Period::Weekly:
            return newest.addDays(1 - newest.dayOfWeek()).addDays(-7 * index);
        case Period::Monthly:
            return newest.addMonths(-index);
    }
    return newest;
}

}  // namespace

PageRow PriceRow(const QString& date, qint64 open, qint64 high, qint64 low, qint64 close,
                 qint64 volume, qint64 adjClose) {
    return {date,
            Grouped(open),
            Grouped(high),
            Grouped(low),
            QStringLiteral("<b>%1</b>").arg(Grouped(close)),
            Grouped(volume),
            Grouped(adjClose)};
}

PageRow RawRow(const QString& cells) {
    PageRow row;
    row.raw = cells;
    return row;
}

QString KanjiDay(QDate date) {
    return QStringLiteral("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day());
}

QString KanjiMonth(QDate date) {
    return QStringLiteral("%1年%2月").arg(date.year()).arg(date.month());
}

QByteArray BuildPage(const PageShape& shape) {
    QString head = QStringLiteral(
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\">\n"
        "<title>時系列データ</title></head>\n<body>\n<table border=0 cellpadding=2>\n");
    if (shape.heading) {
        head += QStringLiteral(
            "<tr align=center><th>日付</th><th>始値</th><th>高値</th><th>安値</th>"
            "<th>終値</th><th>出来高</th><th>調整後終値*</th></tr>\n");
    }
    QStringEncoder encoder("EUC-JP");
    QByteArray page = encoder.encode(head);
    for (const PageRow& row : shape.rows) {
        page += "<tr" + shape.rowBreak + "align=right>";
        QString cells = row.raw;
        if (cells.isEmpty()) {
            for (const QString* cell : {&row.date, &row.open, &row.high, &row.low, &row.close,
                                        &row.volume, &row.adjClose}) {
                cells += QStringLiteral("<td>") + *cell + QStringLiteral("</td>");
            }
        }
        page += encoder.encode(cells + QStringLiteral("</tr>\n"));
    }
    QString tail;
    if (shape.tableEnd) {
        tail += QStringLiteral("</table>\n");
    }
    tail += QStringLiteral("<p>株価は株式分割等があった場合の調整後の値です。</p>\n");
    if (!shape.nextLink.isEmpty()) {
        tail += QStringLiteral("<a href=\"/t?y=50\">%1</a>\n").arg(shape.nextLink);
    }
    tail += QStringLiteral("</body></html>\n");
    page += encoder.encode(tail);
    return page;
}

QList<PageRow> SampleRows(Period period, QDate newest, int count, int seed, int splitAt) {
    QList<PageRow> rows;
    for (int i = 0; i < count; ++i) {
        const QDate date = RowDate(period, newest, i);
        const qint64 close = 1000 + (seed * 31 + i * 137) % 2400;
        const qint64 open = close - 40 + (i * 53) % 81;
        const qint64 high = std::max(open, close) + (i * 7) % 23;
        const qint64 low = std::min(open, close) - (i * 11) % 19;
        const qint64 volume = 150000 + (seed * 7919 + i * 104729) % 3000000;
        const qint64 adjClose = i >= splitAt ? close / 2 : close;
        rows.append(PriceRow(period == Period::Monthly ? KanjiMonth(date) : KanjiDay(date), open,
                             high, low, close, volume, adjClose));
    }
    return rows;
}

}  // namespace ardentix::testing
