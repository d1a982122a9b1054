#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QNetworkAccessManager>
#include <QTcpServer>
#include <QTemporaryDir>
#include <memory>
#include <span>

#include "expected_days.h"
#include "fake_jquants.h"
#include "retrieval/download_run.h"
#include "retrieval/gateway_access.h"
#include "retrieval/page_fetcher.h"
#include "support/file_bytes.h"
#include "support/program_run.h"
#include "support/quote_service.h"
#include "support/scripted_prompts.h"
#include "tools/quote-service/client_secret.h"

using namespace ardentix;
using namespace ardentix::testing;
using namespace std::chrono_literals;

namespace {

// `bytes` (none: no file) in a file readable as `mode` says.
void PutFile(const QString& path, const QByteArray& bytes, int mode) {
    QFile::remove(path);
    if (!bytes.isEmpty()) {
        WriteBytes(path, bytes);
    }
    ::chmod(QFile::encodeName(path).constData(), mode);
}

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
    walk.end = DownloadRun(*walk.table, walk.paging, fetcher, prompts)
                   .Execute(query, {{}, [&walk](int) { return ++walk.pages > 0; }});
    return walk;
}

// The pages, read as the program reads them, give the generated days once each; a week or a
// month that holds a split stands on one basis, its days before the split restated by it.
TEST(QuoteService, PagesReadBackAsTheGeneratedBars) {
    // A code, its days, and whether the last page read holds a split's notice row.
    const std::tuple<const char*, QDate, QDate, bool> days[] = {
        // 7203 splits 2:3 on 18 June 2012: the day and its notice fall on the second page.
        {"7203", QDate(2012, 6, 8), QDate(2012, 9, 10), true},
        // More than 500 trading days: ten pages and a next page still announced.
        {"9999", QDate(2002, 1, 5), QDate(2004, 3, 15), false}};
    QuoteService service;
    for (const auto& [code, start, end, notice] : days) {
        SCOPED_TRACE(code);
        const Walk walk = WalkPages(service, {{}, code, 1, Period::Daily, start, end});
        auto expected = ExpectedDays({code, ".t"}, start, end);
        EXPECT_EQ(walk.paging.hasNextPage, expected.size() > 500);
        expected.resize(std::min<size_t>(expected.size(), 500));
        EXPECT_EQ(walk.end, RunEnd::Succeeded);
        EXPECT_EQ(walk.pages, int(expected.size() + 49) / 50);
        const auto rows = std::span(walk.table->rawRows.data(), walk.table->rowCount);
        EXPECT_EQ(std::vector(rows.begin(), rows.end()), expected);
        EXPECT_EQ(walk.paging.pageBytes.contains("colspan"), notice);
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

// Through the service: J-Quants is asked for a code's history once, for each missing day once
// however many codes are held, and for nothing a store (the service's or another's) holds.
TEST(QuoteService, ServesJQuantsBarsFromItsStore) {
    using quote_service::JQuantsGateway;
    using Mode = FakeJQuants::Mode;
    qunsetenv("JQUANTS_API_KEY");
    FakeJQuants fake;
    const QTemporaryDir dir;
    const QString keyFile = dir.filePath("key");
    PutFile(keyFile, FakeJQuants::kKey, 0600);
    QDateTime now(QDate(2024, 5, 24), QTime(10, 0), Qt::UTC);  // the free plan's delay
    QStringList log;
    std::mutex logged;
    const auto open = [&](int perMinute = 10000) {
        quote_service::GatewaySettings settings;
        std::tie(settings.client.baseUrl, settings.client.keyPlace) =
            std::pair(fake.url(), keyFile);
        std::tie(settings.perMinute, settings.patience) = std::pair(perMinute, 2s);
        settings.now = [&now] { return now; };
        settings.log = [&](const QString& line) {
            std::lock_guard lock(logged);
            log << line;
        };
        auto store = quote_service::QuoteStore::Open(dir.filePath("quotes.sqlite"));
        return std::make_unique<JQuantsGateway>(std::move(settings), std::move(store.value));
    };
    const QuoteService service(open());
    const auto daily = [](QDate end) {
        return ChartQuery{{}, "7203", 1, Period::Daily, QDate(2024, 1, 1), end};
    };
    // A code traded last in 2023 asked first: the next code's newer history does not leave
    // the months between to day requests.
    fake.bars.push_back({QDate(2023, 6, 1), "99990", 10, 10, 10, 10, 100});
    WalkPages(service, {{}, "9999", 1, Period::Daily, QDate(2023, 1, 1), QDate(2024, 3, 1)});
    // Cold: the history's three pages; the split stock's days restated as the program does.
    Walk walk = WalkPages(service, daily(QDate(2024, 3, 1)));
    EXPECT_EQ(fake.requests(), 4);
    ASSERT_EQ(walk.table->rowCount, 4);
    for (int i = 0; i < 4; ++i) {
        const auto& bar = fake.bars[std::array{5, 3, 2, 0}[i]];  // newest first, traded days
        const auto& row = walk.table->rawRows[i];
        const double factor = bar.date < QDate(2024, 2, 29) ? 0.5 : 1;
        EXPECT_EQ(row.ymd, bar.date.toString("yyMMdd"));
        const qint32 got[] = {row.open, row.high, row.low, row.close};
        const double raw[] = {*bar.open, *bar.high, *bar.low, *bar.close};
        for (int k = 0; k < 4; ++k) {
            EXPECT_LE(std::abs(got[k] - std::nearbyint(raw[k] * factor)), 1) << i;
        }
    }
    for (const Period period : {Period::Daily, Period::Weekly, Period::Monthly}) {  // warm
        EXPECT_EQ(
            WalkPages(service, {{}, "7203", 0, period, QDate(2024, 1, 1), QDate(2024, 3, 1)}).end,
            RunEnd::Succeeded);
    }
    EXPECT_EQ(fake.requests(), 4);
    // 100 more codes held; three trading days later one request a day brings every code up to
    // date, and its page holds the newest day.
    fake.pageSize = 1000;
    const auto addDays = [&fake](int first, int count, std::initializer_list<int> days) {
        for (int code = first; code < first + count; ++code) {
            for (const int day : days) {
                fake.bars.push_back({QDate(2024, 3, day), QString::number(code * 10), 100, 101, 99,
                                     100.0 + day, 1000});
            }
        }
    };
    addDays(1000, 100, {1});
    httplib::Client client("127.0.0.1", service.port());
    const auto ask = [&client](const std::string& symbol, QDate end) {
        return client.Get(
            "/t?" + quote_service::ChartQueryText(
                        {QDate(2024, 1, 1), end, quote_service::BarPeriod::Daily, symbol, 0}));
    };
    const auto askAll = [&ask](QDate end) {
        for (int code = 1000; code < 1100; ++code) {
            const auto answer = ask(std::to_string(code), end);
            EXPECT_TRUE(answer->status == 200 &&
                        answer->body.find(std::to_string(100 + end.day())) != std::string::npos)
                << code;
        }
    };
    askAll(QDate(2024, 3, 1));
    EXPECT_EQ(fake.requests(), 104);
    addDays(7203, 1, {4, 5, 6});
    addDays(1000, 100, {4, 5, 6});
    for (int day = 0; day < 5; ++day) {  // Friday to Wednesday, a check a day: no weekend stops it
        now = now.addDays(1);
        ask("1000", QDate(2024, 3, 6));
    }
    askAll(QDate(2024, 3, 6));
    EXPECT_EQ(fake.requests(), 107);
    // Another service on the store: what the first one holds, without a request.
    const QuoteService second(open());
    walk = WalkPages(second, daily(QDate(2024, 3, 6)));
    EXPECT_EQ(std::pair(walk.table->rowCount, fake.requests()), std::pair(7, 107));
    // A history whose second page waits for the next minute's request: a 503 at once.
    fake.pageSize = 1;
    addDays(1234, 1, {1, 4});
    const QuoteService slow(open(1));
    const int before = fake.requests();
    const auto busy = httplib::Client("127.0.0.1", slow.port())
                          .Get("/t?c=2024&a=1&b=1&f=2024&d=3&e=6&g=d&s=1234&y=0&x=.csv");
    EXPECT_EQ(std::pair(busy->status, fake.requests() - before), std::pair(503, 1));
    EXPECT_GE(std::atoi(busy->get_header_value("Retry-After").c_str()), 50);
    // Two asks for a cold code while J-Quants holds its answer: one request between them.
    fake.holding = true;
    httplib::Client cold("127.0.0.1", second.port());
    EXPECT_EQ(cold.Get("/t?c=2024&a=1&b=1&f=2024&d=3&e=6&g=d&s=6501&y=0&x=.csv")->status, 503);
    EXPECT_EQ(cold.Get("/t?c=2024&a=1&b=1&f=2024&d=3&e=6&g=d&s=6501&y=0&x=.csv")->status, 503);
    EXPECT_EQ(fake.requests() - before, 2);
    fake.holding = false;  // and its history lands before the next upstream answer is set
    EXPECT_EQ(cold.Get("/t?c=2024&a=1&b=1&f=2024&d=3&e=6&g=d&s=6501&y=0&x=.csv")->status, 200);
    // Failures: words in plain text, never the key.
    const QString wait = "J-Quants の回数制限のため、約%1秒後にもう一度ダウンロードしてください";
    const QByteArray key = FakeJQuants::kKey;
    const struct {
        const char *symbol, *env;
        QByteArray key;
        Mode upstream;
        int mode, status, requests;
        QString words;
    } failures[] = {
        {"7203.o", "", key, Mode::Normal, 0600, 500, 0,
         "J-Quants の株価は東京証券取引所の銘柄だけです"},
        {"1301", "", "", Mode::Normal, 0, 500, 0,
         "J-Quants の API キーが設定されていません。" + keyFile + " に置いてください。"},
        {"1301", "", key, Mode::Normal, 0644, 500, 0,
         QString("J-Quants の API キーのファイル %1 は他のユーザーも読めるため使いません。"
                 "chmod 600 %1 としてください。")
             .arg(keyFile)},
        {"1301", "", "wrong-key-93c1", Mode::Normal, 0600, 502, 1,
         "J-Quants がアクセスを拒否しました。API キーが正しくないか、"
         "ご利用のプランではこの期間の株価を取得できません。"},
        {"1301", key, "", Mode::Normal, 0, 200, 1, ""},
        {"8697", "", key, Mode::RateLimitOnce, 0600, 503, 1, wait.arg(7)}};
    for (const auto& f : failures) {
        SCOPED_TRACE((f.symbol + (" " + f.key)).toStdString());
        PutFile(keyFile, f.key, f.mode);
        qputenv("JQUANTS_API_KEY", f.env);
        fake.mode = f.upstream;
        const int before = fake.requests();
        const auto answer = ask(f.symbol, QDate(2024, 3, 6));
        EXPECT_EQ(std::pair(answer->status, fake.requests() - before),
                  std::pair(f.status, f.requests));
        EXPECT_EQ(answer->get_header_value("Retry-After"), f.status == 503 ? "7" : "");
        if (f.status != 200) {
            EXPECT_EQ(answer->get_header_value("Content-Type"), "text/plain; charset=utf-8");
            EXPECT_EQ(QString::fromStdString(answer->body), f.words);
        }
    }
    qunsetenv("JQUANTS_API_KEY");
    // J-Quants failing when a newer day may exist: the held code is served from the store.
    std::tie(now, fake.mode) = std::pair(now.addDays(1), Mode::ServerError);
    EXPECT_EQ(WalkPages(second, daily(QDate(2024, 3, 7))).table->rowCount, 7);
    const int failed = fake.requests();  // and J-Quants is not asked again within the hour
    now = now.addSecs(120);
    EXPECT_EQ(WalkPages(second, daily(QDate(2024, 3, 7))).table->rowCount, 7);
    EXPECT_EQ(fake.requests(), failed);
    // A key "file" that is a pipe is refused at once, not waited on for a writer.
    PutFile(keyFile, {}, 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(keyFile).constData(), 0600), 0);
    EXPECT_EQ(
        QString::fromStdString(ask("4063", QDate(2024, 3, 6))->body),
        "J-Quants の API キーのファイル " + keyFile + " を読めません（not a regular file）。");
    std::lock_guard lock(logged);
    EXPECT_TRUE(log.contains("72030: served from the store, may be stale"));
    EXPECT_FALSE(log.join('\n').contains("wrong-key") ||
                 log.join('\n').contains(FakeJQuants::kKey));
}

TEST(QuoteService, ProgramRefusesAPortInUseAndBadSources) {
    const QuoteService first;
    const QString port = QString::number(first.port());
    const auto second = RunProgram(QUOTE_SERVICE_PROGRAM, {"--port", port});
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.err, "quote-service: cannot listen on 127.0.0.1:" + port +
                              ": the port is already in use\n");
    const std::pair<QStringList, int> refused[] = {
        {{"--source", "yahoo"}, 2},
        {{"--rate", "0"}, 2},
        {{"--jquants-url", "http://quotes.example/v2"}, 2},
        {{"--source", "jquants", "--store", QUOTE_SERVICE_PROGRAM "/quotes.sqlite"}, 1}};
    for (const auto& [arguments, status] : refused) {
        EXPECT_EQ(RunProgram(QUOTE_SERVICE_PROGRAM, arguments).status, status)
            << arguments.join(' ').toStdString();
    }
    // Started by its installed name it speaks under that name; an IPv6 address goes in brackets.
    QTcpServer taken;
    if (!taken.listen(QHostAddress::LocalHostIPv6)) {
        GTEST_SKIP() << "no IPv6 loopback";
    }
    const QTemporaryDir dir;
    const QString installed = dir.filePath("ardentix-quote-service"),
                  v6 = QString::number(taken.serverPort());
    ASSERT_TRUE(QFile::link(QUOTE_SERVICE_PROGRAM, installed));
    EXPECT_EQ(
        RunProgram(installed, {"--host", "::1", "--port", v6}).err,
        "ardentix-quote-service: cannot listen on [::1]:" + v6 + ": the port is already in use\n");
}

