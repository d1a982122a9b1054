#pragma once

#include <QDate>
#include <QString>

#include "parse/period.h"

namespace ardentix {

// What one chart request asks for.
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
// plain decimal numbers; every character of the code outside ASCII letters, digits and "-._~"
// is percent-encoded as UTF-8, so the query always holds exactly its ten keys.
QString MakeChartUrl(const ChartQuery& query);

}  // namespace ardentix
