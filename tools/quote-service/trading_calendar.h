#pragma once

#include <QDate>

namespace quote_service {

// The days the service has bars for.
QDate FirstHistoryDay();  // 1 January 1970
QDate LastHistoryDay();   // 31 December 2035

// Monday to Friday, except the year-end holidays 31 December to 3 January.
bool IsTradingDay(QDate date);

// The trading day on or after the date.
QDate TradingDayFrom(QDate date);

}  // namespace quote_service
