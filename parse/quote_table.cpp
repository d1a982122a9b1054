#include "parse/quote_table.h"

namespace ardentix {

void QuoteTable::Clear() {
    rawRows.fill(QuoteRow{});
    shownRows.fill(QuoteRow{});
    rowCount = 0;
}

void PagingState::Clear() {
    hasNextPage = false;
    pageBytes.clear();
    pageLastIndex = 0;
    pageText.clear();
}

}  // namespace ardentix
