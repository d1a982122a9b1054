#include <QComboBox>
#include <QRadioButton>
#include <span>

#include "export/row_scaling.h"
#include "locale/numbers.h"
#include "retrieval/query_tables.h"
#include "service/expected_days.h"
#include "support/file_bytes.h"
#include "support/program_run.h"
#include "support/quote_service.h"
#include "ui/window_fixture.h"

using namespace ardentix;
using namespace ardentix::testing;

namespace {

using CommandLineAndWindow = WindowTest;

int IndexOf(std::span<const ScaleEntry> scales, int divisor) {
    return int(std::ranges::find(scales, divisor, &ScaleEntry::divisor) - scales.begin());
}

// The window saves the bars the quote service served; the tool, given the same inputs, writes
// the same bytes.
TEST_F(CommandLineAndWindow, SaveWhatTheQuoteServiceServed) {
    today = QDate(2024, 5, 17);
    QuoteService service;
    // What the daily case must save: the generated bars, volume in thousands, halves to even.
    const auto rows = ExpectedDays({"7203", ".t"}, RangeStart(today, Period::Daily), today);
    QByteArray file;
    for (const QuoteRow& r : std::span(rows.data(), std::min<size_t>(rows.size(), kMaxRows))) {
        file += r.ymd.toLatin1();
        for (qint32 price : {r.open, r.high, r.low, r.close}) {
            file += ',' + QByteArray::number(price);
        }
        file += ',' + QByteArray::number(*RoundHalfEven32(r.volume / 1000.0)) + "\r\n";
    }
    const struct {
        const char *code, *period, *periodName, *marketName;
        int market, price, volume, ymdForm;
    } cases[] = {
        {"7203", "optG_0", "daily", "auto", 0, 1, 1000, 0},
        {"7204", "optG_1", "weekly", "osaka", 2, 10, 1, 1},
        {"7208", "optG_2", "monthly", "nasdaq", 7, 1000, 1000000, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        prompts.calls.clear();
        window = Open(dir.path(), service.host(), 30000);
        ASSERT_NE(window, nullptr);
        TypeCode(c.code);
        W<QComboBox>("cmbCat")->setCurrentIndex(c.market);
        W<QRadioButton>(c.period)->setChecked(true);
        Click("cmdDwn");
        ASSERT_TRUE(prompts.calls.empty());
        W<QComboBox>("cmbVbase_0")->setCurrentIndex(IndexOf(kPriceScales, c.price));
        W<QComboBox>("cmbVbase_1")->setCurrentIndex(IndexOf(kVolumeScales, c.volume));
        W<QComboBox>("cmbYmdForm")->setCurrentIndex(c.ymdForm);
        prompts.fileNames = {dir.filePath("window.csv")};
        Click("cmdPath");
        const QByteArray saved = ReadBytes(dir.filePath("window.csv"));

        const auto run = RunProgram(
            ARDENTIX_GET_PROGRAM,
            {"--market", c.marketName, "--period", c.periodName, "--end", "2024-05-17",
             "--price-scale", QString::number(c.price), "--volume-scale", QString::number(c.volume),
             "--date-form", c.ymdForm == 0 ? "yymmdd" : "kanji", "--out", "-", "--host",
             service.host(), c.code});
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_GT(saved.count("\r\n"), 300);
        EXPECT_EQ(run.out, saved);
        if (c.ymdForm == 0) {
            EXPECT_EQ(saved, file);
        }
    }
}

}  // namespace
