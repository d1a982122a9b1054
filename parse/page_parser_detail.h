#pragma once

#include <QDate>
#include <QStringView>
#include <optional>

#include "parse/period.h"
#include "parse/quote_table.h"

// The row walk of the page parser, open to the tests. Positions inside follow the page
// format's own 1-based counting where the cuts depend on it.
namespace ardentix::detail {

enum class RowResult {
    Accepted,  // the slot holds a complete row
    Skipped,   // the second cell is not a number (e.g. a dash): silently passed over
    Failed,    // a conversion failure: the page is abandoned
};

struct RowsOutcome {
    bool ok = true;    // false on the first conversion failure
    int heldRows = 0;  // accepted rows not stored: not older than the last dated row stored
};

// Walks the rows of the table section (the filtered text from one character before the
// first row marker to the table end) into table.rawRows from table.rowCount on, stopping
// at kMaxRows; rows accepted before a failure stay counted.
RowsOutcome ParseRows(QStringView section, QuoteTable& table, Period period, QDate endDate);

// One row (from its marker up to the next) into slot. On Skipped or Failed the slot may hold
// part of the row, which nothing reads because rowCount does not move.
RowResult ParseRow(QStringView row, Period period, QuoteRow& slot);

// The close cell's number: every digit, "," and "." of the cell, markup dropped, read as a
// number. 0 when the cell has no digit at all; nullopt when the kept text is not a number (",").
std::optional<double> CloseCellValue(QStringView cell);

}  // namespace ardentix::detail
