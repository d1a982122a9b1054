#include "export/chart_series.h"

#include "locale/patterns.h"

namespace ardentix {
namespace {

// ymd is "yymmdd", monthly "yymm00"; anything else (an empty date) stands as it is.
QString AxisLabel(const QString& ymd, Period period) {
    if (ymd.size() != 6) {
        return ymd;
    }
    const QString yearMonth = ymd.left(2) + u'/' + ymd.mid(2, 2);
    return period == Period::Monthly ? yearMonth : yearMonth + u'/' + ymd.mid(4, 2);
}

QString TipText(const QuoteRow& row) {
    return FormatKanjiDate(row.ymd) + QStringLiteral("\n開始値 ") +
           FormatGrouped(qint64(row.open)) + QStringLiteral("\n高値 ") +
           FormatGrouped(qint64(row.high)) + QStringLiteral("\n安値 ") +
           FormatGrouped(qint64(row.low)) + QStringLiteral("\n終値 ") +
           FormatGrouped(qint64(row.close)) + QStringLiteral("\n出来高 ") +
           FormatGrouped(row.volume);
}

}  // namespace

std::vector<ChartBar> ChartBars(std::span<const QuoteRow> listedRows, Period period) {
    std::vector<ChartBar> bars;
    bars.reserve(listedRows.size());
    for (auto row = listedRows.rbegin(); row != listedRows.rend(); ++row) {
        bars.push_back({AxisLabel(row->ymd, period), row->open, row->high, row->low, row->close,
                        row->volume, row->close >= row->open, TipText(*row)});
    }
    return bars;
}

}  // namespace ardentix
