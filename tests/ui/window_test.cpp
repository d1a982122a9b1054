#include <gtest/gtest.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QtCharts/QBarSet>
#include <QtCharts/QCandlestickSeries>
#include <QtCharts/QCandlestickSet>
#include <QtCharts/QChartView>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <functional>
#include <span>

#include "app/message_catalogue.h"
#include "app/settings_file.h"
#include "core/page_builder.h"
#include "locale/numbers.h"
#include "retrieval/query_tables.h"
#include "service/expected_days.h"
#include "support/canned_server.h"
#include "support/file_bytes.h"
#include "support/program_run.h"
#include "support/quote_service.h"
#include "support/scripted_prompts.h"
#include "ui/chart_window.h"
#include "ui/frmMain.h"
#include "ui/widget_prompts.h"

using namespace ardentix;
using namespace ardentix::testing;

namespace {

class Window : public ::testing::Test {
protected:
    std::unique_ptr<frmMain> Open(const QString& settingsDir, const QString& host = "127.0.0.1:9",
                                  int timeoutMs = 2000) {
        WindowContext context{settingsDir, host, [this] { return today; }, prompts, timeoutMs};
        context.exportDirectory = exports.path();
        return frmMain::Create(context);
    }
    template <class T = QWidget>
    T* W(const char* name) const {
        auto* widget = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QString Text(const char* label) const { return W<QLabel>(label)->text(); }
    int ListLines() const { return W<QTreeWidget>("lvR")->topLevelItemCount(); }
    QStringList Line(int index) const {
        QStringList texts;
        for (int column = 0; column < 6; ++column) {
            texts << W<QTreeWidget>("lvR")->topLevelItem(index)->text(column);
        }
        return texts;
    }
    void Click(const char* name) { QTest::mouseClick(W<QPushButton>(name), Qt::LeftButton); }
    void TypeCode(const QString& code) {
        W<QLineEdit>("txtCD")->clear();
        QTest::keyClicks(W<QLineEdit>("txtCD"), code);
    }
    void SetUp() override {
        window = Open(dir.path(), server.host());
        ASSERT_NE(window, nullptr);
        window->show();
        TypeCode("7203");
    }
    void TearDown() override {  // no box of a closing window may call into a finished test
        prompts.whileOpen = nullptr;
        window.reset();
    }
    void PutRows(std::initializer_list<QuoteRow> rows) {
        window->quoteTable().Clear();
        std::ranges::copy(rows, window->quoteTable().rawRows.begin());
        window->quoteTable().rowCount = int(rows.size());
        window->ShowList();
    }

    // Which of the inputs a run locks are usable; the code box counts when not read-only.
    QString Usable() const {
        QString out = W<QLineEdit>("txtCD")->isReadOnly() ? "-" : "+";
        for (const char* name : {"cmbCat", "dtpYmd", "cmdPath", "optG_0", "optG_1", "optG_2",
                                 "cmdDwn", "cmbVbase_0", "cmbVbase_1", "cmbYmdForm"}) {
            out += W(name)->isEnabled() ? "+" : "-";
        }
        return out;
    }

    // Runs `probe` once while the run is at work with `rows` rows stored and `asked` requests
    // received, or more.
    void DuringRun(int rows, size_t asked, std::function<void()> probe) {
        auto* timer = new QTimer(window.get());
        QObject::connect(timer, &QTimer::timeout, window.get(), [=, this] {
            if (window->IsBusy() && window->quoteTable().rowCount >= rows &&
                server.targets().size() >= asked) {
                timer->stop();
                probe();
            }
        });
        timer->start();
    }

    CannedServer server;
    QDate today{2024, 1, 5};
    QTemporaryDir dir;      // mervo.ini
    QTemporaryDir exports;  // where the save button proposes its file
    ScriptedPrompts prompts;
    std::unique_ptr<frmMain> window;
};

TEST_F(Window, StartsInJapaneseAsTheSettingsFileSaysAndTheDateFormRewritesIt) {
    EXPECT_EQ(W<QDateEdit>("dtpYmd")->date(), today);
    // Japanese under LANG=C too: months, a Sunday week, the save dialog's sizes and dates.
    const QCalendarWidget* calendar = W<QDateEdit>("dtpYmd")->calendarWidget();
    EXPECT_EQ(calendar->firstDayOfWeek(), Qt::Sunday);
    EXPECT_EQ(calendar->findChild<QToolButton*>("qt_calendar_monthbutton")->text(), "1月");
    WriteBytes(exports.filePath("a.csv"), "x");
    const auto dialog = NewSaveDialog(nullptr, {{}, {}, {"*.csv"}, exports.path(), {}});
    const auto* files = dialog->findChild<QTreeView*>("treeView");
    const auto cell = [&](int column) {
        return files->model()->index(0, column, files->rootIndex()).data().toString();
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return !cell(1).isEmpty() && !cell(3).isEmpty(); }));
    EXPECT_EQ(cell(1) + cell(3).mid(4, 1), "1 バイト/");  // not "1 bytes", "7 Dec 2026"
    EXPECT_EQ(window->VolumeDivisor(), 1000);
    const auto* list = W<QTreeWidget>("lvR");  // 3 and 2 fourteenths of its width:
    EXPECT_EQ(std::pair(list->columnWidth(0), list->columnWidth(5)), std::pair(106, 71));
    const QString stored = zidodu::IniPath(exports.path());
    WriteBytes(stored, zidodu::IniBytes(5));  // any form but 0 is the kanji form
    const auto other = Open(exports.path());
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->findChild<QComboBox*>("cmbYmdForm")->currentIndex(), 1);
    EXPECT_EQ(other->YmdForm(), 5);
    EXPECT_EQ(ReadBytes(stored), zidodu::IniBytes(5)) << "opening rewrote the file";
    for (const int form : {1, 0}) {
        W<QComboBox>("cmbYmdForm")->setCurrentIndex(form);
        EXPECT_EQ(ReadBytes(zidodu::IniPath(dir.path())), zidodu::IniBytes(form));
    }
    EXPECT_TRUE(prompts.calls.empty());
}

