#include "expected_bars.h"

#include <cmath>
#include <map>

#include "tools/quote-service/history_generator.h"

namespace service_test {

using quote_service::PriceBar;

std::vector<PriceBar> GeneratedDaily(const quote_service::Listing& listing, QDate end) {
    quote_service::History history = quote_service::GenerateHistory(listing, end);
    quote_service::RestateForSplits(history.bars, history.splits, end);
    return history.bars;
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

}  // namespace

std::vector<ardentix::QuoteRow> ExpectedRows(const std::vector<PriceBar>& daily, QDate start,
                                             QDate end, ardentix::Period period) {
    // Keyed by the full date so that the map keeps the groups in time order.
    std::map<QDate, std::pair<QString, PriceBar>> groups;
    std::map<QString, QDate> firstDayOf;
    for (const PriceBar& day : daily) {
        if (day.date < start || day.date > end) {
            continue;
        }
        const QString key = GroupKey(day.date, period);
        const auto known = firstDayOf.find(key);
        if (known == firstDayOf.end()) {
            firstDayOf.emplace(key, day.date);
            groups.emplace(day.date, std::make_pair(key, day));
            continue;
        }
        PriceBar& group = groups.at(known->second).second;
        group.high = std::max(group.high, day.high);
        group.low = std::min(group.low, day.low);
        group.close = day.close;
        group.volume += day.volume;
        group.adjClose = day.adjClose;
    }

    std::vector<ardentix::QuoteRow> rows;
    for (auto it = groups.rbegin(); it != groups.rend(); ++it) {
        const auto& [ymd, bar] = it->second;
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
