#include "tools/quote-service/store_history.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quote_service {

namespace {

// Whole units, halves to even; a figure no price or volume can be (negative, past the type's
// range, not a number) is 0.
template <typename Whole>
Whole WholeOf(double figure) {
    const double whole = std::nearbyint(figure);
    return whole >= 0 && whole < double(std::numeric_limits<Whole>::max()) ? Whole(whole) : 0;
}

// The simplest ratio within a ten-thousandth of the factor: the factors come rounded (1:3 as
// 0.333333), and no split's ratio has terms large enough for a simpler one to come that near.
StockSplit SplitOf(QDate day, double factor) {
    int after = 1;
    for (; after < 1000; ++after) {
        const double before = std::nearbyint(factor * after);
        if (before >= 1 && std::abs(before / after - factor) <= 1e-4 * factor) {
            break;
        }
    }
    return {day, std::max(1, int(std::nearbyint(factor * after))), after};
}

}  // namespace

History HistoryFromStore(const std::vector<UpstreamBar>& oldestFirst, QDate end) {
    History history;
    history.bars.reserve(oldestFirst.size());
    double later = 1;  // the product of the factors of the days after the one at hand
    for (auto day = oldestFirst.rbegin(); day != oldestFirst.rend(); ++day) {
        if (day->date > end) {
            continue;
        }
        if (day->open && day->high && day->low && day->close) {
            history.bars.push_back(
                {day->date, WholeOf<qint32>(*day->open), WholeOf<qint32>(*day->high),
                 WholeOf<qint32>(*day->low), WholeOf<qint32>(*day->close),
                 WholeOf<qint64>(day->volume.value_or(0)), WholeOf<qint32>(*day->close * later)});
        }
        // A factor past a thousandfold split either way is no real one: the day is ordinary.
        if (day->adjFactor != 1 && day->adjFactor >= 1e-3 && day->adjFactor <= 1e3) {
            history.splits.push_back(SplitOf(day->date, day->adjFactor));
            later *= day->adjFactor;
        }
    }
    std::reverse(history.bars.begin(), history.bars.end());
    std::reverse(history.splits.begin(), history.splits.end());
    return history;
}

}  // namespace quote_service
