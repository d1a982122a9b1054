#include "tools/quote-service/split_restatement.h"

#include <algorithm>
#include <cmath>

namespace quote_service {

double SplitFactor(const std::vector<StockSplit>& splits, QDate day, QDate basis) {
    double factor = 1;
    for (const StockSplit& s : splits) {
        if (s.date > day && s.date <= basis) {
            factor = factor * s.before / s.after;
        }
    }
    return factor;
}

qint32 RestatedPrice(qint32 price, double factor) {
    return static_cast<qint32>(std::max(1.0, std::nearbyint(price * factor)));
}

void RestateForSplits(std::vector<PriceBar>& bars, const std::vector<StockSplit>& splits,
                      QDate end) {
    for (PriceBar& bar : bars) {
        const double factor = SplitFactor(splits, bar.date, end);
        if (factor != 1) {
            bar.adjClose = RestatedPrice(bar.close, factor);
        }
    }
}

}  // namespace quote_service
