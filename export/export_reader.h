#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>
#include <vector>

#include "parse/period.h"

namespace ardentix {

// One line of an export file: its date, its five figures (open, high, low, close, volume) and
// its exact bytes, CR LF included.
struct ExportLine {
    QDate date;
    std::array<qint64, 5> figures{};
    QByteArray bytes;
};

struct ExportReadResult {
    bool ok = false;
    std::vector<ExportLine> lines;  // newest first, as the file holds them
    int ymdForm = -1;               // the date form of the lines: 0 yymmdd, 1 kanji; -1 no lines
    QString error;                  // when !ok: the first line that is no export row, and why
};

// Reads the bytes of an export file (ExportBytes) written for the period: code page 932, every
// line ended by CR LF, six comma-separated fields: a date in either form, the same form on
// every line, then five whole numbers. The rows must be newest first, no two of one date.
// Empty bytes hold no rows; a UTF-8 byte-order mark in front of the first line is skipped.
// Two-digit years take their century from endDate (RowDate).
ExportReadResult ReadExportBytes(QByteArrayView bytes, Period period, QDate endDate);

}  // namespace ardentix
