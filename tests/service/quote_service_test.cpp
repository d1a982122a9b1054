#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>

#include <QProcess>
#include <memory>

#include "expected_bars.h"
#include "parse/page_parser.h"
#include "retrieval/chart_query.h"
#include "support/program_run.h"
#include "support/quote_service.h"

using namespace ardentix;
using namespace service_test;
using namespace ardentix::testing;

namespace {

// A page's body as the program asks for it; nullopt when the request failed.
std::optional<QByteArray> Fetch(const QuoteService& service, const ChartQuery& query) {
    const QString url = MakeChartUrl(query);
    const auto result = httplib::Client("127.0.0.1", service.port())
                            .Get(url.mid(url.indexOf(u"/t?")).toStdString());
    return result ? std::optional(QByteArray::fromStdString(result->body)) : std::nullopt;
}

struct Walk {
    std::unique_ptr<QuoteTable> table = std::make_unique<QuoteTable>();
    PagingState paging;
    PageOutcome outcome;
    int pages = 0;
};

// Reads pages as the download run does, each from the offset of the rows stored so far.
Walk WalkPages(const QuoteService& service, ChartQuery query) {
    Walk walk;
    while (walk.pages < 10) {
        query.rowOffset = walk.table->rowCount;
        walk.paging.pageBytes = Fetch(service, query).value_or(QByteArray());
        walk.paging.pageLastIndex = int(walk.paging.pageBytes.size()) - 2;
        walk.outcome = ParsePage(*walk.table, walk.paging, walk.paging.pageLastIndex, query.period);
        ++walk.pages;
        if (!walk.outcome.ok || !walk.paging.hasNextPage) {
            break;
        }
    }
    return walk;
}

// The pages, read as the program reads them, give the generated bars once each.
TEST(QuoteService, PagesReadBackAsTheGeneratedBars) {
    const struct {
        Period period;
        const char* code;
        QDate start, end;
        bool notice;  // the last page read holds a split's notice row
    } cases[] = {
        // 7203 splits 2:3 on 18 June 2012: the day and its notice fall on the second page.
        {Period::Daily, "7203", QDate(2012, 6, 8), QDate(2012, 9, 10), true},
        // More than 500 trading days: ten pages and a next page still announced.
        {Period::Daily, "9999", QDate(2002, 1, 5), QDate(2004, 3, 15), false},
        // A week and a month with a split in them: 18 June 2012 (2:3) and 9 July 2020 (1:2).
        {Period::Weekly, "7203", QDate(2018, 11, 14), QDate(2021, 2, 17), false},
        {Period::Monthly, "7203", QDate(2010, 1, 13), QDate(2020, 9, 16), false},
    };
    QuoteService service;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        const Walk walk = WalkPages(service, {{}, c.code, 1, c.period, c.start, c.end});
        auto expected =
            ExpectedRows(GeneratedDaily({c.code, ".t"}, c.end), c.start, c.end, c.period);
        EXPECT_EQ(walk.paging.hasNextPage, expected.size() > 500);
        expected.resize(std::min<size_t>(expected.size(), 500));
        EXPECT_TRUE(walk.outcome.ok) << walk.outcome.messageNumber;
        EXPECT_EQ(walk.pages, int(expected.size() + 49) / 50);
        EXPECT_EQ(std::vector(walk.table->rawRows.begin(),
                              walk.table->rawRows.begin() + walk.table->rowCount),
                  expected);
        EXPECT_EQ(walk.paging.pageBytes.contains("colspan"), c.notice);
    }
}

// The codes the command-line tests rely on, and codes that are not listed (market 2: Osaka).
TEST(QuoteService, AnswersTheDemonstrationAndUnknownCodes) {
    QuoteService service;
    const auto query = [](const char* code, int market = 0) {
        return ChartQuery{{}, code, market, Period::Daily, QDate(2003, 1, 6), QDate(2003, 12, 26)};
    };
    EXPECT_EQ(Fetch(service, query("EMPT")), QByteArray());
    EXPECT_EQ(Fetch(service, query("TWOB"))->size(), 2);
    EXPECT_EQ(Fetch(service, query("HALF")), std::nullopt) << "closed before the whole body";
    for (const ChartQuery& q : {query("NOTB"), query("1001", 2), query("12345"), query("0999")}) {
        const Walk walk = WalkPages(service, q);
        EXPECT_EQ(walk.outcome.messageNumber, 202) << q.code.toStdString();
        EXPECT_FALSE(walk.paging.hasNextPage);
    }
}

TEST(QuoteService, ProgramRefusesAPortInUseAndStopsOnSigterm) {
    QProcess first;
    first.start(QUOTE_SERVICE_PROGRAM, {"--port", "0"});
    ASSERT_TRUE(first.waitForReadyRead(30000));
    const QString line = QString::fromUtf8(first.readLine());
    ASSERT_TRUE(line.startsWith("quote-service listening on http://127.0.0.1:"))
        << line.toStdString();
    const QString port = line.section(u':', -1).trimmed();

    const auto second = RunProgram(QUOTE_SERVICE_PROGRAM, {"--port", port});
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.err, "quote-service: cannot listen on 127.0.0.1:" + port +
                              ": the port is already in use\n");
    ::kill(pid_t(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(30000));
    EXPECT_EQ(first.exitCode(), 0);
}

}  // namespace
