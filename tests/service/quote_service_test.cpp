#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <memory>
#include <span>

#include "expected_days.h"
#include "retrieval/download_run.h"
#include "retrieval/gateway_access.h"
#include "retrieval/page_fetcher.h"
#include "support/program_run.h"
#include "support/quote_service.h"
#include "support/scripted_prompts.h"
#include "tools/quote-service/client_secret.h"

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

// A service given a secret answers a chart page only to a query that carries it, through the
// header the page fetcher sends; the rest get 403 and a line of text.
TEST(QuoteService, AnswersOnlyQueriesThatCarryItsSecret) {
    const QuoteService service("s3cret");
    const QString url = MakeChartUrl(
        {service.host(), "7203", 1, Period::Daily, QDate(2020, 1, 6), QDate(2020, 3, 2)});
    QNetworkAccessManager manager;
    PageFetcher fetcher(manager);
    for (const auto& [secret, page] : {std::pair{"", false},
                                       {"s3cre", false},
                                       {"s3cret0", false},
                                       {"S3CRET", false},
                                       {"s3cret", true}}) {
        fetcher.setExtraHeader(kSecretHeader, secret);
        EXPECT_EQ(fetcher.Get(url).body.contains("</table>"), page) << secret;
    }
    // What listens on the port is this user's own, and no other user's.
    QFile sockets("/proc/net/tcp");
    ASSERT_TRUE(sockets.open(QIODevice::ReadOnly));
    const QByteArray table = sockets.readAll();
    EXPECT_TRUE(OnlyUserListensOn(table, service.port(), getuid()));
    EXPECT_FALSE(OnlyUserListensOn(table, service.port(), getuid() + 1));
    EXPECT_FALSE(OnlyUserListensOn(table, 0, getuid()));
    httplib::Client client("127.0.0.1", service.port());
    const auto refused = client.Get("/t?s=7203.t");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 403);
    EXPECT_EQ(refused->get_header_value("Content-Type"), "text/plain; charset=utf-8");
}

// A missing secret file is made, 0600, with a secret the next start reads back; a file that
// others may read, or that holds more than one word, is refused and names itself.
TEST(QuoteService, SecretFileIsMadePrivateAndRefusedWhenNot) {
    const QTemporaryDir dir;
    const QString made = dir.filePath("config/ardentix/secret");
    QString error;
    const auto secret = quote_service::LoadOrMakeSecret(made, &error);
    ASSERT_TRUE(secret) << error.toStdString();
    EXPECT_EQ(secret->size(), 64u);
    struct stat status {};
    EXPECT_EQ(stat(QFile::encodeName(made).constData(), &status) == 0 ? status.st_mode & 0777 : 0,
              0600u);
    EXPECT_EQ(quote_service::LoadOrMakeSecret(made, &error), secret);
    const struct {
        QByteArray text;
        QFile::Permissions mode;
    } refused[] = {{"abc", QFile::ReadOwner | QFile::ReadGroup},
                   {"abc", QFile::ReadOwner | QFile::ReadOther},
                   {"two words", QFile::ReadOwner},
                   {" \n", QFile::ReadOwner}};
    for (const auto& [text, mode] : refused) {
        const QString path = dir.filePath("refused");
        QFile::remove(path);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();
        file.setPermissions(mode);
        error.clear();
        EXPECT_FALSE(quote_service::LoadOrMakeSecret(path, &error)) << text.data();
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
    }
    const auto run = RunProgram(QUOTE_SERVICE_PROGRAM, {"--secret-file", dir.filePath("refused")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.startsWith("quote-service: --secret-file: ")) << run.err.toStdString();
}

}  // namespace