TEST_F(Window, SettingsFailureShowsOneBoxAndNoWindow) {
    window.reset();
    WriteBytes(dir.filePath("plain"), "x");
    WriteBytes(zidodu::IniPath(exports.path()), "YMDFORM=abc\r\n");
    EXPECT_EQ(Open(dir.filePath("plain/sub")), nullptr);
    EXPECT_EQ(Open(exports.path()), nullptr);
    EXPECT_EQ(prompts.Shown(true), (QStringList{*CatalogueText(102), *CatalogueText(103)}));
    EXPECT_TRUE(std::ranges::none_of(QApplication::topLevelWidgets(),
                                     [](QWidget* w) { return qobject_cast<frmMain*>(w); }));
}

TEST_F(Window, ScaleListsRedrawTheListFromTheRawRows) {
    W<QComboBox>("cmbVbase_1")->setCurrentIndex(4);  // no rows: only the divisor changes
    EXPECT_EQ(window->VolumeDivisor(), 10000);
    EXPECT_EQ(Text("lblMei"), QString());
    W<QComboBox>("cmbVbase_1")->setCurrentIndex(0);

    W<QComboBox>("cmbCat")->setCurrentIndex(1);
    PutRows({{"020315", 1234, 1250, 1200, 1245, 1234567, 1245},
             {"020300", 1, 1, 1, 1, 2500, 1},
             {"", 1, 1, 1, 1, 3500, 1}});
    using L = QStringList;
    EXPECT_EQ(Line(0), (L{"02年03月15日", "1,234", "1,250", "1,200", "1,245", "1,235"}));
    EXPECT_EQ(Line(1), (L{"02年03月00日", "1", "1", "1", "1", "2"}));
    EXPECT_EQ(Line(2), (L{"  年  月  日", "1", "1", "1", "1", "4"}));
    EXPECT_NE(W<QTreeWidget>("lvR")->topLevelItem(0)->textAlignment(1) & Qt::AlignRight, 0);
    EXPECT_EQ(Text("lblMei"), QStringLiteral(" 7203 東京 ディリー"));

    TypeCode("1234");  // the edited code and period are read as they stand at the redraw
    W<QRadioButton>("optG_2")->setChecked(true);
    W<QComboBox>("cmbVbase_0")->setCurrentIndex(1);
    EXPECT_EQ(Line(0), (L{"02年03月15日", "123", "125", "120", "124", "1,235"}));
    EXPECT_EQ(Text("lblMei"), QStringLiteral(" 1234 東京 月 足"));
    W<QComboBox>("cmbVbase_1")->setCurrentIndex(1);
    EXPECT_EQ(Line(0).value(5), QStringLiteral("1,234,567"));
}

