#include "locale/numbers.h"

#include <QVarLengthArray>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace ardentix {
namespace {

constexpr qint64 kWholeLimit = qint64(1) << 53;

// The digits of a number as read, without separators (short numbers stay off the heap).
struct Decimal {
    bool negative = false;
    QVarLengthArray<char, 24> integerDigits;   // possibly empty
    QVarLengthArray<char, 24> fractionDigits;  // digits after ".", possibly empty
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
            d.integerDigits.append(char(c.unicode()));
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
            d.fractionDigits.append(char(text[i].unicode()));
            ++i;
        }
    }
    if (i != end) {
        return std::nullopt;
    }
    if (d.integerDigits.isEmpty() && (d.fractionDigits.isEmpty() || !hasPoint)) {
        return std::nullopt;
    }
    return d;
}

}  // namespace

bool IsNumeric(QStringView text) {
    return ReadDecimal(text).has_value();
}

std::optional<qint32> ToInt32(QStringView text) {
    const auto value = ToWholeNumber53(text);
    if (!value || *value < std::numeric_limits<qint32>::min() ||
        *value > std::numeric_limits<qint32>::max()) {
        return std::nullopt;
    }
    return static_cast<qint32>(*value);
}

std::optional<qint64> ToWholeNumber53(QStringView text) {
    const auto d = ReadDecimal(text);
    if (!d) {
        return std::nullopt;
    }
    // Rounding only adds, so the digits may stop as soon as they pass the limit.
    qint64 magnitude = 0;
    for (char c : d->integerDigits) {
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > kWholeLimit) {
            return std::nullopt;
        }
    }
    const auto& f = d->fractionDigits;
    if (!f.isEmpty()) {
        const int first = f[0] - '0';
        const bool restNonZero =
            std::any_of(f.begin() + 1, f.end(), [](char c) { return c != '0'; });
        const bool roundUp = first > 5 || (first == 5 && (restNonZero || magnitude % 2 == 1));
        if (roundUp) {
            ++magnitude;
        }
    }
    if (magnitude > kWholeLimit) {
        return std::nullopt;
    }
    return d->negative ? -magnitude : magnitude;
}

std::optional<double> ToDouble(QStringView text) {
    const auto d = ReadDecimal(text);
    if (!d) {
        return std::nullopt;
    }
    QVarLengthArray<char, 56> plain;
    if (d->integerDigits.isEmpty()) {
        plain.append('0');
    }
    plain.append(d->integerDigits.constData(), d->integerDigits.size());
    if (!d->fractionDigits.isEmpty()) {
        plain.append('.');
        plain.append(d->fractionDigits.constData(), d->fractionDigits.size());
    }
    double value = 0;
    const auto [end, error] = std::from_chars(plain.begin(), plain.end(), value);
    if (error != std::errc() || end != plain.end() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return d->negative ? -value : value;
}

std::optional<qint64> RoundHalfEven53(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    double rounded = std::round(value);  // halves away from zero
    if (std::fabs(value - std::trunc(value)) == 0.5 && std::fmod(rounded, 2.0) != 0.0) {
        rounded -= std::copysign(1.0, value);
    }
    if (std::fabs(rounded) > double(kWholeLimit)) {
        return std::nullopt;
    }
    return static_cast<qint64>(rounded);
}

std::optional<qint32> RoundHalfEven32(double value) {
    const auto rounded = RoundHalfEven53(value);
    if (!rounded || *rounded < std::numeric_limits<qint32>::min() ||
        *rounded > std::numeric_limits<qint32>::max()) {
        return std::nullopt;
    }
    return static_cast<qint32>(*rounded);
}

}  // namespace ardentix
