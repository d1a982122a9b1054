// A full 500-row daily run of the window against the local quote service on loopback: wall
// time per run and the longest stretch in which the window's event loop served nothing.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include "support/quote_service.h"
#include "support/scripted_prompts.h"
#include "ui/frmMain.h"

namespace {

void BM_WindowRun500Rows(benchmark::State& state) {
    ardentix::testing::QuoteService service;
    QTemporaryDir dir;
    ardentix::testing::ScriptedPrompts prompts;
    auto window = ardentix::frmMain::Create(
        {dir.path(), service.host(), [] { return QDate(2024, 5, 17); }, prompts});
    window->show();
    window->findChild<QLineEdit*>("txtCD")->setText(QStringLiteral("7203"));

    // A zero-interval timer fires on every pass of the event loop; the longest gap between two
    // firings is the longest time the window could not paint or take input.
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longestGapNs = 0;
    QTimer heartbeat;
    heartbeat.setInterval(0);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longestGapNs = std::max(longestGapNs, now - last);
        last = now;
    });

    qint64 worstStallNs = 0;
    int rows = 0;
    for (auto _ : state) {
        longestGapNs = 0;
        clock.start();
        last = 0;
        if (state.range(0) != 0) {
            heartbeat.start();
        }
        window->cmdDwn_Click();
        // The gap that ends the run (ShowList) counts too.
        longestGapNs = std::max(longestGapNs, clock.nsecsElapsed() - last);
        heartbeat.stop();
        worstStallNs = std::max(worstStallNs, longestGapNs);
        rows = window->quoteTable().rowCount;
    }
    state.counters["rows"] = rows;
    if (state.range(0) != 0) {
        state.counters["worst_stall_ms"] = worstStallNs / 1e6;
    }
    state.counters["messages"] = double(prompts.calls.size());
}
// Arg 1 measures the stalls; arg 0 runs without the heartbeat, whose own work is then left out
// of the wall time.
BENCHMARK(BM_WindowRun500Rows)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);

}  // namespace
