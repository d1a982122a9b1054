#include "tools/quote-service/chart_pages.h"

#include <algorithm>

#include "tools/quote-service/history_generator.h"
#include "tools/quote-service/page_writer.h"
#include "tools/quote-service/split_restatement.h"
#include "tools/quote-service/trading_calendar.h"

namespace quote_service {

namespace {

QString Heading(const ChartQuery& query) {
    static const QString kNames[] = {QStringLiteral("日足"), QStringLiteral("週足"),
                                     QStringLiteral("月足")};
    return QStringLiteral("%1 %2").arg(QString::fromStdString(query.symbol),
                                       kNames[static_cast<int>(query.period)]);
}

// The asked code is not repeated here: it could hold the next-page link text or markup.
QByteArray NoDataPage() {
    return WriteNoticePage(QStringLiteral("株価時系列"),
                           QStringLiteral("指定された条件に該当する株価データはありません。"
                                          "コード、市場、期間をお確かめください。"));
}

QString HrefFrom(ChartQuery query, int offset) {
    query.offset = offset;
    return QStringLiteral("/t?") + QString::fromStdString(ChartQueryText(query));
}

std::vector<PriceBar> BarsOfQuery(const History& daily, const ChartQuery& query) {
    return BarsOf(daily, query.period, query.start, query.end);
}

// The generated daily bars up to the end date (or the last day of the histories), with the
// adjusted closes restated for the splits up to the end date.
History RestatedHistory(const Listing& listing, QDate end) {
    History history = GenerateHistory(listing, std::min(end, LastHistoryDay()));
    RestateForSplits(history.bars, history.splits, end);
    return history;
}

}  // namespace

// A daily page notes each split right after the row of its day; the offset and the page's
// count are of bars only.
QByteArray HistoryPageFor(const ChartQuery& query, const History& daily, int rowsPerPage) {
    const std::vector<PriceBar> bars = BarsOfQuery(daily, query);
    const auto total = static_cast<qint64>(bars.size());
    if (query.offset >= total) {
        return NoDataPage();
    }
    const qint64 pageEnd = std::min<qint64>(total, qint64{query.offset} + rowsPerPage);
    ChartPage page;
    page.heading = Heading(query);
    for (qint64 i = query.offset; i < pageEnd; ++i) {
        page.rows.push_back(RowOf(bars[i], query.period));
        if (query.period != BarPeriod::Daily) {
            continue;
        }
        const auto split =
            std::find_if(daily.splits.begin(), daily.splits.end(),
                         [&](const StockSplit& s) { return s.date == bars[i].date; });
        if (split != daily.splits.end()) {
            page.noticesAfter[page.rows.size() - 1] = SplitNoticeOf(*split);
        }
    }
    page.nextCount = static_cast<int>(std::min<qint64>(rowsPerPage, total - pageEnd));
    if (page.nextCount > 0) {
        page.nextHref = HrefFrom(query, static_cast<int>(pageEnd));
    }
    return WriteChartPage(page);
}

std::optional<History> DailyHistory(const Listing& listing, QDate end, const DataFolder& data) {
    if (const auto file = data.find(listing); file != data.end()) {
        return History{file->second, {}};
    }
    if (!IsGeneratedListing(listing)) {
        return std::nullopt;
    }
    return RestatedHistory(listing, end);
}

QByteArray ChartPageFor(const ChartQuery& query, const DataFolder& data, int rowsPerPage) {
    const auto daily = DailyHistory(ListingOf(query.symbol), query.end, data);
    if (!daily) {
        return NoDataPage();
    }
    return HistoryPageFor(query, *daily, rowsPerPage);
}

QByteArray GeneratedPageFor(const ChartQuery& query, int rowsPerPage) {
    return HistoryPageFor(query, RestatedHistory(ListingOf(query.symbol), query.end), rowsPerPage);
}

QByteArray DashPageFor(const ChartQuery& query, int rowsPerPage, bool endless) {
    const Listing listing = ListingOf(query.symbol);
    const QDate last = std::min(query.end, LastHistoryDay());
    const std::vector<PriceBar> bars = BarsOfQuery(GenerateHistory(listing, last), query);
    const qint64 from = endless ? 0 : query.offset;
    if (from >= static_cast<qint64>(bars.size())) {
        return NoDataPage();
    }
    ChartPage page;
    page.heading = Heading(query);
    const qint64 to = std::min<qint64>(bars.size(), from + rowsPerPage);
    for (qint64 i = from; i < to; ++i) {
        PageRow row = RowOf(bars[i], query.period);
        row[1] = QStringLiteral("-");
        page.rows.push_back(row);
    }
    if (endless) {
        page.nextCount = rowsPerPage;
        page.nextHref = HrefFrom(query, query.offset + rowsPerPage);
    }
    return WriteChartPage(page);
}

QByteArray BadQueryPage() {
    return WriteNoticePage(QStringLiteral("株価時系列"),
                           QStringLiteral("検索条件が正しくありません。"));
}

QByteArray NoTablePage() {
    return WriteNoticePage(QStringLiteral("株価時系列"),
                           QStringLiteral("ただいまシステムの保守作業中です。"
                                          "しばらくしてから再度アクセスしてください。"));
}

}  // namespace quote_service
