#include <benchmark/benchmark.h>

#include <QDate>
#include <memory>

#include "page_builder.h"
#include "parse/page_parser.h"

using namespace ardentix;
using namespace ardentix::testing;

namespace {

const QDate kEnd(2003, 12, 5);

// One page of state.range(0) daily rows, half of them before a split, with a next-page link.
void BM_ParsePage(benchmark::State& state) {
    const int rows = int(state.range(0));
    PagingState paging;
    paging.pageBytes = BuildPage({.rows = SampleRows(QDate(2003, 12, 5), rows, 1, rows / 2),
                                  .nextLink = QStringLiteral("次の50件")});
    const int lastIndex = int(paging.pageBytes.size()) - 2;
    auto table = std::make_unique<QuoteTable>();

    if (!ParsePage(*table, paging, lastIndex, Period::Daily, kEnd).ok || table->rowCount != rows) {
        state.SkipWithError("the page does not parse");
        return;
    }
    for (auto _ : state) {
        table->rowCount = 0;
        PageOutcome outcome = ParsePage(*table, paging, lastIndex, Period::Daily, kEnd);
        benchmark::DoNotOptimize(outcome);
    }
    state.SetBytesProcessed(state.iterations() * paging.pageBytes.size());
    state.counters["rows"] =
        benchmark::Counter(double(state.iterations()) * rows, benchmark::Counter::kIsRate);
}

BENCHMARK(BM_ParsePage)->Arg(50)->Arg(500)->Unit(benchmark::kMicrosecond);

}  // namespace
