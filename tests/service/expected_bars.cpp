#include "expected_bars.h"

#include <cmath>
#include <map>

#include "tools/quote-service/history_generator.h"
#include "tools/quote-service/split_restatement.h"

namespace service_test {

using quote_service::History;
using quote_service::PriceBar;
using quote_service::StockSplit;

History GeneratedDaily(const quote_service::Listing& listing, QDate end) {
    History history = quote_service::GenerateHistory(listing, end);
    quote_service::RestateForSplits(history.bars, history.splits, end);
    return history;
}

namespace {

// The day the program stores for a bar: the day itself, the Friday of the week, or the first
// of the month (shown as day 00).
QString Ymd(QDate day, ardentix::Period period) {
    switch (period) {
        case ardentix::Period::Daily:
            return day.toString(QStringLiteral("yyMMdd"));
        case ardentix::Period::Weekly:
            return day.addDays(5 - day.dayOfWeek()).toString(QStringLiteral("yyMMdd"));
        case ardentix::Period::Monthly:
            return day.toString(QStringLiteral("yyMM")) + QStringLiteral("00");
    }
    return {};
}

QString GroupKey(QDate day, ardentix::Period period) {
    return Ymd(day, period);
}

qint32 Restated(qint32 price, double ratio) {
    return static_cast<qint32>(std::nearbyint(price * ratio));
}

// The day with its prices and volume as they stand after the splits that follow it up to
// `basis`.
PriceBar OnBasisOf(PriceBar day, QDate basis, const std::vector<StockSplit>& splits) {
    qint64 before = 1;
    qint64 after = 1;
    for (const StockSplit& split : splits) {
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

PriceBar Gathered(const std::vector<PriceBar>& days, const std::vector<StockSplit>& splits) {
    PriceBar bar = OnBasisOf(days.front(), days.back().date, splits);
    for (auto it = days.begin() + 1; it != days.end(); ++it) {
        const PriceBar day = OnBasisOf(*it, days.back().date, splits);
        bar.high = std::max(bar.high, day.high);
        bar.low = std::min(bar.low, day.low);
        bar.close = day.close;
        bar.volume += day.volume;
        bar.adjClose = day.adjClose;
    }
    return bar;
}

}  // namespace

std::vector<ardentix::QuoteRow> ExpectedRows(const History& daily, QDate start, QDate end,
                                             ardentix::Period period) {
    // Keyed by the first day so that the map keeps the groups in time order.
    std::map<QDate, std::pair<QString, std::vector<PriceBar>>> groups;
    std::map<QString, QDate> firstDayOf;
    for (const PriceBar& day : daily.bars) {
        if (day.date < start || day.date > end) {
            continue;
        }
        const QString key = GroupKey(day.date, period);
        const QDate first = firstDayOf.emplace(key, day.date).first->second;
        auto& group = groups[first];
        group.first = key;
        group.second.push_back(day);
    }

    std::vector<ardentix::QuoteRow> rows;
    for (auto it = groups.rbegin(); it != groups.rend(); ++it) {
        const QString& ymd = it->second.first;
        const PriceBar bar = Gathered(it->second.second, daily.splits);
        const double ratio = static_cast<double>(bar.adjClose) / bar.close;
        ardentix::QuoteRow row;
        row.ymd = ymd;
        row.open = Restated(bar.open, ratio);
        row.high = Restated(bar.high, ratio);
        row.low = Restated(bar.low, ratio);
        row.close = Restated(bar.close, ratio);
        row.volume = static_cast<double>(bar.volume);
        row.adjClose = bar.adjClose;
        rows.push_back(row);
    }
    return rows;
}

}  // namespace service_test
