#include <gtest/gtest.h>

#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <atomic>

#include "expected_bars.h"
#include "service_harness.h"
#include "tools/quote-service/history_generator.h"
#include "tools/quote-service/trading_calendar.h"

using ardentix::Period;
using ardentix::QuoteRow;
using quote_service::Listing;
using quote_service::PriceBar;
using namespace service_test;

namespace {

constexpr char kRowMarker[] = "<tr\nalign=right>";

std::vector<QuoteRow> RowsOf(const Walk& walk) {
    return {walk.table->rawRows.begin(), walk.table->rawRows.begin() + walk.table->rowCount};
}

// Query c, a, b, f, d, e of a range and the generator's expectation for it.
struct RoundTripCase {
    const char* name;
    Period period;
    const char* symbol;
    QDate start;
    QDate end;
};

void PrintTo(const RoundTripCase& c, std::ostream* os) {
    *os << c.name;
}

class RoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTrip, EveryPageTogetherGivesTheGeneratedBarsOnceEach) {
    const RoundTripCase& c = GetParam();
    RunningService service;
    auto client = service.Client();
    const Walk walk = WalkPages(client, {c.start, c.end, c.period, c.symbol});

    const auto expected = ExpectedRows(GeneratedDaily(quote_service::ListingOf(c.symbol), c.end),
                                       c.start, c.end, c.period);
    ASSERT_GT(expected.size(), 100u) << "the range should span several pages";
    ASSERT_LE(expected.size(), 500u);
    EXPECT_TRUE(walk.outcome.ok) << walk.outcome.messageNumber;
    EXPECT_FALSE(walk.paging.hasNextPage);
    EXPECT_EQ(walk.pages, static_cast<int>((expected.size() + 49) / 50));
    EXPECT_EQ(RowsOf(walk), expected);
}

