#include "parse/page_parser.h"

namespace ardentix {

// Placeholder until the parser lands.
PageOutcome ParsePage(QuoteTable&, PagingState& paging, int, Period) {
    CheckNextPage(paging);
    return {false, 202, QStringLiteral("データ取得")};
}

bool CheckNextPage(PagingState& paging) {
    paging.hasNextPage = false;
    return false;
}

}  // namespace ardentix
