#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

namespace ardentix::testing {

// The seven cell texts of one page row; raw, when set, is written in their place.
struct PageRow {
    QString date, open, high, low, close, volume, adjClose;
    QString raw = {};
};

PageRow RawRow(const QString& cells);
// Numbers grouped with ",", the close in bold, as the quote service writes them.
PageRow PriceRow(const QString& date, qint64 open, qint64 high, qint64 low, qint64 close,
                 qint64 volume, qint64 adjClose);
QString KanjiDay(QDate date);  // "2003年12月5日"

struct PageShape {
    QList<PageRow> rows;
    QByteArray rowBreak = "\n";  // between "<tr" and "align=right>"
    bool tableEnd = true;
    QString nextLink = {};  // e.g. "次の50件"
};

QByteArray BuildPage(const PageShape& shape);  // EUC-JP bytes

// Trading days newest first, or every stepDays-th day. Prices walk from seed; rows from splitAt
// on predate a 1:2 split (adjusted close = close / 2).
QList<PageRow> SampleRows(QDate newest, int count, int seed, int splitAt, int stepDays = 1);

// Daily rows up to a week before 2024-01-05, each seed a page of 50 rows (ten weeks) further
// back; with a link to a next page when asked.
QByteArray DailyPage(int rows, int seed, bool next = true, QByteArray rowBreak = "\n");
// The same of Fridays, each seed 50 weeks further back.
QByteArray WeeklyPage(int rows, int seed, bool next);

}  // namespace ardentix::testing
