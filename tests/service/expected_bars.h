#pragma once

#include <QDate>
#include <vector>

#include "parse/period.h"
#include "parse/quote_table.h"
#include "tools/quote-service/history_generator.h"
#include "tools/quote-service/listings.h"

namespace service_test {

// The generator's daily bars up to `end`, oldest first, adjusted closes restated for the splits
// up to that day, and the splits.
quote_service::History GeneratedDaily(const quote_service::Listing& listing, QDate end);

// The rows the program should hold after reading every page of a query, newest first: the days
// gathered into weeks (Monday to Sunday) or months on the basis of their last day, then each
// restated by its adjusted close over its close. Halves round to even.
std::vector<ardentix::QuoteRow> ExpectedRows(const quote_service::History& daily, QDate start,
                                             QDate end, ardentix::Period period);

}  // namespace service_test
