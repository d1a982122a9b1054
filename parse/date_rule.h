#pragma once

#include <QDate>
#include <QString>
#include <QStringView>
#include <optional>

#include "parse/period.h"

namespace ardentix {

// The date cell of a page row (as the filter left it: digits, markup, "|" per Japanese
// character) to the stored date text: "yymmdd" daily, "yymmdd" of NextFriday weekly,
// "yymm00" monthly; empty for a cell of at most one character. nullopt when the cleaned
// text is not a date (a conversion failure of the row).
std::optional<QString> LfFmtDate(QStringView cell, Period period);

// The first Friday 1 to 7 days after the date (never the date itself).
QDate NextFriday(QDate date);

}  // namespace ardentix
