// The chart window over 500 listed rows: the time from the end of a run or a scale change
// (ShowList, which refills the list and redraws the open chart) to the chart painted, the time
// to open it, and the resident memory the open chart adds to the window.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtCharts/QCandlestickSeries>

#include "support/scripted_prompts.h"
#include "ui/chart_window.h"
#include "ui/frmMain.h"

namespace {

double ResidentMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024;  // kB
        }
    }
    return 0;
}

// The main window with 500 daily rows listed, as at the end of a run.
struct ListedWindow {
    QTemporaryDir dir;
    ardentix::testing::ScriptedPrompts prompts;
    std::unique_ptr<ardentix::frmMain> window;

    ListedWindow() {
        window = ardentix::frmMain::Create(
            {dir.path(), QString(), [] { return QDate(2024, 5, 17); }, prompts});
        auto& table = window->quoteTable();
        QDate day(2024, 5, 17);
        qint32 close = 1500;
        for (int i = 0; i < ardentix::kMaxRows; ++i, day = day.addDays(-1)) {
            const qint32 open = close + (i * 7919 % 41) - 20;
            table.rawRows[i] = {day.toString(QStringLiteral("yyMMdd")),
                                open,
                                std::max(open, close) + i % 13,
                                std::min(open, close) - i % 11,
                                close,
                                double(1000000 + i * 7919 % 500000),
                                close};
            close = open + (i * 104729 % 31) - 15;
        }
        table.rowCount = ardentix::kMaxRows;
        window->show();
        window->ShowList();
        QCoreApplication::processEvents();
    }
    ardentix::ChartWindow* chart() const { return window->findChild<ardentix::ChartWindow*>(); }
    // Opens (or redraws) the chart and paints it before returning.
    void Paint() const {
        QCoreApplication::processEvents();
        chart()->repaint();
    }
};

// Registered first, so that Qt Charts has not been loaded by another benchmark yet.
void BM_ChartOpenMemory(benchmark::State& state) {
    ListedWindow listed;
    double before = 0;
    double after = 0;
    for (auto _ : state) {
        before = ResidentMiB();
        listed.window->ShowChart();
        listed.Paint();
        after = ResidentMiB();
    }
    for (int i = 0; i < 20; ++i) {
        listed.window->ShowList();
        listed.Paint();
    }
    state.counters["rss_before_MiB"] = before;
    state.counters["rss_added_MiB"] = after - before;
    state.counters["rss_added_after_20_redraws_MiB"] = ResidentMiB() - before;
}
BENCHMARK(BM_ChartOpenMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

// The run's start has cleared the chart; its end lists the rows and draws them.
void BM_RunEndToChartPainted500(benchmark::State& state) {
    ListedWindow listed;
    listed.window->ShowChart();
    listed.Paint();
    for (auto _ : state) {
        state.PauseTiming();
        listed.chart()->Clear();
        listed.Paint();
        state.ResumeTiming();
        listed.window->ShowList();
        listed.Paint();
    }
    state.counters["candles"] = listed.chart()->candles().count();
}
BENCHMARK(BM_RunEndToChartPainted500)->Unit(benchmark::kMillisecond)->UseRealTime();

// A scale change replaces 500 drawn candles.
void BM_ScaleChangeToChartPainted500(benchmark::State& state) {
    ListedWindow listed;
    listed.window->ShowChart();
    listed.Paint();
    for (auto _ : state) {
        listed.window->ShowList();
        listed.Paint();
    }
}
BENCHMARK(BM_ScaleChangeToChartPainted500)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FirstOpenToChartPainted500(benchmark::State& state) {
    ListedWindow listed;
    for (auto _ : state) {
        state.PauseTiming();
        delete listed.chart();
        state.ResumeTiming();
        listed.window->ShowChart();
        listed.Paint();
    }
}
BENCHMARK(BM_FirstOpenToChartPainted500)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
