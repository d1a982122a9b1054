#pragma once

#include <QDate>
#include <vector>

#include "tools/quote-service/daily_bar.h"
#include "tools/quote-service/quote_store.h"

namespace quote_service {

// The daily history of one code's stored bars (oldest first) up to `end`, as the pages show
// it: days without trading left out; prices and volume in whole units, halves to even; the
// adjusted close is the close times the factors of every later day up to `end`, rounded once,
// so it equals the close where no split follows. Each day whose factor is not 1 is a split
// with the simplest ratio near its factor (0.5 is 1:2, 0.333333 is 1:3, 2 is 2:1).
History HistoryFromStore(const std::vector<UpstreamBar>& oldestFirst, QDate end);

}  // namespace quote_service
