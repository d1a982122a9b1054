#pragma once

#include <QString>
#include <QStringList>
#include <array>

#include "parse/period.h"
#include "parse/quote_table.h"

namespace ardentix {

// One entry of a scale list: its text and the divisor it stands for.
struct ScaleEntry {
    const char16_t* text;
    int divisor;
};

// The price scale list, in list order.
inline constexpr std::array<ScaleEntry, 4> kPriceScales = {{
    {u"株価：変換しない", 1},
    {u"株価：1/10", 10},
    {u"株価：1/100", 100},
    {u"株価：1/1,000", 1000},
}};

// The volume scale list, in list order: 1/1,000 comes first and is the start choice.
inline constexpr std::array<ScaleEntry, 7> kVolumeScales = {{
    {u"出来高：1/1,000", 1000},
    {u"出来高：変換しない", 1},
    {u"出来高：1/10", 10},
    {u"出来高：1/100", 100},
    {u"出来高：1/10,000", 10000},
    {u"出来高：1/100,000", 100000},
    {u"出来高：1/1,000,000", 1000000},
}};

// Rebuilds shownRows[0 .. rowCount-1] from rawRows: the four prices divided by priceDivisor,
// the volume by volumeDivisor, each rounded half to even to a whole number (32 bits for the
// prices, up to 2^53 for the volume). rawRows is left as it is. Both divisors must be at least 1.
void ScaleRows(QuoteTable& table, int priceDivisor, int volumeDivisor);

// The six texts the result list shows for a shown row: the date through "@@\年@@\月@@\日",
// then open, high, low, close and volume through "#,##0".
QStringList ListTexts(const QuoteRow& row);

// The caption under the list: " <code> <market>" and the period word.
QString ListCaption(const QString& code, const QString& market, Period period);

}  // namespace ardentix
