#include "retrieval/chart_query.h"

#include <QUrl>

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
        // The code is data: an "&" or "#" in it must not add a key or cut the query short.
        const QString code = QString::fromLatin1(QUrl::toPercentEncoding(q.code));
        url += QStringLiteral("&s=") + code + QString::fromLatin1(kMarkets[q.marketIndex].suffix);
    }
    url += QStringLiteral("&y=%1&x=.csv").arg(q.rowOffset);
    return url;
}

}  // namespace ardentix
