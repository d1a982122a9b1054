#include "export/row_scaling.h"

#include "locale/numbers.h"
#include "locale/patterns.h"

namespace ardentix {

namespace {

// Prices fit 32 bits and the divisor is at least 1, so the quotient always fits.
qint32 Divide(qint32 value, int divisor) {
    return RoundHalfEven32(static_cast<double>(value) / divisor).value_or(0);
}

// Volumes are whole numbers up to 2^53 (the parser takes no more), so the quotient fits too.
double DivideVolume(double value, int divisor) {
    return double(RoundHalfEven53(value / divisor).value_or(0));
}

}  // namespace

void ScaleRows(QuoteTable& table, int priceDivisor, int volumeDivisor) {
    for (int i = 0; i < table.rowCount; ++i) {
        QuoteRow row = table.rawRows[i];
        row.open = Divide(row.open, priceDivisor);
        row.high = Divide(row.high, priceDivisor);
        row.low = Divide(row.low, priceDivisor);
        row.close = Divide(row.close, priceDivisor);
        row.volume = DivideVolume(row.volume, volumeDivisor);
        table.shownRows[i] = row;
    }
}

QString ListCaption(const QString& code, const QString& market, Period period) {
    QString word;
    switch (period) {
        case Period::Daily:
            word = QStringLiteral(" ディリー");
            break;
        case Period::Weekly:
            word = QStringLiteral(" 週 足");
            break;
        case Period::Monthly:
            word = QStringLiteral(" 月 足");
            break;
    }
    return u' ' + code + u' ' + market + word;
}

QStringList ListTexts(const QuoteRow& row) {
    return {FormatKanjiDate(row.ymd),         FormatGrouped(qint64(row.open)),
            FormatGrouped(qint64(row.high)),  FormatGrouped(qint64(row.low)),
            FormatGrouped(qint64(row.close)), FormatGrouped(row.volume)};
}

}  // namespace ardentix
