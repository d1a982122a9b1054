#pragma once

#include <QString>
#include <functional>

#include "parse/quote_table.h"
#include "retrieval/chart_query.h"

namespace ardentix {

class PageSource;
class Prompts;

inline constexpr qsizetype kMinPageBytes = 3;

// Stores a fetched body as the page to parse, with the last index the parser reads (the byte
// count minus 2). False, after message 200, when the body holds fewer than kMinPageBytes.
bool TakePageBody(PagingState& paging, QByteArray body, Prompts& prompts);

// How a run ended.
enum class RunEnd {
    Succeeded,  // rows stored and the last fetch succeeded
    Failed,     // message 203 shown, rowCount back to 0
    BlankCode,  // message 201 shown, nothing requested
    Cancelled,  // the caller asked to stop after a page or aborted the fetch; nothing reported
};

struct RunHooks {
    // After the code check, before the first request.
    std::function<void()> started;
    // After each page the parser accepted (the run's yield point); false stops the run.
    std::function<bool(int rowCount)> pageAccepted;
};

// The page loop of one download, shared by the window and the command-line tool: fetch page
// after page at the offset of the rows stored so far, parse each, and stop when no further
// page is announced, the 500-row cap is reached, a page added no row (a service that keeps
// announcing pages would otherwise be asked for the same page forever), or a fetch or parse
// failed. A page that announces further pages but holds only rows already stored (the service
// sent its rows out of order) ends the run as a page the parser refused does, message 205.
// Every failure is reported through the prompts as it happens.
class DownloadRun {
public:
    DownloadRun(QuoteTable& table, PagingState& paging, PageSource& source, Prompts& prompts);

    // False, after message 201, when the code holds nothing but spaces, or a control character.
    bool CheckCode(const QString& code);

    // One request at offset rowCount; true when pageBytes now holds at least 3 bytes.
    bool FetchPage(ChartQuery query);

    // The whole run for a query whose startDate is set (its rowOffset is ignored).
    RunEnd Execute(const ChartQuery& query, const RunHooks& hooks = {});

    const QString& requestUrl() const { return requestUrl_; }

    // After Succeeded: false when the run ended at a page the parser refused, which keeps the
    // rows stored before it.
    bool complete() const { return complete_; }
    // After Succeeded: true when the page that ended the run was refused because it announced
    // further pages but repeated rows already stored (complete() is false then too).
    bool outOfOrder() const { return outOfOrder_; }

private:
    QuoteTable& table_;
    PagingState& paging_;
    PageSource& source_;
    Prompts& prompts_;
    QString requestUrl_;
    bool fetchAborted_ = false;
    bool complete_ = false;
    bool outOfOrder_ = false;
};

}  // namespace ardentix
