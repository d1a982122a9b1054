#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

namespace ardentix {

// "#,##0": a whole number with its digits grouped by three with ",", a leading "-" when
// negative (0 -> "0", 1234567 -> "1,234,567"). A double is rounded half to even first.
QString FormatGrouped(qint64 value);
QString FormatGrouped(double value);

// "#0\行読込み": the count in plain decimal followed by 行読込み (0 -> "0行読込み").
QString FormatRowCount(qint64 count);

// "@@\年@@\月@@\日": the characters of the text fill the six places from the right, a place
// without a character shows a space ("020315" -> "02年03月15日", "" -> "  年  月  日").
// Characters beyond the sixth from the right stand before the first place.
QString FormatKanjiDate(QStringView ymd);

}  // namespace ardentix
