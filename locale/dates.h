#pragma once

#include <QDate>
#include <QStringView>
#include <optional>

namespace ardentix {

// Text to a date, fields separated by "/" in the order year, month, day.
//
// Accepted shapes (each field one or more ASCII digits, no blanks, no empty field):
//   yyyy/m/d   a year of exactly four digits, month 1-12, a day that exists in that month
//   yy/m/d     a year of one or two digits: 0-29 means 2000-2029, 30-99 means 1930-1999
//   yyyy/m     a four-digit year and a month: the first day of that month
// Leading zeros are allowed in every field ("2003/03/05"). Everything else is a failure,
// in particular two numbers that could be month and day ("12/5"): such a text would need a
// year taken from today's clock, and the same page would then read differently on another
// day. Years of three or more than four digits are refused as well.
std::optional<QDate> ToDate(QStringView text);

}  // namespace ardentix
