#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstddef>
#include <map>
#include <vector>

#include "tools/quote-service/bar_aggregation.h"
#include "tools/quote-service/daily_bar.h"

namespace quote_service {

// The seven cells of a price row as text: date, open, high, low, close, volume, adjusted close.
using PageRow = std::array<QString, 7>;

// A row that is not a bar: the date cell, then one cell across the other six columns.
struct NoticeRow {
    QString date;
    QString text;
};

// What a chart page shows.
struct ChartPage {
    QString heading;            // e.g. "1234.t 日足"
    std::vector<PageRow> rows;  // newest first
    int nextCount = 0;          // rows on the next page; 0 when there is none
    QString nextHref;           // where the next-page link points
    // Each written right after the row of its index, which it neither replaces nor numbers.
    std::map<std::size_t, NoticeRow> noticesAfter;
};

// The cells of a bar: "2003年12月5日" (monthly "2003年12月"), numbers grouped by three.
PageRow RowOf(const PriceBar& bar, BarPeriod period);

// The notice of a split on a daily page: "2003年12月4日", "分割: 1株 -> 2株".
NoticeRow SplitNoticeOf(const StockSplit& split);

// "1,234,567".
QString Grouped(qint64 value);

// The chart page in EUC-JP: a header row, then per row "<tr" LF "align=right>" and the seven
// cells (the close in bold), LF "</tr>" LF, and "</table>" after the last row: a reader that
// cuts the last row one character short of "</table" loses part of "</tr>", not of a cell.
// A notice row has the same row tag and "<td>date</td><td colspan=6>text</td>".
// When nextCount > 0 the link "次のN件" follows the table.
QByteArray WriteChartPage(const ChartPage& page);

// A page without a table that tells the reader there is nothing to show.
QByteArray WriteNoticePage(const QString& heading, const QString& notice);

}  // namespace quote_service