TEST(MessageBox, StyleChoosesIconAndButtonsAndABlankTitleStaysBlank) {
    using B = QMessageBox;
    const std::tuple<int, B::Icon, B::StandardButtons> cases[] = {
        {16, B::Critical, B::Ok},
        {33, B::Question, B::Ok | B::Cancel},
        {64, B::Information, B::Ok}};
    for (const auto& [style, icon, buttons] : cases) {
        const auto box = NewMessageBox(nullptr, "x", style, QString());
        EXPECT_TRUE(box->icon() == icon && box->standardButtons() == buttons) << style;
        EXPECT_EQ(box->windowTitle(), " ");  // an empty one becomes the program's name
    }
    EXPECT_EQ(NewMessageBox(nullptr, "x", 0, "データ取得")->windowTitle(), "データ取得");
}

// Without rows, message 210 and no dialog. With rows, the default name in the export folder,
// a question before it is replaced, nothing written when cancelled, and an earlier file kept
// when the write fails.
TEST_F(Window, SavesTheListAskingBeforeReplacingAndKeepingWhatAFailedWriteWouldLose) {
    QString calls;  // the kind of each box or dialog: M(essage), Q(uestion), S(ave dialog)
    prompts.whileOpen = [&] { calls += "MQS"[int(prompts.calls.back().kind)]; };
    Click("cmdPath");
    EXPECT_EQ(calls, "M");
    EXPECT_EQ(prompts.Shown(),
              QStringList{"64 株価テキストファイル作成: 現在データはありません。"});

    PutRows({{"240105", 1234, 1250, 1220, 1240, 5000000, 1240},
             {"240104", 1201, 1235, 1199, 1230, 2500, 1230}});
    const QString existing = exports.filePath("zubD7203.csv");
    WriteBytes(existing, "earlier\r\n");
    prompts.answers = {false, true, true};
    prompts.fileNames = {existing, std::nullopt, existing};
    Click("cmdPath");  // Cancel: no dialog, nothing changes
    EXPECT_EQ(calls, "MQ");
    EXPECT_EQ(prompts.calls[1].style, 33);
    EXPECT_EQ(prompts.calls[1].text,
              "このファイルはすでにあります。上書き（あるいは別ファイル作成）しますか？\r\n"
              "ファイル名：" +
                  existing);
    EXPECT_EQ(ReadBytes(existing), "earlier\r\n");
    EXPECT_EQ(Text("lblCount"), QStringLiteral("0行読込み"));
    Click("cmdPath");  // OK: the file is replaced
    const QByteArray saved = ReadBytes(existing);
    EXPECT_TRUE(saved.startsWith("240105,1234"));

    W<QRadioButton>("optG_1")->setChecked(true);
    Click("cmdPath");  // no file of that name yet: no question; the dialog is cancelled
    EXPECT_EQ(calls, "MQQSS");
    EXPECT_EQ(prompts.calls[4].save.proposedName, QStringLiteral("zubW7203.csv"));
    EXPECT_EQ(prompts.calls[4].save.initialDirectory, exports.path());
    EXPECT_EQ(Text("lblCount"), QStringLiteral("ファイル作成失敗"));
    EXPECT_EQ(QDir(exports.path()).entryList({"*.csv"}), QStringList{"zubD7203.csv"});

    W<QRadioButton>("optG_0")->setChecked(true);
    W<QLabel>("lblCount")->clear();
    {
        FileSizeLimit limit(16);  // below the export, which fails only when flushed
        ASSERT_TRUE(limit.active());
        Click("cmdPath");
    }
    EXPECT_EQ(calls, "MQQSSQSM");
    EXPECT_EQ(prompts.calls[7].style, 16);
    EXPECT_EQ(Text("lblCount") + W<QLineEdit>("txtFile")->text(), "ファイル作成失敗" + existing);
    EXPECT_EQ(ReadBytes(existing), saved);
}

const QString kAllUsable = "+++++++++++";

