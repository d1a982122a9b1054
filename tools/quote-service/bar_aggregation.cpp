#include "tools/quote-service/bar_aggregation.h"

#include <algorithm>

namespace quote_service {

namespace {

QDate PeriodStart(QDate day, BarPeriod period) {
    switch (period) {
        case BarPeriod::Weekly:
            return day.addDays(1 - day.dayOfWeek());
        case BarPeriod::Monthly:
            return QDate(day.year(), day.month(), 1);
        case BarPeriod::Daily:
            break;
    }
    return day;
}

}  // namespace

std::vector<PriceBar> BarsOf(const std::vector<PriceBar>& daily, BarPeriod period, QDate start,
                             QDate end) {
    std::vector<PriceBar> bars;
    for (const PriceBar& day : daily) {
        if (day.date < start || day.date > end) {
            continue;
        }
        const QDate label = PeriodStart(day.date, period);
        if (bars.empty() || bars.back().date != label) {
            PriceBar bar = day;
            bar.date = label;
            bars.push_back(bar);
            continue;
        }
        PriceBar& bar = bars.back();
        bar.high = std::max(bar.high, day.high);
        bar.low = std::min(bar.low, day.low);
        bar.close = day.close;
        bar.volume += day.volume;
        bar.adjClose = day.adjClose;
    }
    std::reverse(bars.begin(), bars.end());
    return bars;
}

}  // namespace quote_service
