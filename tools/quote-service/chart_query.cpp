#include "tools/quote-service/chart_query.h"

#include <algorithm>

namespace quote_service {

namespace {

using Params = std::multimap<std::string, std::string>;

std::optional<std::string> OnlyValue(const Params& params, const char* key) {
    if (params.count(key) != 1) {
        return std::nullopt;
    }
    return params.find(key)->second;
}

// Plain decimal digits, at most nine of them so the value fits an int.
std::optional<int> Number(const Params& params, const char* key) {
    const auto text = OnlyValue(params, key);
    if (!text || text->empty() || text->size() > 9 ||
        !std::all_of(text->begin(), text->end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return std::stoi(*text);
}

std::optional<QDate> DateOf(const Params& params, const char* year, const char* month,
                            const char* day) {
    const auto y = Number(params, year);
    const auto m = Number(params, month);
    const auto d = Number(params, day);
    if (!y || !m || !d) {
        return std::nullopt;
    }
    const QDate date(*y, *m, *d);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

std::optional<BarPeriod> PeriodOf(const Params& params) {
    const auto g = OnlyValue(params, "g");
    if (g == "d")
        return BarPeriod::Daily;
    if (g == "w")
        return BarPeriod::Weekly;
    if (g == "m")
        return BarPeriod::Monthly;
    return std::nullopt;
}

char PeriodKey(BarPeriod period) {
    switch (period) {
        case BarPeriod::Weekly:
            return 'w';
        case BarPeriod::Monthly:
            return 'm';
        case BarPeriod::Daily:
            break;
    }
    return 'd';
}

}  // namespace

std::optional<ChartQuery> ParseChartQuery(const Params& params) {
    const auto start = DateOf(params, "c", "a", "b");
    const auto end = DateOf(params, "f", "d", "e");
    const auto period = PeriodOf(params);
    const auto symbol = OnlyValue(params, "s");
    const auto offset = Number(params, "y");
    const auto extension = OnlyValue(params, "x");
    if (!start || !end || !period || !symbol || symbol->empty() || !offset || extension != ".csv") {
        return std::nullopt;
    }
    return ChartQuery{*start, *end, *period, *symbol, *offset};
}

std::string ChartQueryText(const ChartQuery& query) {
    const auto n = [](int value) { return std::to_string(value); };
    return "c=" + n(query.start.year()) + "&a=" + n(query.start.month()) +
           "&b=" + n(query.start.day()) + "&f=" + n(query.end.year()) +
           "&d=" + n(query.end.month()) + "&e=" + n(query.end.day()) +
           "&g=" + PeriodKey(query.period) + "&s=" + query.symbol + "&y=" + n(query.offset) +
           "&x=.csv";
}

}  // namespace quote_service
