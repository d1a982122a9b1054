#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace quote_service {

// One issue's day as J-Quants gives it: raw prices (to a tenth of a yen) and volume, none on a
// day without trading, and the day's split factor: 1 on an ordinary day, 0.5 on the ex-rights
// day of a 1:2 split.
struct UpstreamBar {
    QDate date;
    QString code;  // five characters, e.g. "72030"
    std::optional<double> open, high, low, close, volume;
    double adjFactor = 1;

    bool operator==(const UpstreamBar&) const = default;
};

}  // namespace quote_service
