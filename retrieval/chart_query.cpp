#include "retrieval/chart_query.h"

#include "retrieval/query_tables.h"

namespace ardentix {

QString MakeChartUrl(const ChartQuery& q) {
    QString url = QStringLiteral("http://") + q.host + QStringLiteral("/t?");
    url += QStringLiteral("c=%1&a=%2&b=%3")
               .arg(q.startDate.year())
               .arg(q.startDate.month())
               .arg(q.startDate.day());
    url += QStringLiteral("&f=%1&d=%2&e=%3")
               .arg(q.endDate.year())
               .arg(q.endDate.month())
               .arg(q.endDate.day());
    url += QStringLiteral("&g=") + QChar(kPeriods[static_cast<int>(q.period)].key);
    if (q.marketIndex >= 0 && q.marketIndex < int(kMarkets.size())) {
        // A "#" would start the URL's fragment and cut off the rest of the query.
        const QString code = QString(q.code).replace(u'#', QStringLiteral("%23"));
        url += QStringLiteral("&s=") + code + QString::fromLatin1(kMarkets[q.marketIndex].suffix);
    }
    url += QStringLiteral("&y=%1&x=.csv").arg(q.rowOffset);
    return url;
}

}  // namespace ardentix
