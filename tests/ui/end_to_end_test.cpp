#include <gtest/gtest.h>

#include <QPushButton>
#include <QRadioButton>
#include <span>

#include "locale/numbers.h"
#include "retrieval/query_tables.h"
#include "service/expected_bars.h"
#include "service/service_harness.h"
#include "support/file_bytes.h"
#include "ui/window_fixture.h"

using namespace ardentix;

namespace {

using EndToEnd = ardentix::testing::WindowTest;

// The window downloads from the quote service in every period and saves what it served, under
// its start-up scales (volume in thousands) and date form.
TEST_F(EndToEnd, DownloadsFromTheQuoteServiceAndSavesWhatItServed) {
    today = QDate(2024, 5, 17);
    const auto daily = service_test::GeneratedDaily({"7203", ".t"}, today);
    service_test::RunningService service;
    for (const char* option : {"optG_0", "optG_1", "optG_2"}) {
        SCOPED_TRACE(option);
        prompts.calls.clear();
        window = Open(dir.path(), QStringLiteral("127.0.0.1:%1").arg(service.port()), 30000);
        ASSERT_NE(window, nullptr);
        TypeCode("7203");
        W<QRadioButton>(option)->setChecked(true);
        Click("cmdDwn");

        const Period period = window->SelectedPeriod();
        const auto expected =
            service_test::ExpectedRows(daily, RangeStart(today, period), today, period);
        const int rows = std::min<int>(expected.size(), kMaxRows);
        ASSERT_GT(rows, 300);
        EXPECT_TRUE(prompts.calls.empty());
        EXPECT_EQ(ListLines(), rows);

        QByteArray file;
        for (const QuoteRow& r : std::span(expected.data(), rows)) {
            file += r.ymd.toLatin1();
            for (qint32 price : {r.open, r.high, r.low, r.close}) {
                file += ',' + QByteArray::number(price);
            }
            file += ',' + QByteArray::number(*RoundHalfEven32(r.volume / 1000.0)) + "\r\n";
        }
        prompts.fileNames = {dir.filePath("export.csv")};
        Click("cmdPath");
        EXPECT_EQ(ardentix::testing::ReadBytes(dir.filePath("export.csv")), file);
    }
}

}  // namespace
