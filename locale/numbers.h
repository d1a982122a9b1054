#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <optional>

namespace ardentix {

// Text to a signed 32-bit integer, as a Japanese-locale system converts it.
//
// Accepted grammar (anything else is not a number):
//   number   := blank* sign? mantissa blank*
//   blank    := U+0020 | U+0009
//   sign     := "+" | "-"
//   mantissa := integer ("." digit*)? | "." digit+
//   integer  := digit+ ("," digit+)*      -- "," only between digits, any group length
//   digit    := "0".."9"                  -- ASCII digits only
// A fraction is rounded to the nearest integer, an exact half to the even neighbour
// (decided on the decimal digits, not on a binary approximation). A value outside
// -2,147,483,648 .. 2,147,483,647 after rounding is a failure (nullopt).
std::optional<qint32> ToInt32(QStringView text);

// The same for whole numbers of a double's exact range: a failure beyond +-2^53 after rounding.
std::optional<qint64> ToWholeNumber53(QStringView text);

// The number test that goes with ToInt32: true when the text matches the grammar above,
// whatever its magnitude.
bool IsNumeric(QStringView text);

// The same grammar read as a double (used where a page cell is read as a floating value).
std::optional<double> ToDouble(QStringView text);

// Nearest integer, an exact half to the even neighbour (50.5 -> 50, 51.5 -> 52); nullopt for
// NaN, infinities and results outside the signed 32-bit range.
std::optional<qint32> RoundHalfEven32(double value);

// The same, for results up to +-2^53.
std::optional<qint64> RoundHalfEven53(double value);

}  // namespace ardentix
