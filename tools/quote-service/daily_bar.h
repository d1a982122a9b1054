#pragma once

#include <QDate>
#include <QtGlobal>
#include <vector>

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

// A stock split on a trading day: from that day on, every `before` shares are `after`
// (1:2 doubles the shares and halves the price).
struct StockSplit {
    QDate date;
    int before = 1;
    int after = 2;
};

// A daily history: bars oldest first, and the splits among them (none for a data file).
struct History {
    std::vector<PriceBar> bars;
    std::vector<StockSplit> splits;
};

}  // namespace quote_service
