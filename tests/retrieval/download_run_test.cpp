#include <gtest/gtest.h>

#include <QNetworkAccessManager>
#include <QTcpServer>
#include <algorithm>
#include <memory>
#include <span>

#include "core/page_builder.h"
#include "parse/quote_table.h"
#include "retrieval/chart_query.h"
#include "retrieval/download_run.h"
#include "retrieval/page_fetcher.h"
#include "retrieval/query_tables.h"
#include "support/canned_server.h"
#include "support/scripted_prompts.h"

using namespace ardentix;
using namespace ardentix::testing;
using Mode = CannedServer::Mode;

namespace {

const QString k200 = QStringLiteral("64 インターネット接続失敗!: 株価データ取得に失敗しました。");
const QString k202 = QStringLiteral("64 データ取得: この条件ではデータがありませんでした。");
const QString k203 = QStringLiteral("64 データ読込み: データ件数０でした。");
const QString k205 = QStringLiteral("64 データ変換: データ作成に失敗しました。");
const QString kFail = QStringLiteral("16 インターネット接続失敗!: ");

struct Fixture {
    CannedServer server;
    QNetworkAccessManager manager;
    PageFetcher fetcher{manager};
    ScriptedPrompts prompts;
    std::unique_ptr<QuoteTable> table = std::make_unique<QuoteTable>();
    PagingState paging;
    QString host = server.host();
    bool outOfOrder = false, complete = false;

