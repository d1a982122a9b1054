#include "parse/page_parser.h"

#include <QVarLengthArray>
#include <algorithm>
#include <array>
#include <cmath>

#include "locale/codepage.h"
#include "locale/numbers.h"
#include "parse/date_rule.h"
#include "parse/page_parser_detail.h"

namespace ardentix {
namespace {

constexpr QStringView kRowMarker = u"<tralign=right>";
constexpr QStringView kTableEnd = u"</table";
constexpr QStringView kCellStart = u"<td>";
constexpr QStringView kCellEnd = u"</td>";
// The link text 次の (EUC-JP BC A1 A4 CE) as it reads in code page 932.
constexpr QStringView kNextPageMarker = u"\uFF7C\uFF61\uFF64\uFF8E";
constexpr int kCellCount = 7;

PageOutcome NoData() {
    return {false, 202, QStringLiteral("データ取得")};
}
PageOutcome ConversionFailure() {
    return {false, 205, QStringLiteral("データ変換")};
}

bool IsAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// 1-based search: the position of the first needle at or after from, or 0.
qsizetype Find(QStringView text, QStringView needle, qsizetype from) {
    if (from > text.size()) {
        return 0;
    }
    return text.indexOf(needle, from - 1) + 1;
}

// 1-based cut of length characters from start; a start before 1 or a negative length is a
// conversion failure, a cut past the end gives what is there.
std::optional<QStringView> Cut(QStringView text, qsizetype start, qsizetype length) {
    if (start < 1 || length < 0) {
        return std::nullopt;
    }
    if (start > text.size()) {
        return QStringView();
    }
    return text.mid(start - 1, std::min(length, text.size() - start + 1));
}

// Bytes 0..lastIndex with line breaks dropped and each non-ASCII byte pair turned into one "|",
// written into lastIndex + 1 NUL characters: whatever the filter drops or merges leaves a NUL
// at the end. lastIndex is clamped to the bytes there are; a negative one gives an empty text.
// (The run always passes the byte count minus 2; other callers may pass anything.)
QString FilterPage(const QByteArray& bytes, int lastIndex) {
    const qsizetype last = std::min<qsizetype>(lastIndex, bytes.size() - 1);
    if (last < 0) {
        return QString();
    }
    QString filtered(last + 1, QChar(0));
    QChar* out = filtered.data();
    const char* in = bytes.constData();
    qsizetype j = 0;
    for (qsizetype i = 0; i <= last;) {
        const auto b = static_cast<unsigned char>(in[i]);
        if (b == 10 || b == 13) {
            ++i;
        } else if (b > 127) {
            out[j++] = u'|';
            i += 2;
        } else {
            out[j++] = QChar(b);
            ++i;
        }
    }
    return filtered;
}

}  // namespace

PageOutcome ParsePage(QuoteTable& table, PagingState& paging, int lastIndex, Period period,
                      QDate endDate) {
    Q_ASSERT(table.rowCount >= 0 && table.rowCount <= kMaxRows);
    paging.pageText = DecodeCp932(paging.pageBytes);
    CheckNextPage(paging);

    const QString filtered = FilterPage(paging.pageBytes, lastIndex);
    const qsizetype a = Find(filtered, kRowMarker, 1);
    if (a == 0) {
        return NoData();
    }
    // The section starts one character before the first marker; a marker at the very start
    // leaves no such character.
    if (a == 1) {
        return ConversionFailure();
    }
    QStringView section = QStringView(filtered).mid(a - 2);
    const qsizetype e = Find(section, kTableEnd, 1);
    if (e > 0) {
        section = section.first(e - 1);
    }
    const detail::RowsOutcome rows = detail::ParseRows(section, table, period, endDate);
    PageOutcome outcome = rows.ok ? PageOutcome{} : ConversionFailure();
    outcome.heldRows = rows.heldRows;
    return outcome;
}

bool CheckNextPage(PagingState& paging) {
    paging.hasNextPage = false;
    const qsizetype p = paging.pageText.indexOf(kNextPageMarker);
    if (p < 0) {
        return false;
    }
    const qsizetype after = p + kNextPageMarker.size();
    paging.hasNextPage = after < paging.pageText.size() && IsAsciiDigit(paging.pageText[after]);
    return paging.hasNextPage;
}

namespace detail {

RowsOutcome ParseRows(QStringView section, QuoteTable& table, Period period, QDate endDate) {
    RowsOutcome outcome;
    qsizetype a = Find(section, kRowMarker, 1);
    if (a == 0) {
        return outcome;
    }
    // A stored date text the date rule cannot read back (a weekly Friday of another century)
    // counts as no date.
    const auto dateOf = [&](const QuoteRow& row) { return RowDate(row.ymd, period, endDate); };
    std::optional<QDate> last;
    for (int i = table.rowCount - 1; i >= 0 && !last; --i) {
        last = dateOf(table.rawRows[i]);
    }
    while (table.rowCount < kMaxRows) {
        const qsizetype b = Find(section, kRowMarker, a + 1);
        // The last row runs up to, but not including, the section's final character.
        const qsizetype length = b > 0 ? b - a : section.size() - a;
        QuoteRow& slot = table.rawRows[table.rowCount];
        const RowResult result = ParseRow(section.mid(a - 1, length), period, slot);
        if (result == RowResult::Failed) {
            outcome.ok = false;
            return outcome;
        }
        if (result == RowResult::Accepted) {
            const std::optional<QDate> date = dateOf(slot);
            if (date && last && *date >= *last) {
                ++outcome.heldRows;
            } else {
                ++table.rowCount;
                if (date) {
                    last = date;
                }
            }
        }
        if (b == 0) {
            return outcome;
        }
        a = b;
    }
    return outcome;
}

RowResult ParseRow(QStringView row, Period period, QuoteRow& slot) {
    // Cells are cut one at a time, in the order they are converted: a notice row of two cells
    // whose second is not a number is skipped before its missing cells are looked for.
    qsizetype from = 1;
    const auto nextCell = [&]() -> std::optional<QStringView> {
        const qsizetype s = Find(row, kCellStart, from);
        const qsizetype t = Find(row, kCellEnd, from);
        from = t + 4;
        return Cut(row, s + kCellStart.size(), t - (s + kCellStart.size()));
    };

    const auto dateCell = nextCell();
    if (!dateCell) {
        return RowResult::Failed;
    }
    const std::optional<QString> ymd = LfFmtDate(*dateCell, period);
    if (!ymd) {
        return RowResult::Failed;
    }
    slot.ymd = *ymd;
    const auto openCell = nextCell();
    if (!openCell) {
        return RowResult::Failed;
    }
    if (!IsNumeric(*openCell)) {
        return RowResult::Skipped;
    }
    std::array<QStringView, kCellCount - 2> rest;  // high, low, close, volume, adjusted close
    for (QStringView& cell : rest) {
        const auto text = nextCell();
        if (!text) {
            return RowResult::Failed;
        }
        cell = *text;
    }
    const auto open = ToInt32(*openCell);
    const auto high = ToInt32(rest[0]);
    const auto low = ToInt32(rest[1]);
    const auto closeValue = CloseCellValue(rest[2]);
    if (!open || !high || !low || !closeValue) {
        return RowResult::Failed;
    }
    const auto close = RoundHalfEven32(*closeValue);
    const auto volume = ToWholeNumber53(rest[3]);
    const auto adjClose = ToInt32(rest[4]);
    if (!close || !volume || !adjClose || *close == 0) {
        return RowResult::Failed;
    }
    slot.volume = double(*volume);
    slot.adjClose = *adjClose;
    slot.pageClose = *close;

    const double ratio = double(*adjClose) / double(*close);
    if (!std::isfinite(ratio)) {
        return RowResult::Failed;
    }
    const auto restatedOpen = RoundHalfEven32(*open * ratio);
    const auto restatedHigh = RoundHalfEven32(*high * ratio);
    const auto restatedLow = RoundHalfEven32(*low * ratio);
    const auto restatedClose = RoundHalfEven32(*close * ratio);
    if (!restatedOpen || !restatedHigh || !restatedLow || !restatedClose) {
        return RowResult::Failed;
    }
    slot.open = *restatedOpen;
    slot.high = *restatedHigh;
    slot.low = *restatedLow;
    slot.close = *restatedClose;
    return RowResult::Accepted;
}

std::optional<double> CloseCellValue(QStringView cell) {
    // Every character is examined: dropping the last one would read a bare "1,234" as 123.
    QVarLengthArray<QChar, 32> kept;
    for (QChar c : cell) {
        if (IsAsciiDigit(c) || c == u',' || c == u'.') {
            kept.append(c);
        }
    }
    if (kept.isEmpty()) {
        return 0.0;
    }
    return ToDouble(QStringView(kept.constData(), kept.size()));
}

}  // namespace detail
}  // namespace ardentix
