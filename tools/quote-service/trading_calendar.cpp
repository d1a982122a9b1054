#include "tools/quote-service/trading_calendar.h"

namespace quote_service {

QDate FirstHistoryDay() {
    return QDate(1970, 1, 1);
}

QDate LastHistoryDay() {
    return QDate(2035, 12, 31);
}

bool IsTradingDay(QDate date) {
    if (date.dayOfWeek() >= 6) {
        return false;
    }
    const int month = date.month();
    const int day = date.day();
    const bool yearEnd = (month == 12 && day == 31) || (month == 1 && day <= 3);
    return !yearEnd;
}

QDate TradingDayFrom(QDate date) {
    while (!IsTradingDay(date)) {
        date = date.addDays(1);
    }
    return date;
}

}  // namespace quote_service