TEST_F(Window, DuringARunInputsAreLockedAndEnterDoesNothing) {
    server.Push({WeeklyPage(50, 1, true), WeeklyPage(50, 2, true), WeeklyPage(10, 3, false)});
    W<QRadioButton>("optG_1")->setChecked(true);
    QString during;
    DuringRun(50, 0, [&] {
        during = Usable();
        QTest::keyClick(W("txtCD"), Qt::Key_Return);
        W<QComboBox>("cmbVbase_0")->setCurrentIndex(1);  // price 1/10, kept after the run
    });
    QTest::keyClick(W("txtCD"), Qt::Key_Return);
    EXPECT_EQ(during, QStringLiteral("-----+-++++"));
    EXPECT_EQ(server.targets().size(), 3u);
    EXPECT_TRUE(prompts.calls.empty());
    EXPECT_EQ(Text("lblCount"), QStringLiteral("110行読込み"));
    EXPECT_EQ(ListLines(), 110);
    const QuoteTable& table = window->quoteTable();
    EXPECT_EQ(table.shownRows[109].open, *RoundHalfEven32(table.rawRows[109].open / 10.0));
    EXPECT_EQ(Usable(), kAllUsable);
    EXPECT_FALSE(window->IsBusy());
    EXPECT_EQ(Text("lblMei"), QStringLiteral(" 7203 自動 週 足"));
    // A blank code, or one holding a control character, clears the last result, scales
    // included, and asks for nothing.
    for (const QString code : {"  ", "72\n3"}) {
        prompts.calls.clear();
        W<QComboBox>("cmbVbase_1")->setCurrentIndex(3);
        W<QLineEdit>("txtCD")->setText(code);
        Click("cmdDwn");
        EXPECT_EQ(prompts.Shown(), QStringList{"64 株価取得: コードを入力してください。"});
        EXPECT_EQ(ListLines(), 0);
        EXPECT_EQ(Text("lblCount") + Text("lblMei"), QStringLiteral("0行読込み"));
        EXPECT_EQ(window->PriceDivisor() * 10000 + window->VolumeDivisor(), 11000);
        EXPECT_EQ(server.targets().size(), 3u);
        EXPECT_EQ(Usable(), kAllUsable);
    }
}

// A stalled request stops at once at the button or Esc, without a word and keeping no rows.
TEST_F(Window, AStalledDownloadStopsAtTheButtonOrEsc) {
    const std::function<void()> stops[] = {[&] { Click("cmdDwn"); },
                                           [&] { QTest::keyClick(W("txtCD"), Qt::Key_Escape); }};
    using enum CannedServer::Mode;
    for (const auto mode : {Normal, Stall, Normal, Stall}) {  // a page, then a stall, per stop
        server.Push(DailyPage(50, 1, true), mode);
    }
    for (const auto& stop : stops) {
        QString caption;
        DuringRun(50, server.targets().size() + 2,
                  [&] { caption = W<QPushButton>("cmdDwn")->text(), stop(); });
        Click("cmdDwn");
        EXPECT_EQ(caption + Text("lblCount") + W<QPushButton>("cmdDwn")->text(),
                  QStringLiteral("中止中止しましたダウンロード"));
        EXPECT_TRUE(prompts.calls.empty() && window->quoteTable().rowCount == 0 && !ListLines());
    }
}

// Run as its own child, the test closes the window while a request is stalled: a refused close
// would leave the child running until it is killed.
TEST_F(Window, ClosedDuringAStalledRequestTheProgramEnds) {
    if (qEnvironmentVariableIsSet("ARDENTIX_CLOSING")) {
        server.Push("", CannedServer::Mode::Stall);
        DuringRun(0, 1, [&] { window->close(); });
        QTimer::singleShot(0, [&] { Click("cmdDwn"); });
        EXPECT_TRUE(QApplication::exec() == 0 && prompts.calls.empty());
    } else {
        qputenv("ARDENTIX_CLOSING", "1");
        const auto run = RunProgram(QCoreApplication::applicationFilePath(),
                                    {"--gtest_filter=*ClosedDuring*"}, {}, {}, 20000);
        qunsetenv("ARDENTIX_CLOSING");
        EXPECT_TRUE(run.status == 0 && run.out.contains("[  PASSED  ] 1 test")) << run.out.data();
    }
}

