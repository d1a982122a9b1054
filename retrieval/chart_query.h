#pragma once

#include <QDate>
#include <QString>

#include "parse/period.h"

namespace ardentix {

// What one chart request asks for. The code goes out exactly as typed.
struct ChartQuery {
    QString host;  // host[:port]
    QString code;
    int marketIndex = 0;  // position in kMarkets; outside 0..7 leaves the "&s=" piece out
    Period period = Period::Daily;
    QDate startDate;
    QDate endDate;
    int rowOffset = 0;
};

// "http://" host "/t?c=..&a=..&b=..&f=..&d=..&e=..&g=.." ["&s=" code suffix] "&y=..&x=.csv",
// plain decimal numbers, nothing escaped.
QString MakeChartUrl(const ChartQuery& query);

}  // namespace ardentix
