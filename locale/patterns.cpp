#include "locale/patterns.h"

#include <cmath>

namespace ardentix {

QString FormatGrouped(qint64 value) {
    const bool negative = value < 0;
    // Work on the unsigned magnitude so that the most negative value has a positive twin.
    quint64 magnitude = negative ? quint64(0) - quint64(value) : quint64(value);
    const QString digits = QString::number(magnitude);
    QString out;
    out.reserve(digits.size() + digits.size() / 3 + 1);
    if (negative) {
        out += u'-';
    }
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            out += u',';
        }
        out += digits[i];
    }
    return out;
}

QString FormatGrouped(double value) {
    if (!std::isfinite(value)) {
        return QString::number(value);
    }
    double rounded = std::nearbyint(value);  // the default rounding mode: half to even
    if (std::fabs(rounded) >= 9.2e18) {
        return QString::number(value, 'f', 0);
    }
    return FormatGrouped(static_cast<qint64>(rounded));
}

QString FormatRowCount(qint64 count) {
    return QString::number(count) + QStringLiteral("行読込み");
}

QString FormatKanjiDate(QStringView ymd) {
    static const QChar kLiterals[3] = {u'年', u'月', u'日'};
    QString places(6, u' ');
    const qsizetype n = ymd.size();
    const qsizetype filled = std::min<qsizetype>(n, 6);
    for (qsizetype k = 0; k < filled; ++k) {
        places[5 - k] = ymd[n - 1 - k];
    }
    QString out = n > 6 ? ymd.left(n - 6).toString() : QString();
    for (int group = 0; group < 3; ++group) {
        out += places.mid(group * 2, 2);
        out += kLiterals[group];
    }
    return out;
}

}  // namespace ardentix
