#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <QtCharts/QBarSet>
#include <QtCharts/QCandlestickSeries>
#include <QtCharts/QCandlestickSet>
#include <QtCharts/QChartView>
#include <functional>

#include "core/page_builder.h"
#include "locale/numbers.h"
#include "locale/patterns.h"
#include "support/canned_server.h"
#include "support/scripted_prompts.h"
#include "ui/chart_window.h"
#include "ui/frmMain.h"

using namespace ardentix;
using namespace ardentix::testing;

namespace {

const QDate kToday(2024, 1, 5);
const QString k203 = QStringLiteral("データ件数０でした。");

QByteArray Page(int rows, int seed, bool next) {
    PageShape shape;
    shape.rows = SampleRows(Period::Daily, kToday.addDays(-7 * seed), rows, seed, 1000);
    if (next) {
        shape.nextLink = QStringLiteral("次の50件");
    }
    return BuildPage(shape);
}

class WindowDownload : public ::testing::Test {
protected:
    void SetUp() override {
        window = frmMain::Create(
            {dir.path(), server.host(), [] { return kToday; }, prompts, /*fetchTimeoutMs=*/2000});
        ASSERT_NE(window, nullptr);
        window->show();
    }

    template <class T>
    T* Find(const char* name) const {
        auto* widget = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QString Count() const { return Find<QLabel>("lblCount")->text(); }
    int ListLines() const { return Find<QTreeWidget>("lvR")->topLevelItemCount(); }
    void Click(const char* name) { QTest::mouseClick(Find<QPushButton>(name), Qt::LeftButton); }
    void TypeCode(const QString& code) {
        Find<QLineEdit>("txtCD")->clear();
        QTest::keyClicks(Find<QLineEdit>("txtCD"), code);
    }

    // The inputs a run locks, as (name, usable) pairs; the code box counts as usable when it
    // is not read-only.
    std::vector<std::pair<QString, bool>> Inputs() const {
        std::vector<std::pair<QString, bool>> out;
        out.emplace_back("txtCD", !Find<QLineEdit>("txtCD")->isReadOnly());
        for (const char* name : {"cmbCat", "dtpYmd", "cmdPath", "optG_0", "optG_1", "optG_2",
                                 "cmdDwn", "cmbVbase_0", "cmbVbase_1", "cmbYmdForm"}) {
            out.emplace_back(name, Find<QWidget>(name)->isEnabled());
        }
        return out;
    }
    static std::vector<std::pair<QString, bool>> AllUsable() {
        std::vector<std::pair<QString, bool>> out;
        for (const char* name : {"txtCD", "cmbCat", "dtpYmd", "cmdPath", "optG_0", "optG_1",
                                 "optG_2", "cmdDwn", "cmbVbase_0", "cmbVbase_1", "cmbYmdForm"}) {
            out.emplace_back(name, true);
        }
        return out;
    }

    // Runs `probe` once while the run is at work with at least `rows` rows stored.
    void DuringRun(int rows, std::function<void()> probe) {
        auto* timer = new QTimer(window.get());
        timer->setInterval(0);
        QObject::connect(timer, &QTimer::timeout, window.get(), [=, this] {
            if (window->IsBusy() && window->quoteTable().rowCount >= rows) {
                timer->stop();
                probe();
            }
        });
        timer->start();
    }

    QStringList Texts() const {
        QStringList out;
        for (const auto& c : prompts.calls) {
            out << c.text;
        }
        return out;
    }

    CannedServer server;
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    std::unique_ptr<frmMain> window;
};

TEST_F(WindowDownload, ListsEveryPageAndUnlocksAfterwards) {
    server.Push(Page(50, 1, true));
    server.Push(Page(30, 2, false));
    TypeCode("7203");
    Click("cmdDwn");
    EXPECT_EQ(Count(), QStringLiteral("80行読込み"));
    EXPECT_EQ(ListLines(), 80);
    EXPECT_EQ(Find<QLabel>("lblMei")->text(), QStringLiteral(" 7203 自動 ディリー"));
    EXPECT_EQ(server.targets().size(), 2u);
    EXPECT_TRUE(server.targets()[1].contains(u"&y=50&"));
    EXPECT_TRUE(prompts.calls.empty());
    EXPECT_EQ(Inputs(), AllUsable());
    EXPECT_FALSE(window->IsBusy());
    EXPECT_EQ(window->startDate(), QDate(2021, 10, 27));
}

TEST_F(WindowDownload, DuringARunInputsAreLockedAndSecondClicksAndClosesDoNothing) {
    server.Push(Page(50, 1, true));
    server.Push(Page(50, 2, true));
    server.Push(Page(10, 3, false));
    TypeCode("7203");
    Find<QRadioButton>("optG_1")->setChecked(true);
    std::vector<std::pair<QString, bool>> during;
    bool visibleAfterClose = false;
    int listedAtYield = -1;
    QString firstPriceAtYield;
    DuringRun(50, [&] {
        during = Inputs();
        Click("cmdDwn");  // turned away by the busy flag
        window->close();  // refused silently
        visibleAfterClose = window->isVisible();
        Find<QComboBox>("cmbVbase_0")->setCurrentIndex(1);  // price 1/10: lists rows so far
        listedAtYield = ListLines();
        firstPriceAtYield = Find<QTreeWidget>("lvR")->topLevelItem(0)->text(1);
    });
    Click("cmdDwn");

    const std::vector<std::pair<QString, bool>> locked = {
        {"txtCD", false},     {"cmbCat", false},    {"dtpYmd", false},   {"cmdPath", false},
        {"optG_0", false},    {"optG_1", true},     {"optG_2", false},   {"cmdDwn", true},
        {"cmbVbase_0", true}, {"cmbVbase_1", true}, {"cmbYmdForm", true}};
    EXPECT_EQ(during, locked);
    EXPECT_TRUE(Find<QLineEdit>("txtCD")->focusPolicy() != Qt::NoFocus);
    EXPECT_TRUE(visibleAfterClose);
    EXPECT_GE(listedAtYield, 50);
    const QuoteTable& table = window->quoteTable();
    EXPECT_EQ(firstPriceAtYield,
              FormatGrouped(qint64(*RoundHalfEven32(table.rawRows[0].open / 10.0))));
    EXPECT_EQ(server.targets().size(), 3u);  // the second click asked for nothing
    EXPECT_TRUE(prompts.calls.empty());
    EXPECT_EQ(ListLines(), 110);
    EXPECT_EQ(Find<QComboBox>("cmbVbase_0")->currentIndex(), 1);
    EXPECT_EQ(table.shownRows[109].open, *RoundHalfEven32(table.rawRows[109].open / 10.0));
    EXPECT_EQ(Inputs(), AllUsable());
    EXPECT_EQ(Find<QLabel>("lblMei")->text(), QStringLiteral(" 7203 自動 週 足"));

    window->close();  // accepted once the run is over
    EXPECT_FALSE(window->isVisible());
}

TEST_F(WindowDownload, ABlankCodeClearsTheLastResultAndAsksForACode) {
    server.Push(Page(20, 1, false));
    TypeCode("7203");
    Click("cmdDwn");
    ASSERT_EQ(ListLines(), 20);
    Find<QComboBox>("cmbVbase_0")->setCurrentIndex(2);
    Find<QComboBox>("cmbVbase_1")->setCurrentIndex(3);
    TypeCode("  ");
    Click("cmdDwn");
    EXPECT_EQ(Texts(), QStringList({"コードを入力してください。"}));
    EXPECT_EQ(prompts.calls[0].title, QStringLiteral("株価取得"));
    EXPECT_EQ(ListLines(), 0);
    EXPECT_EQ(Count(), QStringLiteral("0行読込み"));
    EXPECT_TRUE(Find<QLabel>("lblMei")->text().isEmpty());
    EXPECT_EQ(Find<QComboBox>("cmbVbase_0")->currentIndex(), 0);
    EXPECT_EQ(Find<QComboBox>("cmbVbase_1")->currentIndex(), 0);
    EXPECT_EQ(window->VolumeDivisor(), 1000);
    EXPECT_EQ(server.targets().size(), 1u);
    EXPECT_EQ(Inputs(), AllUsable());
    EXPECT_FALSE(window->IsBusy());
}

TEST_F(WindowDownload, EveryFailedRunReportsAndUnlocks) {
    struct Case {
        const char* name;
        std::vector<std::pair<QByteArray, CannedServer::Mode>> pages;
        QStringList texts;
        int rows;
        const char16_t* count;
    };
    const QString k200 = QStringLiteral("株価データ取得に失敗しました。");
    const QString k202 = QStringLiteral("この条件ではデータがありませんでした。");
    const auto normal = CannedServer::Mode::Normal;
    const std::vector<Case> cases = {
        {"short body on page 3",
         {{Page(50, 1, true), normal}, {Page(50, 2, true), normal}, {"ab", normal}},
         {k200, k203},
         0,
         u"データ読込み失敗"},
        {"no table on page 3 keeps the rows",
         {{Page(50, 1, true), normal}, {Page(50, 2, true), normal}, {"<html></html>", normal}},
         {k202},
         100,
         u"100行読込み"},
        {"no table at all", {{"<html></html>", normal}}, {k202, k203}, 0, u"データ読込み失敗"},
        {"stalled page 2",
         {{Page(50, 1, true), normal}, {Page(50, 2, true), CannedServer::Mode::Stall}},
         {QString(), k203},
         0,
         u"データ読込み失敗"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CannedServer local;
        ScriptedPrompts localPrompts;
        auto w =
            frmMain::Create({dir.path(), local.host(), [] { return kToday; }, localPrompts, 300});
        ASSERT_NE(w, nullptr);
        for (const auto& [body, mode] : c.pages) {
            local.Push(body, mode);
        }
        // The busy pointer stands over the window only, never over the boxes the run opens.
        QStringList pointers;
        localPrompts.whileOpen = [&] {
            pointers << (QGuiApplication::overrideCursor()       ? "application"
                         : w->cursor().shape() == Qt::WaitCursor ? "window"
                                                                 : "none");
        };
        QTest::keyClicks(w->findChild<QLineEdit*>("txtCD"), "7203");
        QTest::mouseClick(w->findChild<QPushButton*>("cmdDwn"), Qt::LeftButton);
        EXPECT_EQ(pointers, QStringList(c.texts.size(), "window"));
        EXPECT_NE(w->cursor().shape(), Qt::WaitCursor);
        QStringList texts;
        for (const auto& call : localPrompts.calls) {
            texts << (call.style == 16 ? QString() : call.text);
        }
        EXPECT_EQ(texts, c.texts);
        EXPECT_EQ(w->quoteTable().rowCount, c.rows);
        EXPECT_EQ(w->findChild<QTreeWidget*>("lvR")->topLevelItemCount(), c.rows);
        EXPECT_EQ(w->findChild<QLabel*>("lblCount")->text(), QString::fromUtf16(c.count));
        EXPECT_FALSE(w->IsBusy());
        EXPECT_FALSE(w->findChild<QLineEdit*>("txtCD")->isReadOnly());
        for (const char* name : {"cmbCat", "dtpYmd", "cmdPath", "optG_1", "optG_2"}) {
            EXPECT_TRUE(w->findChild<QWidget*>(name)->isEnabled()) << name;
        }
    }
}

TEST_F(WindowDownload, AFailedRunLeavesTheListEmptyEvenAfterAScaleChangeMidRun) {
    server.Push(Page(50, 1, true));
    server.Push("ab");
    TypeCode("7203");
    int listedMidRun = 0;
    DuringRun(50, [&] {
        Find<QComboBox>("cmbVbase_1")->setCurrentIndex(1);
        listedMidRun = ListLines();
    });
    Click("cmdDwn");
    EXPECT_EQ(listedMidRun, 50);
    EXPECT_EQ(ListLines(), 0);
    EXPECT_TRUE(Find<QLabel>("lblMei")->text().isEmpty());
    EXPECT_EQ(Count(), QStringLiteral("データ読込み失敗"));
    EXPECT_EQ(window->quoteTable().rowCount, 0);
}

TEST_F(WindowDownload, TheChartWindowOpensOnTheListedRowsAndFollowsEachRun) {
    auto* list = Find<QTreeWidget>("lvR");
    ASSERT_EQ(list->actions().size(), 1);
    QAction* menuEntry = list->actions()[0];
    EXPECT_EQ(menuEntry->text(), QStringLiteral("チャート表示"));
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"Ctrl+G",
         [&] { QTest::keyClick(Find<QLineEdit>("txtCD"), Qt::Key_G, Qt::ControlModifier); }},
        {"double-click", [&] { QTest::mouseDClick(list->viewport(), Qt::LeftButton); }},
        {"menu", [&] { menuEntry->trigger(); }},
    };
    const auto chart = [&] { return window->findChild<ChartWindow*>(); };
    for (const auto& [name, open] : ways) {
        open();
        EXPECT_EQ(chart(), nullptr) << name << " opened a chart of no rows";
    }
    // The candles and volume bars against the listed rows, oldest first.
    const auto drawsTheList = [&] {
        const QuoteTable& table = window->quoteTable();
        const auto sets = chart()->candles().sets();
        if (sets.size() != list->topLevelItemCount() ||
            chart()->volumes().count() != list->topLevelItemCount()) {
            return false;
        }
        for (int i = 0; i < sets.size(); ++i) {
            const QuoteRow& row = table.shownRows[sets.size() - 1 - i];
            if (sets[i]->open() != row.open || sets[i]->high() != row.high ||
                sets[i]->low() != row.low || sets[i]->close() != row.close ||
                chart()->volumes().at(i) != row.volume) {
                return false;
            }
        }
        return chart()->windowTitle() == Find<QLabel>("lblMei")->text();
    };

