#include "retrieval/download_run.h"

#include "app/message_catalogue.h"
#include "app/prompts.h"
#include "parse/page_parser.h"
#include "retrieval/page_source.h"
#include "retrieval/stock_code.h"

namespace ardentix {
namespace {
const QString kFetchTitle = QStringLiteral("インターネット接続失敗!");
}

bool TakePageBody(PagingState& paging, QByteArray body, Prompts& prompts) {
    paging.pageBytes = std::move(body);
    paging.pageLastIndex = int(paging.pageBytes.size()) - 2;
    if (paging.pageBytes.size() >= kMinPageBytes) {
        return true;
    }
    zidodu::ShowMsg(prompts, 200, kStyleInformation, kFetchTitle);
    return false;
}

DownloadRun::DownloadRun(QuoteTable& table, PagingState& paging, PageSource& source,
                         Prompts& prompts)
    : table_(table), paging_(paging), source_(source), prompts_(prompts) {}

bool DownloadRun::CheckCode(const QString& code) {
    qsizetype begin = 0;
    qsizetype end = code.size();
    while (begin < end && code[begin] == u' ') {
        ++begin;
    }
    while (end > begin && code[end - 1] == u' ') {
        --end;
    }
    if (begin == end || HasControlCharacter(code)) {
        zidodu::ShowMsg(prompts_, 201, kStyleInformation, QStringLiteral("株価取得"));
        return false;
    }
    return true;
}

bool DownloadRun::FetchPage(ChartQuery query) {
    query.rowOffset = table_.rowCount;
    requestUrl_ = MakeChartUrl(query);
    FetchResult result = source_.Get(requestUrl_);
    fetchAborted_ = result.aborted;
    if (!result.ok) {
        if (!result.aborted) {
            prompts_.ShowMessage(result.error, kStyleCritical, kFetchTitle);
        }
        return false;
    }
    return TakePageBody(paging_, std::move(result.body), prompts_);
}

RunEnd DownloadRun::Execute(const ChartQuery& query, const RunHooks& hooks) {
    if (!CheckCode(query.code)) {
        return RunEnd::BlankCode;
    }
    if (hooks.started) {
        hooks.started();
    }
    bool lastFetch = false;
    complete_ = true;
    outOfOrder_ = false;
    for (;;) {
        lastFetch = FetchPage(query);
        if (fetchAborted_) {
            return RunEnd::Cancelled;
        }
        if (!lastFetch) {
            break;
        }
        const int rowsBefore = table_.rowCount;
        const PageOutcome outcome =
            ParsePage(table_, paging_, paging_.pageLastIndex, query.period, query.endDate);
        if (!outcome.ok) {
            zidodu::ShowMsg(prompts_, outcome.messageNumber, kStyleInformation,
                            outcome.messageTitle);
            complete_ = false;
            break;
        }
        if (hooks.pageAccepted && !hooks.pageAccepted(table_.rowCount)) {
            return RunEnd::Cancelled;
        }
        if (!paging_.hasNextPage || table_.rowCount == rowsBefore || table_.rowCount >= kMaxRows) {
            // Further pages were announced, but this one only repeated rows already stored.
            if (paging_.hasNextPage && table_.rowCount == rowsBefore && outcome.heldRows > 0) {
                zidodu::ShowMsg(prompts_, 205, kStyleInformation, QStringLiteral("データ変換"));
                complete_ = false;
                outOfOrder_ = true;
            }
            break;
        }
    }
    if (table_.rowCount > 0 && lastFetch) {
        return RunEnd::Succeeded;
    }
    zidodu::ShowMsg(prompts_, 203, kStyleInformation, QStringLiteral("データ読込み"));
    table_.rowCount = 0;
    return RunEnd::Failed;
}

}  // namespace ardentix