TEST_F(Window, EveryFailedRunReportsAndUnlocks) {
    const QString k202 = QStringLiteral("この条件ではデータがありませんでした。");
    const QString k203 = QStringLiteral("データ件数０でした。");
    const std::tuple<QStringList, int, QString> cases[] = {
        // A short body on page 3, after a scale change listed the rows of page 1.
        {{QStringLiteral("株価データ取得に失敗しました。"), k203}, 0, "データ読込み失敗"},
        {{k202}, 100, "100行読込み"},  // no table on page 3: the rows stand
        // Page 2 repeats page 1 and announces more, as page 1 did: its rows were sent out of order.
        {{QStringLiteral("データ作成に失敗しました。")}, 50, "50行読込み"},
        {{QStringLiteral("J-Quants の回数制限のため"), k203}, 0, "データ読込み失敗"},  // a 503
    };
    const QByteArray p1 = DailyPage(50, 1, true), p2 = DailyPage(50, 2, true);
    server.Push({p1, p2, "ab", p1, p2, "<html>", p1, p1});
    server.Push("J-Quants の回数制限のため", {}, 503, CannedServer::kWords, 40);
    int listedMidRun = 0;
    DuringRun(50, 0, [&] {
        W<QComboBox>("cmbVbase_1")->setCurrentIndex(1);
        listedMidRun = ListLines();
    });
    // The busy pointer stands over the window only, never over the boxes the run opens.
    QStringList pointers;
    prompts.whileOpen = [&] {
        pointers << (QGuiApplication::overrideCursor()            ? "application"
                     : window->cursor().shape() == Qt::WaitCursor ? "window"
                                                                  : "none");
    };
    for (const auto& [texts, rows, count] : cases) {
        SCOPED_TRACE(texts.join(' ').toStdString());
        prompts.calls.clear();
        pointers.clear();
        Click("cmdDwn");
        EXPECT_EQ(pointers, QStringList(texts.size(), "window"));
        EXPECT_NE(window->cursor().shape(), Qt::WaitCursor);
        EXPECT_EQ(prompts.Shown(true), texts);
        EXPECT_EQ(std::pair(window->quoteTable().rowCount, ListLines()), std::pair(rows, rows));
        EXPECT_EQ(Text("lblMei").isEmpty(), rows == 0);
        EXPECT_EQ(Text("lblCount"), count);
        EXPECT_FALSE(window->IsBusy());
        EXPECT_EQ(Usable(), kAllUsable);
    }
    EXPECT_EQ(listedMidRun, 50);
}

