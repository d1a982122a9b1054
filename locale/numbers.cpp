#include "locale/numbers.h"

#include <cmath>
#include <limits>

namespace ardentix {
namespace {

struct Decimal {
    bool negative = false;
    QString integerDigits;   // digits without separators, possibly empty
    QString fractionDigits;  // digits after ".", possibly empty
};

bool IsAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}
bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

std::optional<Decimal> ReadDecimal(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
    Decimal d;
    qsizetype i = begin;
    if (i < end && (text[i] == u'+' || text[i] == u'-')) {
        d.negative = text[i] == u'-';
        ++i;
    }
    while (i < end) {
        const QChar c = text[i];
        if (IsAsciiDigit(c)) {
            d.integerDigits.append(c);
        } else if (c == u',') {
            // A separator must stand between two digits.
            if (d.integerDigits.isEmpty() || i + 1 >= end || !IsAsciiDigit(text[i + 1])) {
                return std::nullopt;
            }
        } else {
            break;
        }
        ++i;
    }
    bool hasPoint = false;
    if (i < end && text[i] == u'.') {
        hasPoint = true;
        ++i;
        while (i < end && IsAsciiDigit(text[i])) {
            d.fractionDigits.append(text[i]);
            ++i;
        }
    }
    if (i != end) {
        return std::nullopt;
    }
    if (d.integerDigits.isEmpty() && d.fractionDigits.isEmpty()) {
        return std::nullopt;
    }
    if (d.integerDigits.isEmpty() && !hasPoint) {
        return std::nullopt;
    }
    return d;
}

}  // namespace

bool IsNumeric(QStringView text) {
    return ReadDecimal(text).has_value();
}

std::optional<qint32> ToInt32(QStringView text) {
    const auto d = ReadDecimal(text);
    if (!d) {
        return std::nullopt;
    }
    // Magnitude in 64 bits, stopping as soon as it cannot fit 32 bits any more.
    constexpr qint64 kLimit = qint64(std::numeric_limits<qint32>::max()) + 2;
    qint64 magnitude = 0;
    for (QChar c : d->integerDigits) {
        magnitude = magnitude * 10 + (c.unicode() - u'0');
        if (magnitude > kLimit) {
            return std::nullopt;
        }
    }
    const QString& f = d->fractionDigits;
    if (!f.isEmpty()) {
        const int first = f[0].unicode() - u'0';
        bool restNonZero = false;
        for (qsizetype k = 1; k < f.size(); ++k) {
            restNonZero = restNonZero || f[k] != u'0';
        }
        const bool roundUp = first > 5 || (first == 5 && (restNonZero || magnitude % 2 == 1));
        if (roundUp) {
            ++magnitude;
        }
    }
    const qint64 value = d->negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max()) {
        return std::nullopt;
    }
    return static_cast<qint32>(value);
}

std::optional<double> ToDouble(QStringView text) {
    const auto d = ReadDecimal(text);
    if (!d) {
        return std::nullopt;
    }
    QString plain = d->negative ? QStringLiteral("-") : QString();
    plain += d->integerDigits.isEmpty() ? QStringLiteral("0") : d->integerDigits;
    if (!d->fractionDigits.isEmpty()) {
        plain += u'.' + d->fractionDigits;
    }
    bool ok = false;
    const double value = plain.toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<qint32> RoundHalfEven32(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    double rounded = std::round(value);  // halves away from zero
    if (std::fabs(value - std::trunc(value)) == 0.5 && std::fmod(rounded, 2.0) != 0.0) {
        rounded -= std::copysign(1.0, value);
    }
    if (rounded < double(std::numeric_limits<qint32>::min()) ||
        rounded > double(std::numeric_limits<qint32>::max())) {
        return std::nullopt;
    }
    return static_cast<qint32>(rounded);
}

}  // namespace ardentix
