#include "export/export_writer.h"

#include <QIODevice>
#include <algorithm>
#include <cmath>

#include "app/file_replace.h"
#include "locale/codepage.h"
#include "locale/patterns.h"

namespace ardentix {

std::optional<QByteArray> ExportBytes(const QuoteTable& table, int ymdForm, int firstRow) {
    QByteArray out;
    const int rows = std::clamp(table.rowCount, 0, kQuoteSlots);
    const int first = std::clamp(firstRow, 0, rows);
    out.reserve((rows - first) * 48);
    for (int i = first; i < rows; ++i) {
        const QuoteRow& raw = table.rawRows[i];
        const QuoteRow& shown = table.shownRows[i];
        const QString date = ymdForm == 0 ? raw.ymd : FormatKanjiDate(raw.ymd);
        const std::optional<QByteArray> dateBytes = EncodeCp932(date);
        if (!dateBytes) {
            return std::nullopt;
        }
        out += *dateBytes;
        out += ',' + QByteArray::number(shown.open);
        out += ',' + QByteArray::number(shown.high);
        out += ',' + QByteArray::number(shown.low);
        out += ',' + QByteArray::number(shown.close);
        out += ',' + QByteArray::number(static_cast<qint64>(std::nearbyint(shown.volume)));
        out += "\r\n";
    }
    return out;
}

namespace {

const QString kDateNotEncodable =
    QStringLiteral("日付に、ファイルの文字コード (シフトJIS) で書けない文字があります。");

}  // namespace

ExportResult WriteExportTo(QIODevice& device, const QuoteTable& table, int ymdForm) {
    const std::optional<QByteArray> bytes = ExportBytes(table, ymdForm);
    if (!bytes) {
        return {false, kDateNotEncodable};
    }
    if (device.write(*bytes) != bytes->size()) {
        return {false, device.errorString()};
    }
    return {true, {}};
}

ExportResult WriteExportFile(const QString& path, const QuoteTable& table, int ymdForm) {
    const std::optional<QByteArray> bytes = ExportBytes(table, ymdForm);
    if (!bytes) {
        return {false, FileWriteFailure(path, kDateNotEncodable)};
    }
    return ReplaceFileBytes(path, *bytes);
}

QString DefaultExportName(Period period, const QString& code) {
    static constexpr char kLetters[] = {'D', 'W', 'M'};
    return QStringLiteral("zub") + QChar(kLetters[static_cast<int>(period)]) + code +
           QStringLiteral(".csv");
}

}  // namespace ardentix
