#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "app/file_replace.h"
#include "parse/period.h"
#include "parse/quote_table.h"

class QIODevice;

namespace ardentix {

// The export's bytes: one line per row, CR LF after every line, no header, six fields: the date
// from rawRows ("yymmdd" as stored with ymdForm 0, through "@@\年@@\月@@\日" otherwise), then
// open, high, low, close and volume from shownRows in plain decimal. Code page 932. Rows
// before firstRow are left out. nullopt when a date holds a character code page 932 lacks.
std::optional<QByteArray> ExportBytes(const QuoteTable& table, int ymdForm, int firstRow = 0);

// The title of the box that shows a failed export's description.
inline const QString kExportFailureTitle = QStringLiteral("ファイル作成");

using ExportResult = FileWriteResult;

// Writes the export to a device.
ExportResult WriteExportTo(QIODevice& device, const QuoteTable& table, int ymdForm);

// Writes the export to a file (ReplaceFileBytes): a failed export leaves an earlier regular
// file of that name untouched, and its description names the file.
ExportResult WriteExportFile(const QString& path, const QuoteTable& table, int ymdForm);

// The name the window proposes: "zub" + D/W/M + the code as typed + ".csv".
QString DefaultExportName(Period period, const QString& code);

}  // namespace ardentix