TEST_F(Window, TheChartWindowOpensOnTheListedRowsAndFollowsEachRun) {
    auto* list = W<QTreeWidget>("lvR");
    ASSERT_EQ(list->actions().size(), 1);
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"Ctrl+G", [&] { QTest::keyClick(W("txtCD"), Qt::Key_G, Qt::ControlModifier); }},
        {"double-click", [&] { QTest::mouseDClick(list->viewport(), Qt::LeftButton); }},
        {"menu", [&] { list->actions()[0]->trigger(); }}};
    const auto chart = [&] { return window->findChild<ChartWindow*>(); };
    for (const auto& [name, open] : ways) {
        open();
        EXPECT_EQ(chart(), nullptr) << name << " opened a chart of no rows";
    }
    const auto drawsTheList = [&] {  // candles and volumes as the listed rows, oldest first
        const auto sets = chart()->candles().sets();
        bool same = sets.size() == ListLines() && chart()->volumes().count() == ListLines();
        for (int i = 0; same && i < sets.size(); ++i) {
            const QuoteRow& row = window->quoteTable().shownRows[sets.size() - 1 - i];
            same = sets[i]->open() == row.open && sets[i]->high() == row.high &&
                   sets[i]->low() == row.low && sets[i]->close() == row.close &&
                   chart()->volumes().at(i) == row.volume;
        }
        return same && chart()->windowTitle() == Text("lblMei");
    };
    // A run of 20 rows, one that fails after 50, one of 30.
    server.Push({DailyPage(20, 1, false), DailyPage(50, 2, true), "ab", DailyPage(30, 3, false)});
    // Typed with an input method: the field takes the ASCII code that names the list and files.
    W<QLineEdit>("txtCD")->setText(QStringLiteral("７２０３"));
    Click("cmdDwn");
    EXPECT_EQ(W<QLineEdit>("txtCD")->text() + Text("lblMei"),
              QStringLiteral("7203 7203 自動 ディリー"));
    for (const auto& [name, open] : ways) {
        SCOPED_TRACE(name);
        if (chart()) {
            chart()->close();
        }
        open();
        ASSERT_EQ(window->findChildren<ChartWindow*>().size(), 1);
        EXPECT_TRUE(chart()->isVisible());
        EXPECT_TRUE(drawsTheList());
    }
    W<QComboBox>("cmbVbase_0")->setCurrentIndex(1);
    EXPECT_TRUE(drawsTheList());
    // A run that starts shows データなし under its caption; one that fails leaves it so.
    QString midRun;
    DuringRun(50, 0, [&] { midRun = chart()->showsNoData() ? chart()->windowTitle() : "axes"; });
    Click("cmdDwn");
    EXPECT_EQ(midRun, " 7203 自動 ディリー");
    EXPECT_TRUE(chart()->showsNoData() && !chart()->saveAction()->isEnabled());
    EXPECT_EQ(chart()->candles().count(), 0);
    EXPECT_TRUE(chart()->isVisible());

    Click("cmdDwn");
    EXPECT_FALSE(chart()->showsNoData());
    EXPECT_TRUE(drawsTheList());
    // Saved as a PNG named after the export; a failed save is reported and keeps the file.
    prompts.calls.clear();
    prompts.fileNames = {dir.filePath("c.png"), dir.filePath("c.png/through-a-file.png")};
    chart()->saveAction()->trigger();
    chart()->saveAction()->trigger();
    ASSERT_EQ(prompts.calls.size(), 3u);
    EXPECT_EQ(prompts.calls[0].save.initialDirectory + "/" + prompts.calls[0].save.proposedName,
              exports.filePath("zubD7203.png"));
    EXPECT_EQ(QImage(dir.filePath("c.png"), "PNG").text("Title"),
              "7203 自動 ディリー  23/07/03〜23/08/11");
    EXPECT_EQ(prompts.calls[2].style, 16);
    // Rising candles white in a dark outline, falling ones navy; the price axis from zero.
    PutRows({{"240517", 52000, 60000, 48000, 58000, 100, 0},
             {"240516", 50000, 56000, 0, 12000, 100, 0}});
    QApplication::processEvents();
    const QImage picture = chart()->grab().toImage();
    QChart* prices = chart()->candles().chart();
    const QChartView* view = chart()->findChild<QChartView*>();  // the price pane's
    const auto pixel = [&](qreal bar, qreal price) {
        return view->mapTo(chart(), view->mapFromScene(prices->mapToPosition({bar, price})));
    };
    EXPECT_EQ(picture.pixelColor(pixel(0, 31000)).name(), "#000080");
    QPoint inside = pixel(1, 55000);
    EXPECT_EQ(picture.pixelColor(inside).name(), "#ffffff");
    while (inside.x() > 0 && picture.pixelColor(inside) == QColor(Qt::white)) {
        inside.rx()--;
    }
    EXPECT_EQ(picture.pixelColor(inside).name(), "#000000");
    const auto* priceAxis = qobject_cast<QValueAxis*>(prices->axes(Qt::Vertical)[0]);
    EXPECT_EQ(std::pair(priceAxis->min(), priceAxis->titleText()), std::pair(0.0, QString("株価")));

    window->close();
    EXPECT_FALSE(chart()->isVisible());
}

// The window saves the bars the quote service served; the tool, given the same inputs, writes
// the same bytes.
TEST_F(Window, SavesWhatTheQuoteServiceServedAsTheToolDoes) {
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
    } cases[] = {{"7203", "optG_0", "daily", "auto", 0, 1, 1000, 0},
                 {"7204", "optG_1", "weekly", "osaka", 2, 10, 1, 1},
                 {"7208", "optG_2", "monthly", "nasdaq", 7, 1000, 1000000, 1}};
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
        W<QComboBox>("cmbVbase_0")->setCurrentIndex(W<QComboBox>("cmbVbase_0")->findData(c.price));
        W<QComboBox>("cmbVbase_1")->setCurrentIndex(W<QComboBox>("cmbVbase_1")->findData(c.volume));
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
        EXPECT_TRUE(c.ymdForm != 0 || saved == file);
    }
    window.reset();  // before the service it holds a connection to
}

}  // namespace
