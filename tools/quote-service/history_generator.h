#pragma once

#include <QDate>

#include "tools/quote-service/daily_bar.h"
#include "tools/quote-service/listings.h"

namespace quote_service {

// The generated history of a listing, from FirstHistoryDay() up to and including `last`, with
// adjClose equal to close: a random walk seeded by code and market (the same on every run and
// machine), whole-yen prices on the exchange's tick sizes, a split every three to eight years,
// the first within three years of the start, so every end date from 1974 on has one in the ten
// years before it.
History GenerateHistory(const Listing& listing, QDate last);

}  // namespace quote_service
