#pragma once

#include <QDate>
#include <vector>

#include "parse/period.h"
#include "parse/quote_table.h"
#include "tools/quote-service/history_generator.h"
#include "tools/quote-service/listings.h"

namespace service_test {

// The generator's history for a query that ends on `end`: daily bars oldest first (adjusted
// closes restated for the splits up to that day) and the splits.
quote_service::History GeneratedDaily(const quote_service::Listing& listing, QDate end);

// What the program should hold after reading every page of a query: the daily bars from start
// to end, gathered into weeks (Monday to Sunday) or months here, newest first, dated as the
// program dates them. A week's or month's days are first put on the basis of its last day
// (prices before a split in it times before / after, volumes times after / before); each bar
// is then restated by its adjusted close over its close. Halves round to even throughout.
std::vector<ardentix::QuoteRow> ExpectedRows(const quote_service::History& daily, QDate start,
                                             QDate end, ardentix::Period period);

}  // namespace service_test
