#include "parse/date_rule.h"

#include "locale/dates.h"

namespace ardentix {

std::optional<QString> LfFmtDate(QStringView cell, Period period) {
    // The cell's final character is never examined: on the page it is the "|" of 日 or 月.
    QString cleaned;
    for (qsizetype i = 0; i + 1 < cell.size(); ++i) {
        const QChar c = cell[i];
        cleaned += (c >= u'0' && c <= u'9') ? c : QChar(u'/');
    }
    if (cleaned.isEmpty()) {
        return QString();
    }
    std::optional<QDate> date = ToDate(cleaned);
    if (!date) {
        return std::nullopt;
    }
    if (period == Period::Weekly) {
        date = NextFriday(*date);
    }
    const int yy = date->year() % 100;
    const QString yymm = QStringLiteral("%1%2")
                             .arg(yy < 0 ? yy + 100 : yy, 2, 10, QChar(u'0'))
                             .arg(date->month(), 2, 10, QChar(u'0'));
    if (period == Period::Monthly) {
        return yymm + QStringLiteral("00");
    }
    return yymm + QStringLiteral("%1").arg(date->day(), 2, 10, QChar(u'0'));
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

}  // namespace ardentix
