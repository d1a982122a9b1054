#include <gtest/gtest.h>

#include <QNetworkAccessManager>
#include <memory>

#include "core/page_builder.h"
#include "parse/quote_table.h"
#include "retrieval/download_run.h"
#include "retrieval/page_fetcher.h"
#include "retrieval/query_tables.h"
#include "support/canned_server.h"
#include "support/scripted_prompts.h"

using namespace ardentix;
using namespace ardentix::testing;

namespace {

const QString kFetchTitle = QStringLiteral("インターネット接続失敗!");
const QString k203 = QStringLiteral("データ件数０でした。");

QByteArray Page(int rows, int seed, bool next, QByteArray rowBreak = "\n") {
    PageShape shape;
    shape.rows = SampleRows(Period::Daily, QDate(2024, 1, 5).addDays(-7 * seed), rows, seed, 1000);
    shape.rowBreak = rowBreak;
    if (next) {
        shape.nextLink = QStringLiteral("次の50件");
    }
    return BuildPage(shape);
}

QByteArray DashPage(bool next) {
    PageShape shape;
    for (int i = 0; i < 5; ++i) {
        PageRow row = PriceRow(KanjiDay(QDate(2024, 1, 5 - i)), 1, 2, 1, 2, 100, 2);
        row.open = QStringLiteral("-");
        shape.rows.append(row);
    }
    if (next) {
        shape.nextLink = QStringLiteral("次の50件");
    }
    return BuildPage(shape);
}

struct Fixture {
    CannedServer server;
    QNetworkAccessManager manager;
    PageFetcher fetcher{manager};
    ScriptedPrompts prompts;
    std::unique_ptr<QuoteTable> table = std::make_unique<QuoteTable>();
    PagingState paging;
    int pagesAccepted = 0;

