#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "export/row_scaling.h"
#include "service/service_harness.h"
#include "support/file_bytes.h"
#include "support/scripted_prompts.h"
#include "ui/frmMain.h"

using namespace ardentix;

namespace {

// The tool and the window, given the same inputs, save the same bytes.
TEST(CommandLineAndWindow, SaveTheSameFile) {
    service_test::RunningService service;
    const QString host = QStringLiteral("127.0.0.1:%1").arg(service.port());
    const auto indexOf = [](const auto& scales, int divisor) {
        return int(std::find_if(scales.begin(), scales.end(),
                                [&](const ScaleEntry& e) { return e.divisor == divisor; }) -
                   scales.begin());
    };
    const struct {
        const char* code;
        int market;
        const char* marketName;
        int period;
        const char* periodName;
        int price, volume, ymdForm;
    } cases[] = {
        {"7203", 0, "auto", 0, "daily", 1, 1000, 0},
        {"7204", 2, "osaka", 1, "weekly", 10, 1, 1},
        {"7208", 7, "nasdaq", 2, "monthly", 1000, 1000000, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        QTemporaryDir dir;
        ardentix::testing::ScriptedPrompts prompts;
        auto window =
            frmMain::Create({dir.path(), host, [] { return QDate(2024, 5, 17); }, prompts});
        ASSERT_NE(window, nullptr);
        window->show();
        QTest::keyClicks(window->findChild<QLineEdit*>("txtCD"), c.code);
        window->findChild<QComboBox*>("cmbCat")->setCurrentIndex(c.market);
        window->findChild<QRadioButton*>(QStringLiteral("optG_%1").arg(c.period))->setChecked(true);
        QTest::mouseClick(window->findChild<QPushButton*>("cmdDwn"), Qt::LeftButton);
        ASSERT_TRUE(prompts.calls.empty());
        window->findChild<QComboBox*>("cmbVbase_0")
            ->setCurrentIndex(indexOf(kPriceScales, c.price));
        window->findChild<QComboBox*>("cmbVbase_1")
            ->setCurrentIndex(indexOf(kVolumeScales, c.volume));
        window->findChild<QComboBox*>("cmbYmdForm")->setCurrentIndex(c.ymdForm);
        prompts.fileNames = {dir.filePath("window.csv")};
        QTest::mouseClick(window->findChild<QPushButton*>("cmdPath"), Qt::LeftButton);

        const auto run = service_test::RunProgram(
            ARDENTIX_GET_PROGRAM,
            {"--market", c.marketName, "--period", c.periodName, "--end", "2024-05-17",
             "--price-scale", QString::number(c.price), "--volume-scale", QString::number(c.volume),
             "--date-form", c.ymdForm == 0 ? "yymmdd" : "kanji", "--out", "-", "--host", host,
             c.code});
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        const QByteArray saved = ardentix::testing::ReadBytes(dir.filePath("window.csv"));
        EXPECT_GT(saved.count("\r\n"), 300);
        EXPECT_EQ(run.out, saved);
    }
}

}  // namespace
