#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <memory>

#include "tools/quote-service/chart_pages.h"
#include "tools/quote-service/store_history.h"

using namespace quote_service;

namespace {

const QDate kFirst(2005, 1, 4);
const QDate kLast(2024, 12, 30);

// Every weekday from kFirst to kLast: prices in tenths around 2,000 yen, a 1:2 split in 2012
// and a 1:3 split in 2020.
std::vector<UpstreamBar> TwentyYears(const QString& code) {
    std::vector<UpstreamBar> bars;
    for (QDate day = kFirst; day <= kLast; day = day.addDays(1)) {
        if (day.dayOfWeek() > 5) {
            continue;
        }
        const double close = 2000 + (bars.size() * 37 % 400) / 10.0;
        const double factor = day == QDate(2012, 6, 18)  ? 0.5
                              : day == QDate(2020, 7, 9) ? 0.333333
                                                         : 1;
        bars.push_back({day, code, close - 5, close + 12.5, close - 20, close, 1.2e6, factor});
    }
    return bars;
}

// A store holding 20 years of 100 codes, read once so that its pages are in memory.
struct WarmStore {
    QTemporaryDir dir;
    std::unique_ptr<QuoteStore> store;

    WarmStore() {
        store = QuoteStore::Open(dir.filePath("quotes.sqlite")).value;
        for (int code = 7200; code < 7300; ++code) {
            const QString upstream = UpstreamCode(QString::number(code));
            store->StoreBars(TwentyYears(upstream), upstream);
        }
        store->BarsOf(UpstreamCode("7203"));
    }
};

// The first page of 50 bars of 7203 over the whole 20 years, from the store's rows to the
// page's bytes.
void BM_StorePage(benchmark::State& state, BarPeriod period) {
    static WarmStore warm;
    const ChartQuery query{kFirst, kLast, period, "7203.t", 0};
    for (auto _ : state) {
        const auto bars = warm.store->BarsOf(UpstreamCode("7203"));
        QByteArray page = HistoryPageFor(query, HistoryFromStore(*bars.value, query.end), 50);
        benchmark::DoNotOptimize(page);
    }
}

BENCHMARK_CAPTURE(BM_StorePage, daily, BarPeriod::Daily)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_StorePage, weekly, BarPeriod::Weekly)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_StorePage, monthly, BarPeriod::Monthly)->Unit(benchmark::kMicrosecond);

}  // namespace