    // A run of 20 rows, one that fails after 50, one of 30.
    server.Push(Page(20, 1, false));
    server.Push(Page(50, 2, true));
    server.Push("ab");
    server.Push(Page(30, 3, false));
    TypeCode("7203");
    Click("cmdDwn");
    for (const auto& [name, open] : ways) {
        SCOPED_TRACE(name);
        if (chart()) {
            chart()->close();
        }
        open();
        ASSERT_NE(chart(), nullptr);
        EXPECT_TRUE(chart()->isVisible());
        EXPECT_TRUE(window->isEnabled());  // not modal
        EXPECT_EQ(window->findChildren<ChartWindow*>().size(), 1);
        EXPECT_TRUE(drawsTheList());
    }
    // The pointer over candle 10 of 20 shows list line 9 as the list writes it.
    QChartView* prices = chart()->findChildren<QChartView*>().at(0);
    const QCandlestickSet* candle = chart()->candles().sets()[10];
    const QPoint at = prices->mapFromScene(prices->chart()->mapToScene(
        prices->chart()->mapToPosition(QPointF(10, (candle->open() + candle->close()) / 2))));
    QMouseEvent move(QEvent::MouseMove, at, prices->viewport()->mapToGlobal(at), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(prices->viewport(), &move);
    const QTreeWidgetItem* line = list->topLevelItem(9);
    EXPECT_EQ(QToolTip::text(),
              QStringLiteral("%1\n開始値 %2\n高値 %3\n安値 %4\n終値 %5\n出来高 %6")
                  .arg(line->text(0), line->text(1), line->text(2), line->text(3), line->text(4),
                       line->text(5)));

    Find<QComboBox>("cmbVbase_0")->setCurrentIndex(1);
    EXPECT_TRUE(drawsTheList());
    EXPECT_EQ(chart()->candles().sets().last()->open(),
              *RoundHalfEven32(window->quoteTable().rawRows[0].open / 10.0));

    // A run that starts clears the chart; one that fails leaves it saying so.
    int candlesMidRun = -1;
    DuringRun(50, [&] { candlesMidRun = chart()->candles().count(); });
    Click("cmdDwn");
    EXPECT_EQ(candlesMidRun, 0);
    EXPECT_TRUE(chart()->showsNoData());
    EXPECT_EQ(chart()->candles().count(), 0);
    EXPECT_TRUE(chart()->isVisible());

    Click("cmdDwn");
    EXPECT_FALSE(chart()->showsNoData());
    EXPECT_TRUE(drawsTheList());
    EXPECT_EQ(chart()->candles().count(), 30);

    window->close();
    EXPECT_FALSE(chart()->isVisible());
}

TEST_F(WindowDownload, TheChartIsSavedAsAPngAndAFailedSaveIsReported) {
    server.Push(Page(20, 1, false));
    TypeCode("7203");
    Click("cmdDwn");
    window->ShowChart();
    ChartWindow* chart = window->findChild<ChartWindow*>();
    ASSERT_NE(chart, nullptr);
    const QString path = dir.filePath("chart.png");
    prompts.fileNames = {path, path + "/through-a-file.png"};
    chart->saveAction()->trigger();
    ASSERT_EQ(prompts.calls.size(), 1u);
    const SaveDialogRequest& request = prompts.calls[0].save;
    EXPECT_EQ(request.proposedName, QStringLiteral("zubD7203.png"));
    EXPECT_EQ(request.initialDirectory, dir.path());
    const QImage picture(path, "PNG");
    EXPECT_FALSE(picture.isNull());

    chart->saveAction()->trigger();
    ASSERT_EQ(prompts.messages().size(), 1u);
    EXPECT_EQ(prompts.messages()[0].style, 16);
    EXPECT_FALSE(prompts.messages()[0].text.isEmpty());
    EXPECT_EQ(QImage(path, "PNG"), picture);
}

}  // namespace
