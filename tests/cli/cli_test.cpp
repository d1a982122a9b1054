#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include "service/expected_days.h"
#include "support/canned_server.h"
#include "support/file_bytes.h"
#include "support/program_run.h"
#include "support/quote_service.h"

using namespace ardentix::testing;

namespace {

ProgramRun RunTool(const QStringList& arguments, const QString& folder = {},
                   const QByteArray& input = {}) {
    return RunProgram(ARDENTIX_GET_PROGRAM, arguments, folder, input);
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// The tool's own refusals start with the option's name; Qt's name it in their sentence.
TEST(CommandLine, RefusesBadUsageWithStatusTwoNamingTheOption) {
    QTemporaryDir dir;
    WriteBytes(dir.filePath("page.html"), QByteArray(64, 'y') + '\n' + QByteArray(65, 'x'));
    const std::pair<QStringList, const char*> cases[] = {
        {{}, "no codes"},
        {{"--market", "tokio", "7203"}, "--market"},
        {{"--market", "tokyo", "--market=osaka", "7203"}, "--market"},
        {{"--end", "2024-02-30", "7203"}, "--end"},
        {{"--out", "a.csv", "7203", "1234"}, "--out"},
        {{"--update", "--out", "-", "7203"}, "--update"},
        {{"--out-dir", "page.html/sub", "7203"}, "--out-dir"},
        {{"--host", "quotes:70000", "7203"}, "--host"},
        {{"--timeout", "0", "7203"}, "--timeout"},
        {{"--timeout=1.5", "7203"}, "--timeout"},
        {{"--codes-from", "missing.txt"}, "--codes-from"},
        {{"--verbose", "7203"}, "'verbose'"},
        {{"--page", "page.html", "7203"}, "--page"},
        {{"--page", "page.html", "--out", "x.csv"}, "--out"},
        {{"--page", "page.html", "--rows-before", "501"}, "--rows-before"},
        {{"../7203"}, "../7203"},
        {{"7203", ""}, "\"\": a code"},
        {{" "}, "\" \": a code"},
        {{"72\n03"}, "\"72?03\": a code"},
        {{"--codes-from", "page.html"}, "line 2: \"xxxxxxxxxxxxxxxxxxxx…\""},  // not all 65
        {{"--out", ".", "7203"}, "--out: \".\""},
        {{"--out", "/proc/x.csv", "7203"}, "--out: cannot write \"/proc/x.csv\""},  // no new file
        {{"--out", "page.html/x.csv", "7203"}, "folder of \"page.html/x.csv\""}};
    for (const auto& [arguments, named] : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const auto run = RunTool(arguments, dir.path());
        EXPECT_TRUE(run.status == 2 && run.err.startsWith("ardentix-get: ") &&
                    run.err.contains(named) && run.err.count(u'\n') == 1)
            << run.status << run.err.toStdString();
        EXPECT_EQ(Entries(dir.path()), QStringList{"page.html"});
    }
    EXPECT_EQ(RunTool({"7203", "--help"}).status, 0);
}

// Each code goes to its own file as --out - gives it alone; failed codes are reported and
// counted, and the rest still saved.
TEST(CommandLine, SavesAWatchListGoingOnPastFailedCodes) {
    QuoteService service;
    QTemporaryDir dir;
    // 1001 is not listed in Osaka and NOTB is no stock: the service answers a page without a
    // table. EMPT answers an empty body, TWOB two bytes, HALF closes the connection mid-body.
    // A byte-order mark starts it; ７２０４ is 7204 again, as an input method types it.
    WriteBytes(dir.filePath("list"),
               "\xEF\xBB\xBF# list\n7204\r\n\n  2008  # comment\n1001\nNOTB\nEMPT\n７２０４\n");
    const QStringList options = {"--market=osaka", "--period=weekly", "--end=2024-05-17",
                                 "--date-form=kanji", "--host=" + service.host()};
    ASSERT_TRUE(QDir().mkpath(dir.filePath("out/zubW7208.csv")));  // 7208's file cannot be written
    const auto run = RunTool(
        QStringList{"7206", "--codes-from=list", "TWOB", "HALF", "7208", "--out-dir=out"} + options,
        dir.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Entries(dir.filePath("out")),
              (QStringList{"zubW2008.csv", "zubW7204.csv", "zubW7206.csv", "zubW7208.csv"}));
    // The last code saved, alone, on standard output: the same bytes, and nothing else said.
    const auto alone = RunTool(QStringList{"--quiet", "--out", "-", "--codes-from", "-"} << options,
                               {}, "# one\n2008");
    EXPECT_TRUE(alone.status == 0 && alone.err.isEmpty()) << alone.err.toStdString();
    EXPECT_EQ(ReadBytes(dir.filePath("out/zubW2008.csv")), alone.out);
    const QString net = ": インターネット接続失敗!: " + service.host() + ": ";
    const QString said[] = {
        "ardentix-get: 1001: データ取得: この条件ではデータがありませんでした。\n"
        "ardentix-get: 1001: データ読込み: データ件数０でした。\n",
        "ardentix-get: NOTB: データ取得: この条件ではデータがありませんでした。\n",
        "ardentix-get: EMPT" + net + "株価データ取得に失敗しました。\n",
        "ardentix-get: TWOB" + net + "株価データ取得に失敗しました。\n",
        "ardentix-get: HALF" + net + "サーバーが応答の途中で",
        "ardentix-get: 7208: ファイル作成: ファイル「out/zubW7208.csv」に書き込めませんでした: "
        "同じ名前のフォルダーがあります。\n"};
    for (const QString& s : said) {
        EXPECT_TRUE(run.err.contains(s)) << s.toStdString() << run.err.toStdString();
    }
    EXPECT_TRUE(run.err.endsWith("ardentix-get: 3 saved, 6 failed\n"));
    // Cut short by a page without a table after the first: the 50 rows before it are saved, as
    // the window lets them be saved, but the code counts as incomplete.
    const QByteArray daily = ReadBytes(ARDENTIX_TEST_DATA "/daily_50.html");
    CannedServer cut, repeating;
    cut.Push({daily, ReadBytes(ARDENTIX_TEST_DATA "/no_table.html")});
    const auto incomplete = RunTool({"--host", cut.host(), "7203"}, dir.path());
    EXPECT_EQ(incomplete.status, 1);
    EXPECT_EQ(ReadBytes(dir.filePath("zubD7203.csv")).count("\r\n"), 50);
    EXPECT_TRUE(incomplete.err.endsWith("0 saved, 1 incomplete, 0 failed\n"));
    // A service that sends the same page at every offset: its rows once, said even when quiet.
    repeating.Push(daily);
    const auto repeated = RunTool({"--quiet", "--host", repeating.host(), "7203"}, dir.path());
    EXPECT_EQ(repeated.status, 1);
    EXPECT_EQ(ReadBytes(dir.filePath("zubD7203.csv")).count("\r\n"), 50);
    EXPECT_TRUE(repeated.err.contains("7203: the service sent rows out of order"))
        << repeated.err.toStdString();
    // --timeout 1: a page still trickling in after 4 s is given up.
    repeating.Push(QByteArray(1000, ' '), CannedServer::Mode::Drip);
    const auto late = RunTool({"--timeout=1", "--out=-", "--host=" + repeating.host(), "7203"});
    EXPECT_TRUE(late.err.contains("4秒以内にページが届かなかった")) << late.err.toStdString();
}

// Each file is made by a full download with the options and `written` up to writtenAt (none
// when null), its newest `drop` lines dropped, `keep` kept (0: all), `from` replaced by `to`,
// then updated up to `end` with the options and `updated`. The result is the full download up
// to `end`, the new rows on top of the file, or the file as it was: up to date (status 0), or
// refused (status 1) because it cannot be read or joined.
TEST(CommandLine, UpdatesSavedFilesAskingOnlyForThePagesTheyLackAndRestatingForSplits) {
    QuoteService service;
    QTemporaryDir dir;
    const QString file = dir.filePath("saved.csv");
    const auto run = [&](QStringList options, const char* end, const QString& out) {
        return RunTool(options << "--host" << service.host() << "--out" << out << "--end" << end
                               << "7203");
    };
    enum Result { Full, OnTop, AsItWas, Refused };
    const char* may17 = "2024-05-17";
    const QStringList none, kanji = {"--date-form", "kanji"};
    const QStringList weekly = {"--period", "weekly"}, monthly = {"--period", "monthly"};
    const QStringList replace = {"--replace"},
                      scaled = {"--price-scale", "10", "--volume-scale", "1"};
    const struct {
        QStringList options, written, updated;
        const char* writtenAt;
        int drop, keep;
        const char *from, *to, *end;
        Result result;
        const char* said;
    } cases[] = {
        {none, none, none, may17, 3, 0, "", "", may17, Full, "(500 rows, 3 new, 1 r"},
        // 000104 is newer than 991230; so is 300104 than 291230, and 270101 (the Friday after the
        // week of a run ending 2026-12-30) than 261225.
        {kanji, none, none, "2000-01-07", 4, 0, "", "", "2000-01-07", Full, "(500 rows, 4 new"},
        {none, none, none, "2029-12-20", 0, 0, "", "", "2030-01-10", OnTop, "(511 rows, 11 new"},
        {none, none, none, "2030-01-10", 0, 0, "", "", "2030-01-17", OnTop, "(505 rows, 5 new"},
        {weekly, none, none, "2026-12-30", 1, 0, "", "", "2026-12-30", Full, "(500 rows, 1 new"},
        // Written on a Wednesday: its newest bar held three days of the week, now five. And
        // during trading hours: its newest day's figures were not yet the day's.
        {weekly, none, none, "2024-05-15", 0, 0, "", "", may17, Full, "(500 rows, 1 new"},
        {none, none, none, may17, 0, 0, "240517,", "240517,1", may17, Full,
         "(500 rows, 1 new, 1 request)"},
        // Neither the date form nor the period given: both are the file's own.
        {none, kanji, none, may17, 3, 0, "", "", may17, Full, "(500 rows, 3 new"},
        {none, weekly, none, "2024-05-10", 0, 0, "", "", may17, OnTop, "(501 rows, 1 new"},
        {none, none, none, "2024-02-16", 0, 0, "", "", may17, OnTop, "(565 rows, 65 new, 2"},
        {none, none, none, may17, 2, 3, "", "", may17, OnTop, "(5 rows, 2 new, 1 r"},
        {none, none, none, may17, 0, 0, "", "", "2024-05-10", AsItWas, "up to date (500 r"},
        {none, none, none, may17, 0, 0, "240517", "\357\273\277240517", may17, AsItWas,
         "up to date"},  // a byte-order mark
        // A price differs where no split explains it; the file's newest week is not compared,
        // so a later page must be.
        {none, none, none, may17, 0, 0, "240513,", "240513,9", may17, Refused,
         "differs from the service's rows at 2024-05-13: the file is left"},
        {weekly, none, none, "2023-06-09", 0, 0, "230602,", "230602,9", may17, Refused,
         "at 2023-06-02"},
        // A newest row of a day the service has no row for (a Saturday) is not left behind.
        {none, none, none, "2024-05-10", 0, 0, "240510,", "240511,", may17, Refused,
         "at 2024-05-11"},
        {none, none, scaled, may17, 0, 0, "", "", may17, Refused,
         "(written with --price-scale 1 --volume-scale 1000?)"},
        {none, none, kanji, may17, 0, 0, "", "", may17, Refused, "written with --date-form yymmdd"},
        {none, weekly, monthly, may17, 0, 0, "", "", may17, Refused,
         "written with --period weekly"},
        {none, none, none, "2020-05-15", 0, 0, "", "", may17, Refused,
         "ends on 2020-05-15, before the oldest row the service gives (2022-06-13)"},
        {none, kanji, replace, "2020-05-15", 0, 0, "", "", may17, Full, "the old file is kept as "},
        {none, none, none, nullptr, 0, 0, "", "", may17, Full, "(500 rows, 500 new, 10 r"},
        {kanji, none, none, may17, 500, 0, "", "", may17, Full, "(500 rows, 500 new"},
        {none, none, none, may17, 0, 0, "\r\n240513", "\n240513", may17, Refused, "line 4:"},
        {none, none, none, may17, 0, 0, "240517,", "240517,0,", may17, Refused, "line 1: not a"},
        {none, none, none, may17, 0, 0, "240516,", "240517,", may17, Refused, "line 2: not"},
        // 24年05月16日 in code page 932 below a yymmdd date.
        {none, none, none, may17, 0, 0, "240516,", "24\224N05\214\21616\223\372,", may17, Refused,
         "line 2: its date is not in the form of line 1"},
        {kanji, none, none, may17, 0, 0, "\224N05\214\21616", "x05\214\21616", may17, Refused,
         "line 2:"},  // 24x05月16日: nine characters, but no kanji date
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        QFile::remove(file);
        QByteArray saved;
        if (c.writtenAt) {
            run(c.options + c.written, c.writtenAt, file);
            const QList<QByteArray> lines = ReadBytes(file).split('\n');
            saved = lines.mid(c.drop, c.keep ? c.keep : -1).join('\n') + (c.keep ? "\n" : "");
            WriteBytes(file, saved.replace(c.from, c.to));
        }
        run(c.options + c.written, c.end, dir.filePath("made/full.csv"));  // the folder made
        const QByteArray full = ReadBytes(dir.filePath("made/full.csv"));
        const auto updated = run(QStringList{"--update"} << c.options + c.updated, c.end, file);
        EXPECT_EQ(updated.status, c.result == Refused ? 1 : 0);
        EXPECT_TRUE(updated.err.contains(c.said)) << updated.err.toStdString();
        const QByteArray top = full.left(full.indexOf(saved.left(saved.indexOf('\n') + 1))) + saved;
        EXPECT_EQ(ReadBytes(file), c.result == Full ? full : c.result == OnTop ? top : saved);
        const QStringList backups = QDir(dir.path()).entryList({"saved.csv.*.bak"});
        EXPECT_EQ(backups.size(), c.updated.contains("--replace") ? 1 : 0);
        for (const QString& backup : backups) {
            EXPECT_EQ(ReadBytes(dir.filePath(backup)), saved);
            QFile::remove(dir.filePath(backup));
        }
    }
    // 7203 splits 1:2 on 9 July 2020. A file that reaches back past what one download gives keeps
    // every row across the split: the service's rows where it has them, older rows restated by
    // the page's own factor, as the generated history restates them to within a yen.
    const auto update = [&](const char* end, const QStringList& options = {}) {
        return RunTool(options + QStringList{"--quiet", "--update", "--host", service.host(),
                                             "--end", end, "--volume-scale", "1", "7203"},
                       dir.path());
    };
    update("2020-01-10");
    update("2020-06-30");
    const QByteArray written = ReadBytes(dir.filePath("zubD7203.csv"));
    ASSERT_EQ(written.count("\r\n"), 622);
    const auto otherForm = update("2020-07-10", {"--date-form", "kanji"});
    EXPECT_TRUE(otherForm.status == 1 && otherForm.err.contains("written with --date-form yymmdd"));
    EXPECT_EQ(ReadBytes(dir.filePath("zubD7203.csv")), written);
    EXPECT_EQ(update("2020-07-10").err,
              "ardentix-get: 7203: restated 130 older rows by the factor 0.5\n");
    const QList<QByteArray> lines = ReadBytes(dir.filePath("zubD7203.csv")).split('\n');
    ASSERT_EQ(lines.size(), 630 + 1);
    const auto truth = ExpectedDays({"7203", ".t"}, QDate(2017, 1, 1), QDate(2020, 7, 10));
    for (int i = 0; i < 630; ++i) {
        const QList<QByteArray> fields = lines[i].trimmed().split(',');
        const ardentix::QuoteRow& day = truth[i];
        ASSERT_EQ(fields[0], day.ymd.toLatin1());
        const qint32 prices[] = {day.open, day.high, day.low, day.close};
        for (int k = 0; k < 4; ++k) {
            EXPECT_LE(std::abs(fields[k + 1].toInt() - prices[k]), 1) << lines[i].toStdString();
        }
        EXPECT_EQ(fields[5].toDouble(), day.volume);
    }
}

// A service that asks for a pause is asked once more after it: a second refusal fails the code
// with its words. A code whose rows end over a week before --end is said to.
TEST(CommandLine, RetriesOnceWhenTheServiceAsksToWaitAndSaysWhenRowsAreOld) {
    const QByteArray words = "J-Quants の回数制限のため、約1秒後にもう一度ダウンロードしてください";
    for (const bool recovers : {true, false}) {
        CannedServer server;
        server.Push(words, {}, 503, CannedServer::kWords, 1);
        if (recovers) {
            server.Push(ReadBytes(ARDENTIX_TEST_DATA "/monthly_last.html"));
        }
        const auto run = RunTool(
            {"--period=monthly", "--end=2024-05-17", "--out=-", "--host", server.host(), "7203"});
        EXPECT_EQ(server.targets().size(), 2u);
        EXPECT_TRUE(run.status == !recovers &&
                    run.err.contains("7203: the service asks to wait 1 s; retrying once\n") &&
                    run.err.contains(recovers
                                         ? QString("7203: the newest row is 2003-12, more than "
                                                   "a week before --end 2024-05-17 (a")
                                         : server.host() + ": " + words + "\n"))
            << run.err.toStdString();
    }
}

// A saved page parsed alone, behind the rows stored before it.
TEST(CommandLine, ParsesASavedPage) {
    // The page, the rows stored before it; the status, the lines written, the first, what is said.
    const std::tuple<const char*, const char*, int, int, const char*, const char*> cases[] = {
        {"daily_50.html", "0", 0, 50, "031205,991,1031,991,1031,157919\r\n", "page: yes\n"},
        {"daily_50.html", "480", 0, 20, "031205,", "next page: yes\n"},
        {"daily_50.html", "500", 0, 0, "", "next page: yes\n"},
        {"no_table.html", "0", 1, 0, "", "データ取得: この条件ではデータがありませんでした。\n"},
        {"/dev/null", "0", 1, 0, "", "インターネット接続失敗!: 株価データ取得に失敗しました。\n"}};
    for (const auto& [file, rowsBefore, status, lines, firstLine, said] : cases) {
        SCOPED_TRACE(std::string(file) + " " + rowsBefore);
        const auto run = RunTool({"--page", QDir(ARDENTIX_TEST_DATA).filePath(file), "--period",
                                  "daily", "--rows-before", rowsBefore});
        EXPECT_EQ(std::pair(run.status, int(run.out.count("\r\n"))), std::pair(status, lines));
        EXPECT_TRUE(run.out.startsWith(firstLine)) << run.out.left(80).toStdString();
        EXPECT_TRUE(run.err.contains(said)) << run.err.toStdString();
    }
}

// SLOW answers after 45 s; a signal must abort its request at once, not after a time-out.
TEST(CommandLine, StopsOnASignalAbortingTheRequestInFlight) {
    QuoteService service;
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        QTemporaryDir dir;
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(ARDENTIX_GET_PROGRAM,
                      {"--end", "2024-05-17", "--host", service.host(), "7203", "SLOW", "1234"});
        process.setReadChannel(QProcess::StandardError);
        const QByteArray requested = "SLOW: 接続中....";
        QByteArray err;
        while (!err.contains(requested) && process.waitForReadyRead(30000)) {
            err += process.readAllStandardError();
        }
        ASSERT_TRUE(err.contains(requested)) << err.toStdString();  // else no process to signal
        ASSERT_EQ(::kill(pid_t(process.processId()), signal), 0);
        ASSERT_TRUE(process.waitForFinished(10000));
        err += process.readAllStandardError();
        EXPECT_EQ(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, 130);
        EXPECT_EQ(Entries(dir.path()), QStringList{"zubD7203.csv"});
        // Nothing reported after the request, and no later code asked: the abort is no failure.
        EXPECT_TRUE(err.endsWith(requested +
                                 "\nardentix-get: interrupted\nardentix-get: 1 saved, 0 failed\n"))
            << err.toStdString();
    }
}

}  // namespace
