#include "locale/dates.h"

#include <algorithm>

namespace ardentix {

std::optional<QDate> ToDate(QStringView text) {
    // Up to three fields of one to nine digits each, separated by single "/".
    int numbers[3] = {0, 0, 0};
    qsizetype digits[3] = {0, 0, 0};
    int fields = 1;
    for (QChar c : text) {
        if (c == u'/') {
            if (fields == 3) {
                return std::nullopt;
            }
            ++fields;
        } else if (c >= u'0' && c <= u'9') {
            const int k = fields - 1;
            if (++digits[k] > 9) {
                return std::nullopt;
            }
            numbers[k] = numbers[k] * 10 + (c.unicode() - u'0');
        } else {
            return std::nullopt;
        }
    }
    if (fields < 2 || std::any_of(digits, digits + fields, [](qsizetype n) { return n == 0; })) {
        return std::nullopt;
    }
    int year = numbers[0];
    if (digits[0] <= 2 && fields == 3) {
        year += year < 30 ? 2000 : 1900;
    } else if (digits[0] != 4) {
        return std::nullopt;
    }
    const QDate date(year, numbers[1], fields == 3 ? numbers[2] : 1);
    if (!date.isValid()) {
        return std::nullopt;
    }
    return date;
}

}  // namespace ardentix
