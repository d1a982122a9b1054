#include "export/export_writer.h"

#include <QIODevice>
#include <QSaveFile>
#include <algorithm>
#include <cmath>

#include "locale/codepage.h"
#include "locale/patterns.h"

namespace ardentix {

QByteArray ExportBytes(const QuoteTable& table, int ymdForm, int firstRow) {
    QByteArray out;
    const int rows = std::clamp(table.rowCount, 0, kQuoteSlots);
    const int first = std::clamp(firstRow, 0, rows);
    out.reserve((rows - first) * 48);
    for (int i = first; i < rows; ++i) {
        const QuoteRow& raw = table.rawRows[i];
        const QuoteRow& shown = table.shownRows[i];
        const QString date = ymdForm == 0 ? raw.ymd : FormatKanjiDate(raw.ymd);
        // Dates hold digits, spaces and 年月日 only, all of which code page 932 holds.
        out += EncodeCp932(date).value_or(QByteArray());
        out += ',' + QByteArray::number(shown.open);
        out += ',' + QByteArray::number(shown.high);
        out += ',' + QByteArray::number(shown.low);
        out += ',' + QByteArray::number(shown.close);
        out += ',' + QByteArray::number(static_cast<qint64>(std::nearbyint(shown.volume)));
        out += "\r\n";
    }
    return out;
}

ExportResult WriteExportTo(QIODevice& device, const QuoteTable& table, int ymdForm) {
    const QByteArray bytes = ExportBytes(table, ymdForm);
    if (device.write(bytes) != bytes.size()) {
        return {false, device.errorString()};
    }
    return {true, {}};
}

ExportResult WriteExportFile(const QString& path, const QuoteTable& table, int ymdForm) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return {false, file.errorString()};
    }
    ExportResult result = WriteExportTo(file, table, ymdForm);
    if (!result.ok) {
        file.cancelWriting();
        return result;
    }
    if (!file.commit()) {
        return {false, file.errorString()};
    }
    return result;
}

QString DefaultExportName(Period period, const QString& code) {
    static constexpr char kLetters[] = {'D', 'W', 'M'};
    return QStringLiteral("zub") + QChar(kLetters[static_cast<int>(period)]) + code +
           QStringLiteral(".csv");
}

}  // namespace ardentix
