#pragma once

#include <QDate>
#include <QString>
#include <array>

#include "parse/period.h"

namespace ardentix {

// The market list, in list order: the entry text and the suffix appended to the stock code.
struct MarketEntry {
    const char16_t* name;
    const char* suffix;  // "" for 自動: the code goes without a market
};

inline constexpr std::array<MarketEntry, 8> kMarkets = {{
    {u"自動", ""},
    {u"東京", ".t"},
    {u"大阪", ".o"},
    {u"名古屋", ".n"},
    {u"札幌", ".s"},
    {u"福岡", ".f"},
    {u"店頭", ".q"},
    {u"ナスダック", ".j"},
}};

// The period options: caption, query key value and the rule that gives the range start.
struct PeriodEntry {
    const char16_t* caption;
    char key;  // 'd', 'w', 'm'
};

inline constexpr std::array<PeriodEntry, 3> kPeriods = {{
    {u"デイリー", 'd'},
    {u"週 間", 'w'},
    {u"月 間", 'm'},
}};

// End date minus 800 days, 501 weeks or 360 months (a missing day: the month's last day).
QDate RangeStart(QDate endDate, Period period);

}  // namespace ardentix
