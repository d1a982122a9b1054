#pragma once

#include <QDate>
#include <vector>

#include "parse/period.h"
#include "parse/quote_table.h"
#include "tools/quote-service/daily_bar.h"
#include "tools/quote-service/listings.h"

namespace service_test {

// The generator's daily bars for a query that ends on `end` (adjusted closes restated for the
// splits up to that day), oldest first.
std::vector<quote_service::PriceBar> GeneratedDaily(const quote_service::Listing& listing,
                                                    QDate end);

// What the program should hold after reading every page of a query: the daily bars from start
// to end, gathered into weeks (Monday to Sunday) or months here, newest first, each restated by
// its adjusted close over its close with halves to even, dated as the program dates them.
std::vector<ardentix::QuoteRow> ExpectedRows(const std::vector<quote_service::PriceBar>& daily,
                                             QDate start, QDate end, ardentix::Period period);

}  // namespace service_test
