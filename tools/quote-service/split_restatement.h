#pragma once

#include <QDate>
#include <vector>

#include "tools/quote-service/daily_bar.h"

namespace quote_service {

// What a price of `day` is multiplied by to stand on the basis of `basis`: before / after of
// every split after `day` up to and including `basis`; 1 when there is none.
double SplitFactor(const std::vector<StockSplit>& splits, QDate day, QDate basis);

// The price times the factor, rounded half to even, at least 1.
qint32 RestatedPrice(qint32 price, double factor);

// Restates adjClose of every bar for the splits after its date up to and including `end`:
// adjClose = close * before / after for each such split, rounded as RestatedPrice. Bars
// without such a split keep their adjClose.
void RestateForSplits(std::vector<PriceBar>& bars, const std::vector<StockSplit>& splits,
                      QDate end);

}  // namespace quote_service
