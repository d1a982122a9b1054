#pragma once

#include <QDate>
#include <vector>

#include "tools/quote-service/daily_bar.h"

namespace quote_service {

enum class BarPeriod { Daily, Weekly, Monthly };

// The bars of the period made from the daily bars dated start to end (both included), newest
// first. A weekly bar is dated by the Monday of its week, a monthly one by the first of its
// month, whatever day its first daily bar fell on. Its days are first put on the basis of its
// last day: the prices of a day before a split within the bar are restated by the split's
// ratio (as RestatedPrice), its volume inversely (whole shares, halves to even). The bar then
// takes the first open, the highest high, the lowest low, the last close, the summed volume
// and the last adjusted close of its days. `daily.bars` must be oldest first.
std::vector<PriceBar> BarsOf(const History& daily, BarPeriod period, QDate start, QDate end);

}  // namespace quote_service
