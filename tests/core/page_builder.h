#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QtGlobal>

#include "parse/period.h"

namespace ardentix::testing {

// The seven cell texts of one page row, as they stand between <td> and </td>.
struct PageRow {
    QString date, open, high, low, close, volume, adjClose;
    QString raw = {};  // when set, written in place of the seven cells
};

// A row of the given cells, such as a notice: "<td>date</td><td colspan=6>...</td>".
PageRow RawRow(const QString& cells);

// A price row as the quote service writes it: numbers grouped with ",", the close in bold.
PageRow PriceRow(const QString& date, qint64 open, qint64 high, qint64 low, qint64 close,
                 qint64 volume, qint64 adjClose);

// "2003年12月5日" and "2003年12月".
QString KanjiDay(QDate date);
QString KanjiMonth(QDate date);

struct PageShape {
    QList<PageRow> rows;
    QByteArray rowBreak = "\n";  // what stands between "<tr" and "align=right>"
    bool heading = true;         // a heading row (<tr align=center> with <th> cells)
    bool tableEnd = true;        // "</table>" after the rows
    QString nextLink = {};       // e.g. "次の50件"; empty for no link
};

// The page as EUC-JP bytes.
QByteArray BuildPage(const PageShape& shape);

// Bars as the service lists them, newest first from newest: trading days (daily), the Monday
// of each week (weekly) or months (monthly). Prices walk deterministically from seed; rows
// from splitAt on predate a 1:2 split, so their adjusted close is half the close.
QList<PageRow> SampleRows(Period period, QDate newest, int count, int seed, int splitAt);

}  // namespace ardentix::testing
