#pragma once

#include <QDate>
#include <QString>

#include "parse/period.h"
#include "parse/quote_table.h"

namespace ardentix {

// How a page ended. ok is false after message 202 (no row marker, title "データ取得") or
// 205 (a conversion failure, title "データ変換"); the caller shows the message. Rows accepted
// before a failure stay in the table.
struct PageOutcome {
    bool ok = true;
    int messageNumber = 0;  // 0 when ok
    QString messageTitle;
    int heldRows = 0;  // rows not stored because they were not older than the last one stored
};

// Parses paging.pageBytes[0 .. lastIndex] into table.rawRows from table.rowCount on, at most
// up to kMaxRows rows in all; sets paging.pageText and paging.hasNextPage (from all bytes).
// Rows go back in time: a row not older than the last dated row stored (two-digit years read
// for a run ending on endDate) is passed over. A row without a date is stored and compared
// with nothing.
PageOutcome ParsePage(QuoteTable& table, PagingState& paging, int lastIndex, Period period,
                      QDate endDate);

// Sets and returns paging.hasNextPage: the next-page link text followed by a digit.
bool CheckNextPage(PagingState& paging);

}  // namespace ardentix
