#include "expected_bars.h"

#include <cmath>
#include <map>

#include "tools/quote-service/split_restatement.h"

namespace service_test {

using quote_service::History;
using quote_service::PriceBar;

History GeneratedDaily(const quote_service::Listing& listing, QDate end) {
    History history = quote_service::GenerateHistory(listing, end);
    quote_service::RestateForSplits(history.bars, history.splits, end);
    return history;
}

namespace {

// The day the program stores for a bar: the day itself, the Friday of the week, or the first
// of the month (shown as day 00).
QString Ymd(QDate day, ardentix::Period period) {
    if (period == ardentix::Period::Monthly) {
        return day.toString(QStringLiteral("yyMM")) + QStringLiteral("00");
    }
    const int toFriday = period == ardentix::Period::Weekly ? 5 - day.dayOfWeek() : 0;
    return day.addDays(toFriday).toString(QStringLiteral("yyMMdd"));
}

qint32 Restated(qint32 price, double ratio) {
    return static_cast<qint32>(std::nearbyint(price * ratio));
}

// The day with its prices and volume as they stand after the splits that follow it up to
// `basis`.
PriceBar OnBasisOf(PriceBar day, QDate basis, const History& daily) {
    qint64 before = 1, after = 1;
    for (const quote_service::StockSplit& split : daily.splits) {
        if (split.date > day.date && split.date <= basis) {
            before *= split.before;
            after *= split.after;
        }
    }
    const double ratio = static_cast<double>(before) / static_cast<double>(after);
    day.open = Restated(day.open, ratio);
    day.high = Restated(day.high, ratio);
    day.low = Restated(day.low, ratio);
    day.volume = static_cast<qint64>(std::nearbyint(static_cast<double>(day.volume) / ratio));
    return day;
}

}  // namespace

std::vector<ardentix::QuoteRow> ExpectedRows(const History& daily, QDate start, QDate end,
                                             ardentix::Period period) {
    // Keyed by the first day, so that the groups stay in time order.
    std::map<QDate, std::vector<PriceBar>> groups;
    std::map<QString, QDate> firstDayOf;
    for (const PriceBar& day : daily.bars) {
        if (day.date >= start && day.date <= end) {
            groups[firstDayOf.emplace(Ymd(day.date, period), day.date).first->second].push_back(
                day);
        }
    }
    std::vector<ardentix::QuoteRow> rows;
    for (auto it = groups.rbegin(); it != groups.rend(); ++it) {
        const std::vector<PriceBar>& days = it->second;
        PriceBar bar = OnBasisOf(days.front(), days.back().date, daily);
        for (auto d = days.begin() + 1; d != days.end(); ++d) {
            const PriceBar day = OnBasisOf(*d, days.back().date, daily);
            bar.high = std::max(bar.high, day.high);
            bar.low = std::min(bar.low, day.low);
            bar.volume += day.volume;
        }
        const double ratio = static_cast<double>(days.back().adjClose) / days.back().close;
        rows.push_back({Ymd(it->first, period), Restated(bar.open, ratio),
                        Restated(bar.high, ratio), Restated(bar.low, ratio),
                        Restated(days.back().close, ratio), static_cast<double>(bar.volume),
                        days.back().adjClose});
    }
    return rows;
}

}  // namespace service_test
