#pragma once

#include <QDate>
#include <cmath>
#include <vector>

#include "parse/quote_table.h"
#include "tools/quote-service/history_generator.h"
#include "tools/quote-service/split_restatement.h"

namespace ardentix::testing {

// The generator's trading days from start to end, newest first, as the program stores them:
// prices restated by the adjusted close over the close, halves to even.
inline std::vector<QuoteRow> ExpectedDays(const quote_service::Listing& listing, QDate start,
                                          QDate end) {
    quote_service::History history = quote_service::GenerateHistory(listing, end);
    quote_service::RestateForSplits(history.bars, history.splits, end);
    std::vector<QuoteRow> rows;
    for (auto day = history.bars.rbegin(); day != history.bars.rend(); ++day) {
        const double ratio = double(day->adjClose) / day->close;
        const auto restated = [ratio](qint32 p) { return qint32(std::nearbyint(p * ratio)); };
        if (day->date >= start && day->date <= end) {
            rows.push_back({day->date.toString(QStringLiteral("yyMMdd")), restated(day->open),
                            restated(day->high), restated(day->low), restated(day->close),
                            double(day->volume), day->adjClose, day->close});
        }
    }
    return rows;
}

}  // namespace ardentix::testing
