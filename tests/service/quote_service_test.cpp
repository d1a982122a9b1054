#include <gtest/gtest.h>

#include <QNetworkAccessManager>
#include <memory>
#include <span>

#include "expected_days.h"
#include "retrieval/download_run.h"
#include "retrieval/page_fetcher.h"
#include "support/program_run.h"
#include "support/quote_service.h"
#include "support/scripted_prompts.h"

using namespace ardentix;
using namespace ardentix::testing;

namespace {

struct Walk {
    std::unique_ptr<QuoteTable> table = std::make_unique<QuoteTable>();
    PagingState paging;
    RunEnd end = RunEnd::Failed;
    int pages = 0;
};

// Every page of the query, read by a download run as the window runs it.
Walk WalkPages(const QuoteService& service, ChartQuery query) {
    QNetworkAccessManager manager;
    PageFetcher fetcher(manager);
    ScriptedPrompts prompts;
    Walk walk;
    query.host = service.host();
    RunHooks hooks;
    hooks.pageAccepted = [&walk](int) {
        ++walk.pages;
        return true;
    };
    walk.end = DownloadRun(*walk.table, walk.paging, fetcher, prompts).Execute(query, hooks);
    return walk;
}

// The pages, read as the program reads them, give the generated days once each; a week or a
// month that holds a split stands on one basis, its days before the split restated by it.
TEST(QuoteService, PagesReadBackAsTheGeneratedBars) {
    const struct {
        const char* code;
        QDate start, end;
        bool notice;  // the last page read holds a split's notice row
    } days[] = {
        // 7203 splits 2:3 on 18 June 2012: the day and its notice fall on the second page.
        {"7203", QDate(2012, 6, 8), QDate(2012, 9, 10), true},
        // More than 500 trading days: ten pages and a next page still announced.
        {"9999", QDate(2002, 1, 5), QDate(2004, 3, 15), false},
    };
    QuoteService service;
    for (const auto& c : days) {
        SCOPED_TRACE(c.code);
        const Walk walk = WalkPages(service, {{}, c.code, 1, Period::Daily, c.start, c.end});
        auto expected = ExpectedDays({c.code, ".t"}, c.start, c.end);
        EXPECT_EQ(walk.paging.hasNextPage, expected.size() > 500);
        expected.resize(std::min<size_t>(expected.size(), 500));
        EXPECT_EQ(walk.end, RunEnd::Succeeded);
        EXPECT_EQ(walk.pages, int(expected.size() + 49) / 50);
        EXPECT_EQ(std::vector(walk.table->rawRows.begin(),
                              walk.table->rawRows.begin() + walk.table->rowCount),
                  expected);
        EXPECT_EQ(walk.paging.pageBytes.contains("colspan"), c.notice);
    }
    // 7203 splits 1:2 on 9 July 2020 and 2:3 on 18 June 2012.
    const std::pair<Period, QuoteRow> bars[] = {
        {Period::Weekly, {"200710", 1348, 1368, 1316, 1345, 3549000, 1345}},
        {Period::Monthly, {"200700", 1318, 1373, 1257, 1265, 13414000, 1265}},
        {Period::Monthly, {"120600", 469, 491, 463, 473, 11349000, 473}}};
    for (const auto& [period, bar] : bars) {
        const Walk walk =
            WalkPages(service, {{}, "7203", 1, period, QDate(2010, 1, 13), QDate(2020, 9, 16)});
        const auto rows = std::span(walk.table->rawRows.data(), walk.table->rowCount);
        const auto same = [&bar](QuoteRow row) {  // the page's close is not pinned here
            row.pageClose = 0;
            return row == bar;
        };
        EXPECT_NE(std::ranges::find_if(rows, same), rows.end()) << bar.ymd.toStdString();
    }
}

TEST(QuoteService, ProgramRefusesAPortInUse) {
    const QuoteService first;
    const QString port = QString::number(first.port());
    const auto second = RunProgram(QUOTE_SERVICE_PROGRAM, {"--port", port});
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.err, "quote-service: cannot listen on 127.0.0.1:" + port +
                              ": the port is already in use\n");
}

}  // namespace
