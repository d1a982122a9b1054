#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "locale/numbers.h"
#include "retrieval/query_tables.h"
#include "service/expected_bars.h"
#include "service/service_harness.h"
#include "support/scripted_prompts.h"
#include "ui/frmMain.h"

using namespace ardentix;

namespace {

// The file the window should save under its start-up scales (prices as they are, volume in
// thousands) and the yymmdd date form.
QByteArray ExpectedFile(const std::vector<QuoteRow>& rows) {
    QByteArray out;
    for (size_t i = 0; i < rows.size() && i < size_t(kMaxRows); ++i) {
        const QuoteRow& r = rows[i];
        out += r.ymd.toLatin1();
        for (qint32 price : {r.open, r.high, r.low, r.close}) {
            out += ',' + QByteArray::number(price);
        }
        out += ',' + QByteArray::number(*RoundHalfEven32(r.volume / 1000.0)) + "\r\n";
    }
    return out;
}

TEST(EndToEnd, DownloadsFromTheQuoteServiceAndSavesWhatItServed) {
    const QDate today(2024, 5, 17);
    const quote_service::Listing listing{"7203", ".t"};
    const auto daily = service_test::GeneratedDaily(listing, today);
    service_test::RunningService service;

    const std::pair<const char*, Period> periods[] = {
        {"optG_0", Period::Daily}, {"optG_1", Period::Weekly}, {"optG_2", Period::Monthly}};
    for (const auto& [option, period] : periods) {
        SCOPED_TRACE(option);
        QTemporaryDir dir;
        ardentix::testing::ScriptedPrompts prompts;
        auto window =
            frmMain::Create({dir.path(), QStringLiteral("127.0.0.1:%1").arg(service.port()),
                             [&] { return today; }, prompts});
        ASSERT_NE(window, nullptr);
        window->show();
        QTest::keyClicks(window->findChild<QLineEdit*>("txtCD"), "7203");
        window->findChild<QRadioButton*>(option)->setChecked(true);
        QTest::mouseClick(window->findChild<QPushButton*>("cmdDwn"), Qt::LeftButton);

        const auto expected =
            service_test::ExpectedRows(daily, RangeStart(today, period), today, period);
        const int rows = std::min<int>(expected.size(), kMaxRows);
        ASSERT_GT(rows, 300);
        EXPECT_TRUE(prompts.calls.empty());
        EXPECT_EQ(window->quoteTable().rowCount, rows);
        EXPECT_EQ(window->findChild<QTreeWidget*>("lvR")->topLevelItemCount(), rows);

        const QString path = dir.filePath("export.csv");
        prompts.fileNames = {path};
        QTest::mouseClick(window->findChild<QPushButton*>("cmdPath"), Qt::LeftButton);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), ExpectedFile(expected));
    }
}

}  // namespace
