#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

#include "parse/period.h"

namespace ardentix {

// The date a row's stored date text stands for: "yymmdd" daily and weekly (a weekly row is
// dated by its Friday), "yymm00" monthly (the first of the month). Two-digit years as the page
// dates read them: 00-29 are 2000-2029, 30-99 are 1930-1999. nullopt for a text of another
// shape, a day that does not exist, a weekly date that is no Friday, a monthly date with a day
// or a daily one without.
std::optional<QDate> ExportRowDate(QStringView ymd, Period period);

// One line of an export file: its date and its exact bytes, CR LF included.
struct ExportLine {
    QDate date;
    QByteArray bytes;
};

struct ExportReadResult {
    bool ok = false;
    std::vector<ExportLine> lines;  // newest first, as the file holds them
    QString error;                  // when !ok: the first line that is no export row, and why
};

// Reads the bytes of an export file (ExportBytes) written for the period: code page 932, every
// line ended by CR LF, six comma-separated fields: a date in either form, the same form on
// every line, then five whole numbers. The rows must be newest first, no two of one date.
// Empty bytes hold no rows.
ExportReadResult ReadExportBytes(QByteArrayView bytes, Period period);

}  // namespace ardentix
