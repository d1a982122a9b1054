#pragma once

#include <QDate>
#include <map>
#include <optional>
#include <string>

#include "tools/quote-service/bar_aggregation.h"

namespace quote_service {

// The chart query: GET /t?c=&a=&b=&f=&d=&e=&g=&s=&y=&x= (keys in any order).
struct ChartQuery {
    QDate start;         // c (year), a (month), b (day)
    QDate end;           // f, d, e
    BarPeriod period{};  // g: d, w or m
    std::string symbol;  // s: code and optional market suffix
    int offset = 0;      // y: rows skipped, newest first
};

// The query's keys and values as the server decoded them. nullopt when a key is missing or
// given twice, a number is not plain decimal digits, a date does not exist, g is not d, w or
// m, or x is not ".csv".
std::optional<ChartQuery> ParseChartQuery(const std::multimap<std::string, std::string>& params);

// The query string (without "?") that asks for the same bars from another offset.
std::string ChartQueryText(const ChartQuery& query);

}  // namespace quote_service
