#include "locale/dates.h"

#include <QList>

namespace ardentix {
namespace {

std::optional<int> ReadField(QStringView field) {
    if (field.isEmpty() || field.size() > 9) {
        return std::nullopt;
    }
    int value = 0;
    for (QChar c : field) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

}  // namespace

std::optional<QDate> ToDate(QStringView text) {
    const QList<QStringView> fields = text.split(u'/');
    if (fields.size() != 2 && fields.size() != 3) {
        return std::nullopt;
    }
    std::optional<int> numbers[3];
    for (qsizetype i = 0; i < fields.size(); ++i) {
        numbers[i] = ReadField(fields[i]);
        if (!numbers[i]) {
            return std::nullopt;
        }
    }
    const qsizetype yearDigits = fields[0].size();
    int year = *numbers[0];
    if (yearDigits <= 2 && fields.size() == 3) {
        year += year < 30 ? 2000 : 1900;
    } else if (yearDigits != 4) {
        return std::nullopt;
    }
    const int month = *numbers[1];
    const int day = fields.size() == 3 ? *numbers[2] : 1;
    const QDate date(year, month, day);
    if (!date.isValid()) {
        return std::nullopt;
    }
    return date;
}

}  // namespace ardentix
