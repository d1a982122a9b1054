#include "retrieval/query_tables.h"

namespace ardentix {

QDate RangeStart(QDate endDate, Period period) {
    switch (period) {
        case Period::Daily:
            return endDate.addDays(-800);
        case Period::Weekly:
            return endDate.addDays(-501 * 7);
        case Period::Monthly:
            break;
    }
    return endDate.addMonths(-360);
}

}  // namespace ardentix
