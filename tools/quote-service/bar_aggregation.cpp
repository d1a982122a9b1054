#include "tools/quote-service/bar_aggregation.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "tools/quote-service/split_restatement.h"

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

// The bar of the days of one period, oldest first, each put on the basis of the last day.
PriceBar BarOfDays(std::span<const PriceBar> days, const std::vector<StockSplit>& splits,
                   QDate label) {
    PriceBar bar = days.back();
    bar.date = label;
    bar.volume = 0;
    for (const PriceBar& day : days) {
        const double factor = SplitFactor(splits, day.date, days.back().date);
        const qint32 high = RestatedPrice(day.high, factor);
        const qint32 low = RestatedPrice(day.low, factor);
        if (&day == &days.front()) {
            bar.open = RestatedPrice(day.open, factor);
            bar.high = high;
            bar.low = low;
        } else {
            bar.high = std::max(bar.high, high);
            bar.low = std::min(bar.low, low);
        }
        bar.volume += static_cast<qint64>(std::nearbyint(static_cast<double>(day.volume) / factor));
    }
    return bar;
}

}  // namespace

std::vector<PriceBar> BarsOf(const History& daily, BarPeriod period, QDate start, QDate end) {
    std::vector<PriceBar> bars;
    const auto inRange = [&](const PriceBar& day) { return day.date >= start && day.date <= end; };
    auto first = std::find_if(daily.bars.begin(), daily.bars.end(), inRange);
    while (first != daily.bars.end() && inRange(*first)) {
        const QDate label = PeriodStart(first->date, period);
        const auto last = std::find_if(first, daily.bars.end(), [&](const PriceBar& day) {
            return !inRange(day) || PeriodStart(day.date, period) != label;
        });
        bars.push_back(BarOfDays({first, last}, daily.splits, label));
        first = last;
    }
    std::reverse(bars.begin(), bars.end());
    return bars;
}

}  // namespace quote_service