    ChartQuery Query(QString code = "7203") const {
        const QDate end(2024, 1, 5);
        return {server.host(), code, 0, Period::Daily, RangeStart(end, Period::Daily), end, 0};
    }
    RunEnd Run(const ChartQuery& query) {
        DownloadRun run(*table, paging, fetcher, prompts);
        return run.Execute(query, {{}, [this](int) {
                                       ++pagesAccepted;
                                       return true;
                                   }});
    }
    RunEnd Run() { return Run(Query()); }
    QStringList Offsets() const {
        QStringList out;
        for (const QString& t : server.targets()) {
            out << t.section(u'&', -2, -2);
        }
        return out;
    }
    QStringList Texts() const {
        QStringList out;
        for (const auto& c : prompts.calls) {
            out << c.text;
        }
        return out;
    }
};

TEST(DownloadRun, AsksForTheRowsBehindThoseStoredUntilNoFurtherPage) {
    Fixture f;
    f.server.Push(Page(50, 1, true));
    f.server.Push(Page(50, 2, true, "\r\n"));
    f.server.Push(Page(20, 3, false, "\r"));
    EXPECT_EQ(f.Run(), RunEnd::Succeeded);
    EXPECT_EQ(f.table->rowCount, 120);
    EXPECT_EQ(f.Offsets(), QStringList({"y=0", "y=50", "y=100"}));
    EXPECT_EQ(f.pagesAccepted, 3);
    EXPECT_TRUE(f.prompts.calls.empty());
    EXPECT_TRUE(f.server.targets()[0].startsWith(
        u"/t?c=2021&a=10&b=27&f=2024&d=1&e=5&g=d&s=7203&y=0&x=.csv"));
}

TEST(DownloadRun, ABlankCodeIsRefusedBeforeAnyRequest) {
    for (const QString& code : {QString(""), QString("    ")}) {
        Fixture f;
        bool started = false;
        DownloadRun run(*f.table, f.paging, f.fetcher, f.prompts);
        EXPECT_EQ(run.Execute(f.Query(code), {[&] { started = true; }, {}}), RunEnd::BlankCode);
        EXPECT_FALSE(started);
        EXPECT_TRUE(f.server.targets().empty());
        ASSERT_EQ(f.prompts.calls.size(), 1u);
        EXPECT_EQ(f.prompts.calls[0].text, QStringLiteral("コードを入力してください。"));
        EXPECT_EQ(f.prompts.calls[0].title, QStringLiteral("株価取得"));
    }
    // Spaces around the code pass and are sent as typed; the client percent-encodes what a
    // request line cannot carry, and a "#" does not cut the query short.
    const std::pair<const char*, const char16_t*> sent[] = {{" 72 ", u"&s=%2072%20&y=0&x=.csv"},
                                                            {"72#3", u"&s=72%233&y=0&x=.csv"}};
    for (const auto& [code, query] : sent) {
        Fixture f;
        f.server.Push(Page(3, 1, false));
        EXPECT_EQ(f.Run(f.Query(code)), RunEnd::Succeeded);
        EXPECT_TRUE(f.server.targets()[0].endsWith(QString::fromUtf16(query)))
            << f.server.targets()[0].toStdString();
    }
}

TEST(DownloadRun, ShortBodiesGiveMessage200ThenMessage203) {
    for (const QByteArray& body : {QByteArray(), QByteArray("ab")}) {
        Fixture f;
        f.server.Push(body);
        EXPECT_EQ(f.Run(), RunEnd::Failed);
        ASSERT_EQ(f.prompts.calls.size(), 2u);
        EXPECT_EQ(f.prompts.calls[0].text, QStringLiteral("株価データ取得に失敗しました。"));
        EXPECT_EQ(f.prompts.calls[0].style, 64);
        EXPECT_EQ(f.prompts.calls[0].title, kFetchTitle);
        EXPECT_EQ(f.prompts.calls[1].text, k203);
        EXPECT_EQ(f.prompts.calls[1].title, QStringLiteral("データ読込み"));
    }
    // Three bytes are a page: the parser then finds no table.
    Fixture f;
    f.server.Push("abc");
    EXPECT_EQ(f.Run(), RunEnd::Failed);
    EXPECT_EQ(f.paging.pageLastIndex, 1);
    EXPECT_EQ(f.Texts(), QStringList({"この条件ではデータがありませんでした。", k203}));
}

TEST(DownloadRun, TransportFailuresShowTheirOwnDescriptionAndDiscardEarlierRows) {
    struct Case {
        const char* name;
        CannedServer::Mode mode;
        int timeoutMs;
        qint64 cap;
        const char16_t* says;
    };
    const Case cases[] = {
        {"closed mid-body", CannedServer::Mode::CloseMidBody, 5000, PageFetcher::kDefaultBodyCap,
         u"closed"},
        {"time-out", CannedServer::Mode::Stall, 300, PageFetcher::kDefaultBodyCap,
         u"サーバーから0.3秒間応答がなかったため、要求を中止しました。"},
        {"oversized", CannedServer::Mode::Normal, 5000, 20000,
         u"ページが20000バイトを超えたため、受信を中止しました。"},
        {"dripping past the deadline", CannedServer::Mode::Drip, 300, PageFetcher::kDefaultBodyCap,
         u"1秒以内にページが届かなかったため、要求を中止しました。"},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.fetcher.setTimeoutMs(c.timeoutMs);
        f.fetcher.setBodyCap(c.cap);
        f.fetcher.setDeadlineMs(1000);
        f.server.Push(Page(50, 1, true));
        f.server.Push(Page(50, 2, true));
        QByteArray third = Page(50, 3, false);
        if (c.mode == CannedServer::Mode::Normal) {
            third += QByteArray(30000, ' ');
        }
        f.server.Push(third, c.mode);
        EXPECT_EQ(f.Run(), RunEnd::Failed) << c.name;
        EXPECT_EQ(f.table->rowCount, 0) << c.name;
        ASSERT_EQ(f.prompts.calls.size(), 2u) << c.name;
        EXPECT_EQ(f.prompts.calls[0].style, 16) << c.name;
        EXPECT_EQ(f.prompts.calls[0].title, kFetchTitle) << c.name;
        EXPECT_TRUE(
            f.prompts.calls[0].text.contains(QString::fromUtf16(c.says), Qt::CaseInsensitive))
            << c.name << ": " << f.prompts.calls[0].text.toStdString();
        EXPECT_EQ(f.prompts.calls[1].text, k203) << c.name;
        EXPECT_EQ(f.server.targets().size(), 3u) << c.name;
    }
}

TEST(DownloadRun, AnErrorStatusStillHandsItsPageToTheParser) {
    for (int status : {400, 404, 418, 500, 503}) {
        Fixture f;
        f.server.Push("<html>error</html>", CannedServer::Mode::Normal, status);
        EXPECT_EQ(f.Run(), RunEnd::Failed) << status;
        EXPECT_EQ(f.Texts(), QStringList({"この条件ではデータがありませんでした。", k203}))
            << status;
    }
}

TEST(DownloadRun, ARefusedConnectionIsAFailedFetch) {
    int closedPort = 0;
    {
        CannedServer gone;
        closedPort = gone.port();
    }
    Fixture f;
    ChartQuery q = f.Query();
    q.host = QStringLiteral("127.0.0.1:%1").arg(closedPort);
    EXPECT_EQ(f.Run(q), RunEnd::Failed);
    ASSERT_EQ(f.prompts.calls.size(), 2u);
    EXPECT_EQ(f.prompts.calls[0].style, 16);
    EXPECT_TRUE(f.prompts.calls[0].text.contains(u"refused", Qt::CaseInsensitive))
        << f.prompts.calls[0].text.toStdString();
}

TEST(DownloadRun, AParserFailureKeepsTheRowsStoredBeforeIt) {
    Fixture f;
    f.server.Push(Page(50, 1, true));
    f.server.Push(Page(50, 2, true));
    f.server.Push("<html>no table here</html>");
    EXPECT_EQ(f.Run(), RunEnd::Succeeded);
    EXPECT_EQ(f.table->rowCount, 100);
    EXPECT_EQ(f.Texts(), QStringList({"この条件ではデータがありませんでした。"}));

    Fixture g;  // a failure before any row was stored ends with 203
    PageShape shape;
    shape.rows = {PriceRow(KanjiDay(QDate(2024, 1, 5)), 1, 2, 1, 0, 100, 0)};  // close 0
    g.server.Push(BuildPage(shape));
    EXPECT_EQ(g.Run(), RunEnd::Failed);
    EXPECT_EQ(g.Texts(), QStringList({"データ作成に失敗しました。", k203}));
    EXPECT_EQ(g.prompts.calls[0].title, QStringLiteral("データ変換"));
}

TEST(DownloadRun, EndsWhenAPageStoresNoRow) {
    // The 500-row cap: every page announces another; the tenth fills the table.
    Fixture f;
    for (int i = 0; i < 10; ++i) {
        f.server.Push(Page(50, i + 1, true));
    }
    EXPECT_EQ(f.Run(), RunEnd::Succeeded);
    EXPECT_EQ(f.table->rowCount, kMaxRows);
    EXPECT_EQ(f.server.targets().size(), 10u);
    EXPECT_EQ(f.Offsets().back(), "y=450");

    // A service that announces further pages without rows.
    Fixture g;
    g.server.Push(DashPage(true));
    EXPECT_EQ(g.Run(), RunEnd::Failed);
    EXPECT_EQ(g.server.targets().size(), 1u);
    EXPECT_EQ(g.Texts(), QStringList({k203}));
}

TEST(DownloadRun, StopsWhenTheCallerAsksAfterAPage) {
    Fixture f;
    f.server.Push(Page(50, 1, true));
    DownloadRun run(*f.table, f.paging, f.fetcher, f.prompts);
    EXPECT_EQ(run.Execute(f.Query(), {{}, [](int) { return false; }}), RunEnd::Cancelled);
    EXPECT_EQ(f.server.targets().size(), 1u);
    EXPECT_TRUE(f.prompts.calls.empty());
}

}  // namespace