    RunEnd Run() {
        const QDate end(2024, 1, 5);
        DownloadRun run(*table, paging, fetcher, prompts);
        const RunEnd result =
            run.Execute({host, "7203", 0, Period::Daily, RangeStart(end, Period::Daily), end, 0});
        outOfOrder = run.outOfOrder();
        complete = run.complete();
        return result;
    }
};

TEST(DownloadRun, AsksForTheRowsBehindThoseStoredUntilNoFurtherPage) {
    Fixture f;
    f.server.Push(
        {DailyPage(50, 1), DailyPage(50, 2, true, "\r\n"), DailyPage(20, 3, false, "\r")});
    EXPECT_EQ(f.Run(), RunEnd::Succeeded);
    EXPECT_EQ(f.table->rowCount, 120);
    EXPECT_EQ(f.prompts.Shown(), QStringList());
    const auto targets = f.server.targets();
    ASSERT_EQ(targets.size(), 3u);
    EXPECT_EQ(targets[0], "/t?c=2021&a=10&b=27&f=2024&d=1&e=5&g=d&s=7203&y=0&x=.csv");
    EXPECT_TRUE(targets[1].endsWith("&y=50&x=.csv") && targets[2].endsWith("&y=100&x=.csv"));
}

TEST(DownloadRun, PagesThatStoreNoRowEndTheRun) {
    const PageRow zero = PriceRow(KanjiDay(QDate(2024, 1, 5)), 1, 2, 1, 0, 100, 0);
    PageRow dash = PriceRow(KanjiDay(QDate(2024, 1, 5)), 1, 2, 1, 2, 100, 2);
    dash.open = "-";
    const QByteArray noTable = "<html>no table</html>";
    // Page 1's last five rows, then 49 older ones.
    const QByteArray overlap = BuildPage({.rows = SampleRows({2023, 12, 29}, 99, 1, 1000).mid(45)});
    // The service's own words: a failed fetch that shows them, fit for a box.
    const QByteArray said = " \x1b\xEF\xBB\xBFJ-Quants の\a制限\r\n" + QByteArray(600, 'x');
    const QString shown = kFail + "J-Quants の制限\n" + QString(487, u'x') + "…";
    const char* text = CannedServer::kWords;
    const struct {
        QList<QByteArray> pages;
        int status, rows;  // the run succeeds when it keeps rows
        QStringList boxes;
        bool outOfOrder = false;
        const char* type = CannedServer::kPage;
    } cases[] = {{{"ab"}, 200, 0, {k200, k203}},
                 {{"abc"}, 200, 0, {k202, k203}},  // three bytes are a page
                 {{noTable}, 404, 0, {k202, k203}},
                 {{noTable}, 500, 0, {k202, k203}},
                 {{"abc"}, 200, 0, {k202, k203}, false, text},
                 {{"abc"}, 503, 0, {k202, k203}, false, "text/plain; charset=EUC-JP"},
                 {{said}, 503, 0, {shown, k203}, false, "Text/Plain; a=b;CHARSET=\"UTF-8\""},
                 {{" "}, 502, 0, {kFail + "サーバーがエラー 502 を返しました", k203}, false, text},
                 {{DailyPage(50, 1), DailyPage(50, 2), noTable}, 200, 100, {k202}},
                 {{BuildPage({.rows = {zero}})}, 200, 0, {k205, k203}},
                 // A service that announces further pages without rows.
                 {{BuildPage({.rows = {dash}, .nextLink = "次の50件"})}, 200, 0, {k203}},
                 // A service repeating its page at every offset, one whose next page overlaps.
                 {{DailyPage(50, 1), DailyPage(50, 1)}, 200, 50, {k205}, true},
                 {{DailyPage(50, 1), overlap}, 200, 99, {}}};
    for (const auto& c : cases) {
        Fixture f;
        for (const QByteArray& page : c.pages) {
            f.server.Push(page, Mode::Normal, c.status, c.type);
        }
        EXPECT_EQ(f.Run(), c.rows ? RunEnd::Succeeded : RunEnd::Failed) << c.pages.last().data();
        EXPECT_EQ(f.table->rowCount, c.rows);
        EXPECT_EQ(f.prompts.Shown(), c.boxes);
        EXPECT_EQ(f.server.targets().size(), size_t(c.pages.size()));
        EXPECT_EQ(f.outOfOrder, c.outOfOrder);
        // A box: rows kept, incomplete. The rows hold each date once, newest first.
        EXPECT_TRUE(!c.rows || f.complete == c.boxes.isEmpty());
        const auto rows = std::span(f.table->rawRows.data(), c.rows);
        EXPECT_EQ(std::ranges::adjacent_find(rows, std::less_equal{}, &QuoteRow::ymd), rows.end());
    }
}

TEST(DownloadRun, TransportFailuresShowTheirOwnDescriptionAndDiscardEarlierRows) {
    const int closedPort = CannedServer().port();  // nobody listens there any more
    QTcpServer silent;                             // closes every connection without a word
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    QObject::connect(&silent, &QTcpServer::newConnection,
                     [&] { delete silent.nextPendingConnection(); });
    const qint64 cap = PageFetcher::kDefaultBodyCap;
    const struct {
        Mode mode;
        int timeoutMs;
        qint64 cap;
        const char16_t* says;
        int port = 0;  // of a server other than the fixture's
        int tries = 1;
    } cases[] = {
        // Qt now and then sends the request again after the close, then finishes without error.
        {Mode::CloseMidBody, 5000, cap, u"サーバーが応答の途中で接続を閉じました", 0, 20},
        {Mode::Stall, 300, cap, u"サーバーから0.3秒間応答がなかったため、要求を中止しました。"},
        {Mode::Normal, 5000, 20000, u"ページが20000バイトを超えたため、受信を中止しました。"},
        {Mode::Drip, 300, cap, u"1秒以内にページが届かなかったため、要求を中止しました。"},
        {Mode::Normal, 5000, cap, u"サーバーに接続できませんでした (Connection refused)",
         closedPort},
        {Mode::Normal, 5000, cap, u"サーバーが何も返さずに接続を閉じました (Connection closed)",
         silent.serverPort()}};
    for (const auto& c : cases) {
        for (int i = 0; i < c.tries; ++i) {
            Fixture f;
            f.fetcher.setTimeoutMs(c.timeoutMs);
            f.fetcher.setBodyCap(c.cap);
            f.fetcher.setDeadlineMs(1000);
            f.server.Push(DailyPage(50, 2, false) + QByteArray(30000, ' '), c.mode);
            f.table->rowCount = 50;  // rows of earlier pages
            f.host = c.port ? QStringLiteral("127.0.0.1:%1").arg(c.port) : f.host;
            EXPECT_EQ(f.Run(), RunEnd::Failed);
            EXPECT_EQ(f.table->rowCount, 0);
            const QStringList boxes = f.prompts.Shown();
            EXPECT_EQ(boxes.mid(1), QStringList{k203});
            EXPECT_TRUE(boxes.value(0).startsWith(u"16 インターネット接続失敗!: ") &&
                        boxes.value(0).contains(QString::fromUtf16(c.says)))
                << boxes.value(0).toStdString();
        }
    }
}

// Each URL is also fetched: the server must receive the code's escapes as they stand.
TEST(MakeChartUrl, StepsBackByThePeriodsRangeAndJoinsEveryPieceInOrder) {
    using enum Period;
    const std::tuple<QString, int, Period, QDate, const char*> cases[] = {
        {"72&y=45", 1, Daily, {2004, 3, 15}, "c=2002&a=1&b=5&f=2004&d=3&e=15&g=d&s=72%26y%3D45.t"},
        {"9999", 2, Weekly, {2004, 3, 15}, "c=1994&a=8&b=8&f=2004&d=3&e=15&g=w&s=9999.o"},
        {"é#%~", 0, Monthly, {2004, 2, 29}, "c=1974&a=2&b=28&f=2004&d=2&e=29&g=m&s=%C3%A9%23%25~"},
        {" 72 ", 7, Monthly, {2004, 3, 31}, "c=1974&a=3&b=31&f=2004&d=3&e=31&g=m&s=%2072%20.j"},
        {"7203", -1, Daily, {2004, 3, 1}, "c=2001&a=12&b=22&f=2004&d=3&e=1&g=d"},
        {"7203", 8, Daily, {2004, 3, 1}, "c=2001&a=12&b=22&f=2004&d=3&e=1&g=d"}};
    Fixture f;
    for (const auto& [code, market, period, end, query] : cases) {
        const QString target = "/t?" + QString(query) + "&y=7&x=.csv";
        const QString url =
            MakeChartUrl({f.host, code, market, period, RangeStart(end, period), end, 7});
        EXPECT_EQ(url, "http://" + f.host + target);
        EXPECT_TRUE(f.fetcher.Get(url).ok);
        EXPECT_EQ(f.server.targets().back(), target);
    }
}

}  // namespace
