#pragma once

#include <QDate>
#include <QtGlobal>

namespace quote_service {

// One bar as the chart page shows it. For weekly bars the date is the Monday of the week, for
// monthly bars the first of the month; prices are whole yen.
struct PriceBar {
    QDate date;
    qint32 open = 0;
    qint32 high = 0;
    qint32 low = 0;
    qint32 close = 0;
    qint64 volume = 0;
    qint32 adjClose = 0;

    bool operator==(const PriceBar&) const = default;
};

}  // namespace quote_service
