#include "parse/date_rule.h"

#include <algorithm>

#include "locale/dates.h"

namespace ardentix {

std::optional<QString> LfFmtDate(QStringView cell, Period period) {
    // The cell's final character is never examined: on the page it is the "|" of 日 or 月.
    if (cell.size() <= 1) {
        return QString();
    }
    QString cleaned(cell.size() - 1, u'/');
    for (qsizetype i = 0; i + 1 < cell.size(); ++i) {
        const QChar c = cell[i];
        if (c >= u'0' && c <= u'9') {
            cleaned[i] = c;
        }
    }
    std::optional<QDate> date = ToDate(cleaned);
    if (!date) {
        return std::nullopt;
    }
    if (period == Period::Weekly) {
        date = NextFriday(*date);
    }
    const int yy = ((date->year() % 100) + 100) % 100;
    const int dd = period == Period::Monthly ? 0 : date->day();
    const char16_t text[6] = {
        char16_t(u'0' + yy / 10),
        char16_t(u'0' + yy % 10),
        char16_t(u'0' + date->month() / 10),
        char16_t(u'0' + date->month() % 10),
        char16_t(u'0' + dd / 10),
        char16_t(u'0' + dd % 10),
    };
    return QString::fromUtf16(text, 6);
}

QDate NextFriday(QDate date) {
    QDate candidate = date;
    for (int n = 1; n <= 7; ++n) {
        candidate = date.addDays(n);
        if (candidate.dayOfWeek() == Qt::Friday) {
            break;
        }
    }
    return candidate;
}

int FullYear(int twoDigits, QDate endDate) {
    const int latest = endDate.year() + 1;
    return latest - ((latest - twoDigits) % 100 + 100) % 100;
}

std::optional<QDate> RowDate(QStringView ymd, Period period, QDate endDate) {
    if (ymd.size() != 6 ||
        !std::all_of(ymd.begin(), ymd.end(), [](QChar c) { return c >= u'0' && c <= u'9'; })) {
        return std::nullopt;
    }
    const auto number = [&](int at) {
        return ymd[at].digitValue() * 10 + ymd[at + 1].digitValue();
    };
    const int day = number(4);
    if ((period == Period::Monthly) != (day == 0)) {
        return std::nullopt;
    }
    const QDate date(FullYear(number(0), endDate), number(2), period == Period::Monthly ? 1 : day);
    if (!date.isValid() || (period == Period::Weekly && date.dayOfWeek() != Qt::Friday)) {
        return std::nullopt;
    }
    return date;
}

}  // namespace ardentix
