#pragma once

#include <QByteArray>
#include <optional>

#include "tools/quote-service/chart_query.h"
#include "tools/quote-service/daily_bar.h"
#include "tools/quote-service/data_folder.h"
#include "tools/quote-service/listings.h"

namespace quote_service {

// The daily bars of a listing up to `end`, oldest first, adjusted closes restated for the
// splits up to `end`, and those splits: the data folder's file (without splits) when there is
// one, else the generated history. nullopt when the listing exists nowhere.
std::optional<History> DailyHistory(const Listing& listing, QDate end, const DataFolder& data);

// The page that answers the query: up to rowsPerPage bars from the query's offset, newest
// first, with a link to the next page while bars remain (on a daily page, a notice right after
// the row of each split day); a notice page when the code is not listed on the market or no bar
// falls in the range from that offset.
QByteArray ChartPageFor(const ChartQuery& query, const DataFolder& data, int rowsPerPage);

// The page of a daily history (oldest first, adjusted closes on the basis of the query's end)
// that answers the query, as ChartPageFor writes it for a listed code.
QByteArray HistoryPageFor(const ChartQuery& query, const History& daily, int rowsPerPage);

// The page of the code's generated history whether or not the code is listed.
QByteArray GeneratedPageFor(const ChartQuery& query, int rowsPerPage);

// Rows of the query's range with "-" for every open. endless: the first page's rows at every
// offset, always with a link to a further page.
QByteArray DashPageFor(const ChartQuery& query, int rowsPerPage, bool endless);

// The answer to a query with a missing or malformed key.
QByteArray BadQueryPage();

// An ordinary page that has no price table.
QByteArray NoTablePage();

}  // namespace quote_service
