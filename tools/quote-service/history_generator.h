#pragma once

#include <QDate>
#include <vector>

#include "tools/quote-service/daily_bar.h"
#include "tools/quote-service/listings.h"

namespace quote_service {

// A stock split on a trading day: from that day on, every `before` shares are `after`
// (1:2 doubles the shares and halves the price).
struct StockSplit {
    QDate date;
    int before = 1;
    int after = 2;
};

// A daily history: bars oldest first, with adjClose equal to close, and the splits.
struct History {
    std::vector<PriceBar> bars;
    std::vector<StockSplit> splits;
};

// The generated history of a listing, from FirstHistoryDay() up to and including `last`:
// a random walk seeded by code and market (the same on every run and machine), whole-yen
// prices on the exchange's tick sizes, a split every three to eight years, the first within
// three years of the start, so every end date from 1974 on has one in the ten years before it.
History GenerateHistory(const Listing& listing, QDate last);

// Restates adjClose of every bar for the splits after its date up to and including `end`:
// adjClose = close * before / after for each such split, rounded half to even (at least 1).
// Bars without such a split keep their adjClose.
void RestateForSplits(std::vector<PriceBar>& bars, const std::vector<StockSplit>& splits,
                      QDate end);

}  // namespace quote_service
