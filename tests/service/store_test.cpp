#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <thread>

#include "tools/quote-service/chart_pages.h"
#include "tools/quote-service/store_history.h"

using namespace quote_service;
using testing::HasSubstr;

namespace {

// A day of 72030 in March 2024; without a close, a day without trading.
UpstreamBar Day(int day, std::optional<double> close, double factor = 1, double open = 1221,
                double high = 1232, double low = 1215) {
    const auto traded = [&](double figure) { return close ? std::optional(figure) : std::nullopt; };
    return {QDate(2024, 3, day), "72030", traded(open),         traded(high),
            traded(low),         close,   traded(1000.0 * day), factor};
}

// 1:2 from the 6th; no trading on the 5th; a split after the end (the 7th) that must not count.
const std::vector<UpstreamBar> kDays = {Day(1, 2441.3, 1, 2440.5, 2460, 2430),
                                        Day(4, 2441, 1, 2441.5, 2450, 2441),
                                        Day(5, std::nullopt),
                                        Day(6, 1225.5, 0.5),
                                        Day(7, 1230.5),
                                        Day(8, 410, 0.333333)};

TEST(StoreHistory, WholeYenHalvesToEvenAndClosesAdjustedOnceForLaterSplits) {
    const History history = HistoryFromStore(kDays, QDate(2024, 3, 7));
    EXPECT_EQ(history.bars,
              (std::vector<PriceBar>{{QDate(2024, 3, 1), 2440, 2460, 2430, 2441, 1000, 1221},
                                     {QDate(2024, 3, 4), 2442, 2450, 2441, 2441, 4000, 1220},
                                     {QDate(2024, 3, 6), 1221, 1232, 1215, 1226, 6000, 1226},
                                     {QDate(2024, 3, 7), 1221, 1232, 1215, 1230, 7000, 1230}}));
    // Each period's page, the days before the split restated by it within a week or a month.
    const std::pair<BarPeriod, const char*> rows[] = {
        {BarPeriod::Daily, "<td>2024年3月6日</td><td colspan=6>分割: 1株 -> 2株</td>"},
        {BarPeriod::Weekly,
         "<td>2024年3月4日</td><td>1,221</td><td>1,232</td><td>1,215</td>"
         "<td><b>1,230</b></td><td>21,000</td><td>1,230</td>"},
        {BarPeriod::Monthly,
         "<td>2024年3月</td><td>1,220</td><td>1,232</td><td>1,215</td>"
         "<td><b>1,230</b></td><td>23,000</td><td>1,230</td>"}};
    for (const auto& [period, row] : rows) {
        const ChartQuery query{QDate(2024, 1, 1), QDate(2024, 3, 7), period, "7203.t", 0};
        const QString page = QStringDecoder("EUC-JP").decode(HistoryPageFor(query, history, 50));
        EXPECT_THAT(page.toStdString(), HasSubstr(row));
    }
    UpstreamBar broken = Day(4, 2441);  // a close missing from a traded day: no bar
    broken.close.reset();
    EXPECT_TRUE(HistoryFromStore({broken}, QDate(2024, 3, 6)).bars.empty());
    const std::tuple<double, int, int> ratios[] = {
        {0.5, 1, 2}, {0.333333, 1, 3}, {2, 2, 1}, {0.952381, 20, 21}, {0.2, 1, 5}};
    for (const auto& [factor, before, after] : ratios) {
        const auto split = HistoryFromStore({Day(6, 1, factor)}, QDate(2024, 3, 6)).splits.at(0);
        EXPECT_EQ(std::pair(split.before, split.after), std::pair(before, after)) << factor;
    }
}

TEST(QuoteStore, KeepsRawBarsAndHoldsACodeOnlyWithItsHistory) {
    QTemporaryDir dir;
    const auto store = QuoteStore::Open(dir.filePath("data/quotes.sqlite")).value;
    const UpstreamBar other{QDate(2024, 3, 1), "13010", 3000, 3010, 2990, 3005, 100, 1};
    ASSERT_TRUE(store->StoreBars({kDays[0], other}).ok());  // a date's answer
    EXPECT_FALSE(store->IsHeld("72030").value);
    EXPECT_EQ(*store->BarsOf("72030").value, std::vector{kDays[0]});
    for (int answer = 0; answer < 2; ++answer) {
        ASSERT_TRUE(store->StoreBars(kDays, "72030").ok());
    }
    EXPECT_EQ(*store->BarsOf("72030").value, kDays);
    EXPECT_TRUE(store->IsHeld("72030").value && !store->IsHeld("13010").value);
    ASSERT_TRUE(store->SetNewestDate(QDate(2024, 3, 8)).ok());
    ASSERT_TRUE(store->SetLastRefreshCheck(QDateTime(QDate(2024, 6, 3), QTime(9, 30))).ok());
    const auto reopened = QuoteStore::Open(dir.filePath("data/quotes.sqlite")).value;
    EXPECT_EQ(reopened->NewestDate().value, QDate(2024, 3, 8));
    EXPECT_EQ(reopened->LastRefreshCheck().value, QDateTime(QDate(2024, 6, 3), QTime(9, 30)));
}

// A long history of one code, each close the round that wrote it: more than the connection's
// page cache holds, so a write spills into the files before it commits.
std::vector<UpstreamBar> Round(int round) {
    std::vector<UpstreamBar> bars;
    for (int i = 0; i < 100000; ++i) {
        bars.push_back({QDate(1970, 1, 1).addDays(i), "72030", 2440.5, 2460.5, 2430.5,
                        double(round), 1234.5, 1});
    }
    return bars;
}

TEST(QuoteStore, AWriterKilledMidWriteLeavesTheLastCommit) {
    QTemporaryDir dir;
    const QString path = dir.filePath("quotes.sqlite");
    int commits[2];
    ASSERT_EQ(pipe(commits), 0);
    const pid_t writer = fork();
    if (writer == 0) {
        const auto store = QuoteStore::Open(path).value;
        auto bars = Round(1);
        for (int round = 1; store && store->StoreBars(bars).ok(); ++round) {
            bars = Round(round + 1);
            if (write(commits[1], &round, sizeof round) <= 0) {
                break;
            }
        }
        _exit(1);
    }
    int round = 0;
    QElapsedTimer sinceCommit;
    sinceCommit.start();
    qint64 roundTime = 0;
    while (round < 3) {
        ASSERT_EQ(read(commits[0], &round, sizeof round), ssize_t(sizeof round));
        roundTime = sinceCommit.restart();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(roundTime / 2));
    kill(writer, SIGKILL);  // halfway through the next round
    waitpid(writer, nullptr, 0);
    const auto bars = *QuoteStore::Open(path).value->BarsOf("72030").value;
    ASSERT_EQ(bars.size(), 100000u);
    EXPECT_THAT(*bars[0].close, testing::AnyOf(round, round + 1));
    EXPECT_EQ(bars, Round(int(*bars[0].close)));
}

TEST(QuoteStore, ASecondWriterWaitsForTheFirstOrSaysTheStoreIsBusy) {
    QTemporaryDir dir;
    const QString path = dir.filePath("quotes.sqlite");
    const auto patient = QuoteStore::Open(path).value;
    const auto hasty = QuoteStore::Open(path, std::chrono::milliseconds(10)).value;
    sqlite3* other = nullptr;
    sqlite3_open(path.toUtf8().constData(), &other);
    sqlite3_exec(other, "BEGIN IMMEDIATE; INSERT INTO held VALUES('13010')", 0, 0, 0);
    EXPECT_THAT(hasty->StoreBars(kDays, "72030").error.toStdString(), HasSubstr("is busy"));
    EXPECT_TRUE(hasty->BarsOf("72030").value->empty());
    std::thread waiting([&] { EXPECT_TRUE(patient->StoreBars(kDays, "72030").ok()); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // to let it start waiting
    sqlite3_exec(other, "COMMIT", 0, 0, 0);
    waiting.join();
    sqlite3_close(other);
    EXPECT_TRUE(hasty->IsHeld("13010").value && hasty->IsHeld("72030").value);
    EXPECT_EQ(*hasty->BarsOf("72030").value, kDays);
}

}  // namespace