// Each range starts and ends in the middle of a week and of a month and crosses year ends.
INSTANTIATE_TEST_SUITE_P(
    Periods, RoundTrip,
    ::testing::Values(
        RoundTripCase{"daily", Period::Daily, "7203", QDate(2002, 5, 15), QDate(2003, 12, 24)},
        RoundTripCase{"daily_osaka", Period::Daily, "6502.o", QDate(1999, 12, 1),
                      QDate(2000, 7, 5)},
        RoundTripCase{"weekly", Period::Weekly, "7203.t", QDate(1995, 3, 8), QDate(2003, 12, 31)},
        // 7203 splits within a week and a month on 18 June 2012 (2:3) and 9 July 2020 (1:2).
        RoundTripCase{"weekly_split_week", Period::Weekly, "7203", QDate(2018, 11, 14),
                      QDate(2021, 2, 17)},
        RoundTripCase{"monthly_split_months", Period::Monthly, "7203", QDate(2010, 1, 13),
                      QDate(2020, 9, 16)},
        RoundTripCase{"monthly", Period::Monthly, "1301", QDate(1974, 2, 28), QDate(2004, 2, 29)},
        RoundTripCase{"monthly_nasdaq", Period::Monthly, "4568.j", QDate(1990, 1, 17),
                      QDate(2020, 1, 16)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QuoteService, RestatesThePricesBeforeASplitByItsRatio) {
    const Listing listing{"7203", ".t"};
    const auto splits = quote_service::GenerateHistory(listing, QDate(2010, 12, 31)).splits;
    ASSERT_FALSE(splits.empty());
    const quote_service::StockSplit split = splits.back();
    const QDate start = split.date.addDays(-60);
    const QDate end = split.date.addDays(60);

    RunningService service;
    auto client = service.Client();
    const Walk walk = WalkPages(client, {start, end, Period::Daily, "7203"});
    ASSERT_TRUE(walk.outcome.ok);

    const auto daily = GeneratedDaily(listing, end).bars;
    const auto nominal = [&](const QString& ymd) {
        return std::find_if(daily.begin(), daily.end(),
                            [&](const PriceBar& b) {
                                return b.date.toString(QStringLiteral("yyMMdd")) == ymd;
                            })
            ->close;
    };
    const QString splitYmd = split.date.toString(QStringLiteral("yyMMdd"));
    int before = 0;
    for (const QuoteRow& row : RowsOf(walk)) {
        const qint32 close = nominal(row.ymd);
        if (row.ymd >= splitYmd) {
            EXPECT_EQ(row.close, close) << row.ymd.toStdString();
            continue;
        }
        ++before;
        const double restated = static_cast<double>(close) * split.before / split.after;
        EXPECT_NE(row.close, close) << row.ymd.toStdString();
        EXPECT_EQ(row.close, static_cast<qint32>(std::nearbyint(restated)))
            << row.ymd.toStdString();
    }
    EXPECT_GT(before, 20);
}

TEST(QuoteService, EveryCodeHasASplitInTheTenYearsBeforeAnyEndDate) {
    for (const char* symbol : {"1000", "1301", "7203", "9999", "6502.o", "4568.j", "8035.q"}) {
        const Listing listing = quote_service::ListingOf(symbol);
        const auto splits =
            quote_service::GenerateHistory(listing, quote_service::LastHistoryDay()).splits;
        for (QDate end(1974, 1, 1); end <= quote_service::LastHistoryDay();
             end = end.addMonths(1)) {
            const bool found = std::any_of(splits.begin(), splits.end(), [&](const auto& s) {
                return s.date <= end && s.date > end.addYears(-10);
            });
            EXPECT_TRUE(found) << symbol << " " << end.toString(Qt::ISODate).toStdString();
        }
    }
}

TEST(QuoteService, GeneratedBarsAreWellFormedTradingDays) {
    for (const char* symbol : {"1000", "7203", "9999.t", "6505.s", "8039.q"}) {
        const auto bars =
            GeneratedDaily(quote_service::ListingOf(symbol), quote_service::LastHistoryDay()).bars;
        ASSERT_GT(bars.size(), 15000u);
        EXPECT_EQ(bars.front().date, QDate(1970, 1, 5)) << "first Monday, after 1-3 January";
        EXPECT_GE(bars.back().date, QDate(2030, 12, 30));
        for (const PriceBar& b : bars) {
            const auto where = [&] { return symbol + b.date.toString(Qt::ISODate).toStdString(); };
            ASSERT_TRUE(quote_service::IsTradingDay(b.date)) << where();
            ASSERT_GE(b.low, 1) << where();
            ASSERT_LE(b.low, std::min(b.open, b.close)) << where();
            ASSERT_GE(b.high, std::max(b.open, b.close)) << where();
            ASSERT_GE(b.volume, 1000) << where();
            ASSERT_LE(b.volume * 23, std::numeric_limits<qint32>::max())
                << "a month of such days must still fit 32 bits: " << where();
        }
    }
}

TEST(QuoteService, SameQueryGivesTheSameBytesOnEveryRun) {
    const Query query{QDate(2002, 1, 5), QDate(2004, 3, 15), Period::Daily, "9999.t"};
    QByteArray first;
    {
        RunningService service;
        auto client = service.Client();
        first = Fetch(client, query.Path(50));
    }
    RunningService service;
    auto client = service.Client();
    EXPECT_FALSE(first.isEmpty());
    EXPECT_EQ(Fetch(client, query.Path(50)), first);

    // Pinned, so a change of platform or standard library that alters a history shows here.
    const auto daily = GeneratedDaily({"7203", ".t"}, QDate(2003, 12, 5)).bars;
    EXPECT_EQ(daily.back(), (PriceBar{QDate(2003, 12, 5), 2425, 2450, 2395, 2430, 221000, 2430}));
}

TEST(QuoteService, TenPagesMakeTheProgramsFiveHundredRows) {
    RunningService service;
    auto client = service.Client();
    // 800 days before 15 March 2004, as the program asks: more than 500 trading days.
    const Query query{QDate(2002, 1, 5), QDate(2004, 3, 15), Period::Daily, "9999"};
    const Walk walk = WalkPages(client, query, 10);

    ASSERT_TRUE(walk.outcome.ok);
    EXPECT_EQ(walk.pages, 10);
    EXPECT_EQ(walk.table->rowCount, 500);
    EXPECT_TRUE(walk.paging.hasNextPage) << "bars remain after the tenth page";
    const auto expected = ExpectedRows(GeneratedDaily({"9999", ".t"}, query.end), query.start,
                                       query.end, Period::Daily);
    ASSERT_GT(expected.size(), 500u);
    EXPECT_EQ(RowsOf(walk), std::vector<QuoteRow>(expected.begin(), expected.begin() + 500));
}

TEST(QuoteService, ShortLastPageAnnouncesItsOwnCount) {
    RunningService service;
    auto client = service.Client();
    // 73 trading days: the first page announces the 23 that are left.
    const Query query{QDate(2003, 6, 2), QDate(2003, 9, 10), Period::Daily, "7203"};
    const QByteArray first = Fetch(client, query.Path(0));
    EXPECT_TRUE(
        first.contains(QByteArray("\xBC\xA1\xA4\xCE"
                                  "23\xB7\xEF")));  // 次の23件
    EXPECT_EQ(first.count(kRowMarker), 50);
    const QByteArray last = Fetch(client, query.Path(50));
    EXPECT_EQ(last.count(kRowMarker), 23);
    EXPECT_FALSE(last.contains("\xBC\xA1\xA4\xCE"));
}

// A page of 7203 whose range ends `after` trading days (weekly: weeks) past a split, asked
// from `offset`: the split day's bar stands at row after - offset of the page.
struct SplitNoticeCase {
    const char* name;
    Period period;
    QDate split;
    int after;
    int offset;
    const char* notice;  // nullptr: the page has none
};

void PrintTo(const SplitNoticeCase& c, std::ostream* os) {
    *os << c.name;
}

class SplitNotice : public ::testing::TestWithParam<SplitNoticeCase> {};

TEST_P(SplitNotice, FollowsTheSplitDaysRowOnItsDailyPageAndNumbersNoRow) {
    const SplitNoticeCase& c = GetParam();
    QDate end = c.split;
    for (int i = 0; i < c.after;) {
        end = end.addDays(c.period == Period::Daily ? 1 : 7);
        i += quote_service::IsTradingDay(end) ? 1 : 0;
    }
    RunningService service;
    auto client = service.Client();
    const QByteArray page =
        Fetch(client, Query{c.split.addYears(-2), end, c.period, "7203"}.Path(c.offset));
    QStringDecoder fromEucJp("EUC-JP");
    const QStringList rows = QString(fromEucJp(page)).split(QString::fromLatin1(kRowMarker));

    QStringList prices;
    QStringList notices;
    for (const QString& row : rows.mid(1)) {
        (row.contains(QStringLiteral("colspan")) ? notices : prices) << row;
    }
    ASSERT_EQ(prices.size(), 50) << "notices take no price row's place";
    const QString dateCell = QStringLiteral("<td>%1年%2月%3日</td>")
                                 .arg(c.split.year())
                                 .arg(c.split.month())
                                 .arg(c.split.day());
    if (!c.notice) {
        EXPECT_EQ(notices.size(), 0);
        return;
    }
    const int at = c.after - c.offset;
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(prices[at].startsWith(dateCell + QStringLiteral("<td>"))) << "the split day";
    EXPECT_EQ(rows.indexOf(notices[0]), at + 2) << "right after the split day's row";
    EXPECT_TRUE(notices[0].startsWith(dateCell + QStringLiteral("<td colspan=6>") +
                                      QString::fromUtf8(c.notice) +
                                      QStringLiteral("</td>\n</tr>\n")))
        << notices[0].toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SplitNotice,
    ::testing::Values(
        SplitNoticeCase{"last_row", Period::Daily, QDate(2020, 7, 9), 99, 50, "分割: 1株 -> 2株"},
        SplitNoticeCase{"first_row", Period::Daily, QDate(2012, 6, 18), 50, 50, "分割: 2株 -> 3株"},
        SplitNoticeCase{"middle_row", Period::Daily, QDate(1997, 2, 18), 20, 0,
                        "分割: 10株 -> 11株"},
        SplitNoticeCase{"day_on_the_page_before", Period::Daily, QDate(2020, 7, 9), 0, 1, nullptr},
        SplitNoticeCase{"weekly", Period::Weekly, QDate(2020, 7, 9), 3, 0, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

struct NoticeCase {
    const char* name;
    std::string path;
};

void PrintTo(const NoticeCase& c, std::ostream* os) {
    *os << c.path;
}

class NoticePage : public ::testing::TestWithParam<NoticeCase> {};

TEST_P(NoticePage, HasNoRowMarkerAndTheParserReportsNoData) {
    RunningService service;
    auto client = service.Client();
    const auto result = client.Get(GetParam().path.c_str());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200);
    EXPECT_EQ(result->get_header_value("Content-Type"), "text/html; charset=EUC-JP");
    const QByteArray body = QByteArray::fromStdString(result->body);
    EXPECT_FALSE(body.contains("<tr")) << body.toStdString();
    const qsizetype notice = body.indexOf("<p>");
    ASSERT_GE(notice, 0);
    EXPECT_GE(static_cast<unsigned char>(body[notice + 3]), 0xA1) << "a Japanese notice";

    const Walk walk = ParseOne(body, Period::Daily);
    EXPECT_FALSE(walk.outcome.ok);
    EXPECT_EQ(walk.outcome.messageNumber, 202);
    EXPECT_FALSE(walk.paging.hasNextPage);
}

const std::string kRange = "c=2003&a=1&b=6&f=2003&d=3&e=14";

INSTANTIATE_TEST_SUITE_P(
    Queries, NoticePage,
    ::testing::Values(
        NoticeCase{"not_on_that_market", "/t?" + kRange + "&g=d&s=1235.o&y=0&x=.csv"},
        NoticeCase{"five_digits", "/t?" + kRange + "&g=d&s=12345&y=0&x=.csv"},
        NoticeCase{"below_1000", "/t?" + kRange + "&g=d&s=0999&y=0&x=.csv"},
        NoticeCase{"code_like_the_link", "/t?" + kRange + "&g=d&s=%E6%AC%A1%E3%81%AE5&y=0&x=.csv"},
        NoticeCase{"code_like_a_row", "/t?" + kRange + "&g=d&s=%3Ctr%0Aalign=right%3E&y=0&x=.csv"},
        NoticeCase{"code_with_spaces", "/t?" + kRange + "&g=d&s=%207203&y=0&x=.csv"},
        NoticeCase{"start_after_end", "/t?c=2004&a=1&b=6&f=2003&d=3&e=14&g=d&s=7203&y=0&x=.csv"},
        NoticeCase{"weekend_only", "/t?c=2003&a=3&b=15&f=2003&d=3&e=16&g=w&s=7203&y=0&x=.csv"},
        NoticeCase{"before_the_history",
                   "/t?c=1960&a=1&b=1&f=1969&d=12&e=31&g=m&s=7203&y=0&x=.csv"},
        NoticeCase{"offset_past_the_end", "/t?" + kRange + "&g=m&s=7203&y=3&x=.csv"},
        NoticeCase{"keys_in_another_order",
                   "/t?x=.csv&y=0&s=1235.o&g=d&e=14&d=3&f=2003&b=6&a=1&c=2003"},
        NoticeCase{"missing_offset", "/t?" + kRange + "&g=d&s=7203&x=.csv"},
        NoticeCase{"missing_code", "/t?" + kRange + "&g=d&y=0&x=.csv"},
        NoticeCase{"empty_code", "/t?" + kRange + "&g=d&s=&y=0&x=.csv"},
        NoticeCase{"unknown_period", "/t?" + kRange + "&g=y&s=7203&y=0&x=.csv"},
        NoticeCase{"month_13", "/t?c=2003&a=13&b=6&f=2003&d=3&e=14&g=d&s=7203&y=0&x=.csv"},
        NoticeCase{"30_february", "/t?c=2003&a=2&b=30&f=2003&d=3&e=14&g=d&s=7203&y=0&x=.csv"},
        NoticeCase{"signed_offset", "/t?" + kRange + "&g=d&s=7203&y=-50&x=.csv"},
        NoticeCase{"huge_offset", "/t?" + kRange + "&g=d&s=7203&y=99999999999&x=.csv"},
        NoticeCase{"repeated_key", "/t?" + kRange + "&g=d&s=7203&s=6502&y=0&x=.csv"},
        NoticeCase{"no_extension", "/t?" + kRange + "&g=d&s=7203&y=0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QuoteService, StopBeforeTheAcceptLoopRunsIsNotLost) {
    quote_service::QuoteServer server(50, std::chrono::milliseconds(0), {});
    ASSERT_GT(server.Bind("127.0.0.1", 0), 0);
    server.Stop();  // as a signal arriving between the start line and the loop
    EXPECT_TRUE(server.ListenAfterBind()) << "returns at once instead of serving forever";
}

TEST(QuoteService, AnswersOnlyTheChartPath) {
    RunningService service;
    auto client = service.Client();
    for (const char* path : {"/", "/t/", "/q?s=7203", "/favicon.ico"}) {
        const auto result = client.Get(path);
        ASSERT_TRUE(result) << path;
        EXPECT_EQ(result->status, 404) << path;
    }
}

// A data folder for the tests below.
class DataFolderTest : public ::testing::Test {
protected:
    void Write(const QString& name, const QByteArray& text) {
        QFile file(dir_.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    std::optional<quote_service::DataFolder> Load() {
        return quote_service::LoadDataFolder(dir_.path(), &error_);
    }

    QTemporaryDir dir_;
    QString error_;
};

TEST_F(DataFolderTest, FileReplacesTheGeneratedHistoryOfItsListingOnly) {
    Write("1234.csv",
          "date,open,high,low,close,volume,adjclose\r\n"
          "2003-12-05,1010,1050,990,1000,120000,500\r\n"
          "2003-12-03,900,960,890,950,80000,475\r\n"
          "\r\n"
          "2003-12-04,950,1000,940,990,2147483647,495\r\n");
    Write("ABCD.n.csv", "2001-01-05,100,110,90,105,1000,105\n");
    auto data = Load();
    ASSERT_TRUE(data) << error_.toStdString();
    const std::vector<PriceBar> fileBars = data->at({"1234", ".t"});

    RunningService service(std::move(*data));
    auto client = service.Client();
    const QDate start(2003, 12, 1);
    const QDate end(2003, 12, 31);
    for (const char* symbol : {"1234", "1234.t"}) {
        const Walk walk = WalkPages(client, {start, end, Period::Daily, symbol});
        ASSERT_TRUE(walk.outcome.ok) << symbol;
        EXPECT_EQ(RowsOf(walk), ExpectedRows({fileBars, {}}, start, end, Period::Daily)) << symbol;
    }
    const QByteArray weekly = Fetch(client, Query{start, end, Period::Weekly, "1234"}.Path(0));
    EXPECT_TRUE(weekly.contains("<td>2,147,683,647</td>"))
        << "a weekly sum beyond 32 bits is served as it is";

    const Walk osaka = WalkPages(client, {start, end, Period::Daily, "1234.o"});
    EXPECT_EQ(RowsOf(osaka),
              ExpectedRows(GeneratedDaily({"1234", ".o"}, end), start, end, Period::Daily));
    const Walk letters = WalkPages(client, {QDate(2001, 1, 1), end, Period::Daily, "ABCD.n"});
    EXPECT_EQ(letters.table->rowCount, 1);
}

TEST_F(DataFolderTest, RefusesMalformedFilesWithTheirName) {
    for (const char* line :
         {"2003-12-05,1,2,3,4,5", "2003-13-05,1,2,3,4,5,6", "2003-12-05,1,2,3,4,-5,6",
          "2003-12-05,1,2,3,x,5,6", "2003-12-05,1,2,3,4,2147483648,6",
          "date,open\n2003/12/05,1,2,3,4,5,6"}) {
        Write("5555.csv", line);
        EXPECT_FALSE(Load()) << line;
        EXPECT_TRUE(error_.contains("5555.csv")) << error_.toStdString();
    }
    Write("5555.csv", "2003-12-05,1,2,3,4,5,6\n2003-12-05,1,2,3,4,5,6\n");
    EXPECT_FALSE(Load()) << "a date twice";
    Write("5555.csv", "2003-12-05,1,2,3,4,5,6\n");
    Write("5555.t.csv", "2003-12-05,1,2,3,4,5,6\n");
    EXPECT_FALSE(Load()) << "two files for one listing";
    EXPECT_FALSE(quote_service::LoadDataFolder(dir_.filePath("missing"), &error_));
}

TEST(DemoCodes, MisbehaveAsDocumented) {
    RunningService service;
    auto client = service.Client();
    const auto path = [](const char* code, int offset) {
        return Query{QDate(2003, 1, 6), QDate(2003, 12, 26), Period::Daily, code}.Path(offset);
    };
    EXPECT_EQ(Fetch(client, path("EMPT.t", 0)), QByteArray());
    EXPECT_EQ(Fetch(client, path("TWOB", 0)).size(), 2);

    const Walk noTable = ParseOne(Fetch(client, path("NOTB", 0)), Period::Daily);
    EXPECT_EQ(noTable.outcome.messageNumber, 202);

    const QByteArray dashes = Fetch(client, path("DASH", 0));
    EXPECT_EQ(dashes.count(kRowMarker), 50);
    const Walk dash = ParseOne(dashes, Period::Daily);
    EXPECT_TRUE(dash.outcome.ok);
    EXPECT_EQ(dash.table->rowCount, 0);
    EXPECT_FALSE(dash.paging.hasNextPage);

    for (int offset : {0, 50, 5000}) {
        const Walk loop = ParseOne(Fetch(client, path("LOOP", offset)), Period::Daily);
        EXPECT_TRUE(loop.outcome.ok) << offset;
        EXPECT_EQ(loop.table->rowCount, 0) << offset;
        EXPECT_TRUE(loop.paging.hasNextPage) << offset;
    }

    const auto half = client.Get(path("HALF", 0).c_str());
    EXPECT_FALSE(half) << "the connection closes before the announced length";
}

TEST(DemoCodes, SlowAnswerEndsWhenTheServiceStops) {
    auto service = std::make_unique<RunningService>();
    auto client = service->Client();
    client.set_read_timeout(60, 0);  // longer than the slow answer
    std::atomic<bool> answered{false};
    std::thread asker([&] {
        const auto result = client.Get(
            Query{QDate(2003, 1, 6), QDate(2003, 12, 26), Period::Daily, "SLOW"}.Path(0).c_str());
        answered = result && !result->body.empty();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // lets the request arrive
    service.reset();
    asker.join();
    EXPECT_FALSE(answered) << "the stop must cut the wait short, not let it finish";
}

}  // namespace
