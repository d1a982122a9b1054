#include <gtest/gtest.h>

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <cstdlib>

#include "fake_jquants.h"
#include "tools/quote-service/jquants_client.h"
#include "tools/quote-service/rate_limiter.h"

using namespace quote_service;
using ardentix::testing::FakeJQuants;
using Kind = UpstreamFailure::Kind;
using Mode = FakeJQuants::Mode;
using namespace std::chrono_literals;

namespace {

// Time that passes only when the limiter waits.
struct FakeTime {
    RateLimiter::TimePoint now{};
    RateLimiter::Clock clock() {
        return {[this] { return now; }, [this](auto&, auto until) { now = std::max(now, until); }};
    }
};

const auto Key = [] { return std::string(FakeJQuants::kKey); };

TEST(RateLimiter, SlidingWindowAndPenalty) {
    FakeTime time;
    const auto start = time.now;
    RateLimiter limiter(2, time.clock());
    EXPECT_TRUE(limiter.Acquire(time.now));
    time.now += 10s;
    EXPECT_TRUE(limiter.Acquire(time.now));
    EXPECT_FALSE(limiter.Acquire(time.now + 49s));  // the first slot frees up at 60 s
    EXPECT_EQ(limiter.SecondsUntilFree(), 50);
    EXPECT_TRUE(limiter.Acquire(time.now + 50s));
    EXPECT_EQ(time.now, start + 60s);
    limiter.Penalize(30s);  // the window alone would free a slot at 70 s
    limiter.Penalize(5s);
    EXPECT_EQ(limiter.SecondsUntilFree(), 30);
    EXPECT_TRUE(limiter.Acquire(time.now + 1h));
    EXPECT_EQ(time.now, start + 90s);
}

TEST(JQuantsClient, AnswersAndFailures) {
    const QString wait = "J-Quants の回数制限のため、約%1秒後にもう一度ダウンロードしてください";
    const struct {
        Mode mode;
        bool day;  // all issues of 2024-03-01, else the history of 7203
        std::optional<Kind> failure;
        int requests;
        QString text =
            "J-Quants から読み取れない応答が返りました。しばらくしてからもう一度お試しください。";
        std::string key = Key();
    } cases[] = {{Mode::Normal, false, {}, 3},
                 {Mode::Normal, true, {}, 2},
                 {Mode::Normal, false, Kind::KeyRefusedOrPlan, 1,
                  "J-Quants がアクセスを拒否しました。API キーが正しくないか、"
                  "ご利用のプランではこの期間の株価を取得できません。",
                  "wrong-key-93c1"},
                 {Mode::Normal, false, Kind::NoKey, 0,
                  "J-Quants の API キーが設定されていません。"
                  "~/.config/ardentix/jquants-api-key に置いてください。",
                  " \n"},
                 {Mode::RateLimitOnce, false, Kind::RateLimited, 1, wait.arg(7)},
                 {Mode::RateLimitBare, true, Kind::RateLimited, 1, wait.arg(60)},
                 {Mode::ServerError, false, Kind::ServerError, 1,
                  "J-Quants 側でエラーが起きています。しばらくしてからもう一度お試しください。"},
                 {Mode::Malformed, false, Kind::Broken, 1},
                 {Mode::StringNumbers, false, Kind::Broken, 1},
                 {Mode::MissingField, true, Kind::Broken, 1},
                 {Mode::MissingField, false, Kind::Broken, 1},
                 {Mode::MissingFactor, false, Kind::Broken, 1},
                 {Mode::RepeatedKey, false, Kind::Broken, 2},
                 {Mode::EndlessKeys, true, Kind::Broken, 5},
                 {Mode::Oversize, false, Kind::Broken, 1},
                 {Mode::Stall, false, Kind::Broken, 1}};
    FakeJQuants fake;
    FakeTime time;
    RateLimiter limiter(100, time.clock());
    JQuantsSettings settings;  // 5 pages at most, 1 MiB a page, a stalled answer given up at 2 s
    std::tie(settings.baseUrl, settings.maxPages, settings.bodyCap) =
        std::tuple(fake.url(), 5, 1 << 20);
    std::tie(settings.ioTimeout, settings.deadline) = std::pair(30s, 2s);
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.mode));
        fake.mode = c.mode;
        const int before = fake.requests();
        const JQuantsClient client(
            settings, [&c] { return c.key; }, &limiter);
        const auto answer = c.day ? client.Day(QDate(2024, 3, 1)) : client.History("7203");
        EXPECT_EQ(answer.requests, c.requests);
        EXPECT_EQ(fake.requests() - before, c.requests);
        ASSERT_EQ(answer.failure.has_value(), c.failure.has_value());
        if (!c.failure) {
            std::vector<UpstreamBar> expected;
            std::ranges::copy_if(fake.bars, std::back_inserter(expected), [&c](const auto& b) {
                return c.day ? b.date == QDate(2024, 3, 1) : b.code == "72030";
            });
            EXPECT_EQ(answer.bars, expected);
            EXPECT_EQ(answer.newestDate, QDate(2024, 3, 1));
            continue;
        }
        EXPECT_EQ(answer.failure->kind, *c.failure);
        EXPECT_EQ(UserText(*answer.failure), c.text);
        EXPECT_FALSE(answer.failure->detail.contains(c.key.c_str()));
        EXPECT_EQ(limiter.SecondsUntilFree(), answer.failure->retryAfter);
    }
    EXPECT_TRUE(fake.allAskedForGzip());
    fake.mode = Mode::Normal;
    fake.bars.push_back({QDate(2024, 3, 4), "72030", 1, 1, 1, 1, 1, -0.5});  // no split is < 0
    EXPECT_EQ(JQuantsClient(settings, Key, &limiter).History("7203").failure.value().kind,
              Kind::Broken);
    fake.bars.pop_back();
    RateLimiter spent(1, time.clock());  // no slot within the wait: no request
    spent.Acquire(time.now);
    settings.slotWait = 59s;
    const auto waiting = JQuantsClient(settings, Key, &spent).History("7203");
    EXPECT_EQ(std::pair(UserText(waiting.failure.value()), waiting.requests),
              std::pair(wait.arg(60), 0));
    // Nothing listens on port 1; plain http goes to this machine only.
    for (const char* url : {"http://127.0.0.1:1/v2", "http://quotes.example/v2"}) {
        settings.baseUrl = url;
        const auto answer = JQuantsClient(settings, Key).History("7203");
        EXPECT_EQ(UserText(answer.failure.value()),
                  "J-Quants に接続できません (" + QUrl(url).host() + ")");
        EXPECT_EQ(answer.requests, QUrl(url).port() == 1);
    }
    EXPECT_EQ(BaseUrlProblem("http://localhost:8080/v2") + BaseUrlProblem("http://[::1]/v2") +
                  BaseUrlProblem("https://quotes.example/v2"),
              "");
    EXPECT_NE(BaseUrlProblem("http://127.0.0.1.example.com/v2"), "");
    EXPECT_NE(BaseUrlProblem("https:///v2"), "");
}

TEST(JQuantsClient, TrustsTheTestAuthorityOnlyWhenToldTo) {
    if (QStandardPaths::findExecutable("openssl").isEmpty()) {
        GTEST_SKIP() << "no openssl command";
    }
    const QTemporaryDir dir;
    const QString req =
        " && openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes 2>/dev/null ";
    const QString make = "cd '" + dir.path() + "'" + req +
                         "-keyout ca.key -out ca.pem -subj /CN=ca" + req +
                         "-keyout srv.key -out srv.pem -subj /CN=srv -CA ca.pem -CAkey ca.key "
                         "-addext subjectAltName=IP:127.0.0.1";
    ASSERT_EQ(std::system(make.toLocal8Bit().constData()), 0);
    const FakeJQuants fake(dir.filePath("srv.pem"), dir.filePath("srv.key"));
    for (const bool trusted : {true, false}) {
        JQuantsSettings settings;
        settings.baseUrl = fake.url();
        settings.caFile = trusted ? dir.filePath("ca.pem") : QString();
        const auto answer = JQuantsClient(settings, Key).History("7203");
        EXPECT_EQ(answer.bars.size(), trusted ? 5u : 0u);
        EXPECT_EQ(answer.failure.has_value(), !trusted);
    }
}

}  // namespace
