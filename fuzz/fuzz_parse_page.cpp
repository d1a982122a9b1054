// Feeds arbitrary bytes to ParsePage. The first four input bytes choose the period, the row
// count the page starts from (two bytes, little-endian, modulo 501) and a signed shift of the
// last index from the run's value (byte count minus 2); the rest is the page.
#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "parse/date_rule.h"
#include "parse/page_parser.h"
#include "parse/quote_table.h"

using namespace ardentix;

namespace {

constexpr std::size_t kHeader = 4;

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool IsStoredDate(const QString& ymd, Period period) {
    if (ymd.isEmpty()) {
        return true;
    }
    for (QChar c : ymd) {
        if (c < u'0' || c > u'9') {
            return false;
        }
    }
    return ymd.size() == 6 && (period != Period::Monthly || ymd.endsWith(QLatin1String("00")));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint8_t header[kHeader] = {};
    for (std::size_t i = 0; i < kHeader && i < size; ++i) {
        header[i] = data[i];
    }
    const std::size_t skip = size < kHeader ? size : kHeader;
    const auto period = static_cast<Period>(header[0] % 3);
    const int startRow = (header[1] | header[2] << 8) % (kMaxRows + 1);

    static QuoteTable table;  // slots from kMaxRows on are never written
    for (int i = 0; i < startRow; ++i) {
        table.rawRows[i] = QuoteRow{};  // earlier inputs' rows would take part in the order
    }
    PagingState paging;
    paging.pageBytes = QByteArray(reinterpret_cast<const char*>(data + skip), size - skip);
    const int lastIndex = int(paging.pageBytes.size()) - 2 + static_cast<std::int8_t>(header[3]);
    table.rowCount = startRow;

    const QDate end(2024, 1, 5);
    const PageOutcome outcome = ParsePage(table, paging, lastIndex, period, end);

    Check(table.rowCount >= startRow && table.rowCount <= kMaxRows);
    Check(table.rawRows[kMaxRows] == QuoteRow{});
    if (outcome.ok) {
        Check(outcome.messageNumber == 0);
    } else if (outcome.messageNumber == 202) {
        Check(outcome.messageTitle == QStringLiteral("データ取得"));
        Check(table.rowCount == startRow);
    } else {
        Check(outcome.messageNumber == 205);
        Check(outcome.messageTitle == QStringLiteral("データ変換"));
    }
    std::optional<QDate> last;
    for (int i = startRow; i < table.rowCount; ++i) {
        Check(IsStoredDate(table.rawRows[i].ymd, period));
        const std::optional<QDate> date = RowDate(table.rawRows[i].ymd, period, end);
        Check(!date || !last || *date < *last);  // the dated rows stored go back in time
        last = date ? date : last;
    }
    return 0;
}
