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

// The four-digit year of a two-digit one in a run ending on endDate: the latest year not after
// endDate's year + 1 that ends in those digits (a weekly row of late December carries the
// Friday after its week, which may fall in the next year).
int FullYear(int twoDigits, QDate endDate);

// The date a stored date text stands for in a run ending on endDate: "yymmdd" daily and weekly
// (a weekly row is dated by its Friday), "yymm00" monthly (the first of the month). nullopt for
// a text of another shape, a day that does not exist, a weekly date that is no Friday, a
// monthly date with a day or a daily one without.
std::optional<QDate> RowDate(QStringView ymd, Period period, QDate endDate);

}  // namespace ardentix