// A service given a secret answers a chart page only to a query that carries it, through the
// header the page fetcher sends; the rest get 403 and a line of text.
TEST(QuoteService, AnswersOnlyQueriesThatCarryItsSecret) {
    const QuoteService service(nullptr, "s3cret");
    const QString url = MakeChartUrl(
        {service.host(), "7203", 1, Period::Daily, QDate(2020, 1, 6), QDate(2020, 3, 2)});
    QNetworkAccessManager manager;
    PageFetcher fetcher(manager);
    for (const QByteArray secret : {"", "s3cre", "s3cret0", "S3CRET", "s3cret"}) {
        fetcher.setExtraHeader(kSecretHeader, secret);
        EXPECT_EQ(fetcher.Get(url).body.contains("</table>"), secret == "s3cret") << secret.data();
    }
    // What listens on the port is this user's own, and no other user's.
    const QByteArray table = ReadBytes("/proc/net/tcp");
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
    EXPECT_EQ(QFile::permissions(made),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);  // 0600
    EXPECT_EQ(quote_service::LoadOrMakeSecret(made, &error), secret);
    const std::pair<QByteArray, int> refused[] = {
        {"abc", 0440}, {"abc", 0404}, {"two words", 0400}, {" \n", 0400}};
    for (const auto& [text, mode] : refused) {
        const QString path = dir.filePath("refused");
        PutFile(path, text, mode);
        error.clear();
        EXPECT_FALSE(quote_service::LoadOrMakeSecret(path, &error)) << text.data();
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
    }
    const auto run = RunProgram(QUOTE_SERVICE_PROGRAM, {"--secret-file", dir.filePath("refused")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.startsWith("quote-service: --secret-file: ")) << run.err.toStdString();
}

}  // namespace
