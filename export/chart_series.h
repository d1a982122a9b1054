#pragma once

#include <QString>
#include <span>
#include <vector>

#include "parse/period.h"
#include "parse/quote_table.h"

namespace ardentix {

// One candle of the chart with its volume bar.
struct ChartBar {
    QString label;  // the time axis text: "yy/mm/dd" (daily, weekly by its Friday), "yy/mm"
    qint32 open = 0;
    qint32 high = 0;
    qint32 low = 0;
    qint32 close = 0;
    double volume = 0;
    QString tip;  // the date and the five figures as the result list writes them

    bool operator==(const ChartBar&) const = default;
};

// The listed rows, which stand newest first, as chart bars oldest first. The figures are
// taken as listed (already divided by the scale lists).
std::vector<ChartBar> ChartBars(std::span<const QuoteRow> listedRows, Period period);

// The line a saved picture of the bars carries: the list's caption (code, market, period)
// and the dates of the first and last bar, "7203 自動 ディリー  23/05/18〜24/05/17".
QString PictureCaption(const QString& listCaption, std::span<const ChartBar> bars);

}  // namespace ardentix
