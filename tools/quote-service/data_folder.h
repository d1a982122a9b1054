#pragma once

#include <QString>
#include <map>
#include <optional>
#include <vector>

#include "tools/quote-service/daily_bar.h"
#include "tools/quote-service/listings.h"

namespace quote_service {

// Daily histories read from CSV files, oldest first, keyed by listing.
using DataFolder = std::map<Listing, std::vector<PriceBar>>;

// Reads every "<code>.csv" (the primary market) and "<code>.<suffix>.csv" in the folder. Each
// line: date,open,high,low,close,volume,adjclose with the date as YYYY-MM-DD and whole
// numbers within 32 bits; blank lines and a first line starting with "date" are skipped. The
// bars are sorted by date. nullopt, with the reason in *error, when the folder cannot be read,
// a line is malformed, a date repeats, or two files name the same listing.
std::optional<DataFolder> LoadDataFolder(const QString& path, QString* error);

}  // namespace quote_service
