#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>

#include "app/message_catalogue.h"
#include "export/export_writer.h"
#include "export/row_scaling.h"
#include "retrieval/download_run.h"
#include "retrieval/page_fetcher.h"
#include "retrieval/query_tables.h"
#include "service/service_harness.h"
#include "support/canned_server.h"
#include "support/file_bytes.h"
#include "support/scripted_prompts.h"
#include "tool_process.h"

using namespace ardentix;
using ardentix::testing::ReadBytes;
using ardentix::testing::WriteBytes;
using cli_test::Entries;
using cli_test::RunTool;

namespace {

const QDate kEnd(2024, 5, 17);

QString Host(int port) {
    return QStringLiteral("127.0.0.1:%1").arg(port);
}

QString Text(int number) {
    return CatalogueText(number).value();
}

// What the window's download and save produce for the same inputs: its run into a table, its
// scaling, its export bytes.
QByteArray WindowExport(const QString& host, const QString& code, int market, Period period,
                        int priceDivisor, int volumeDivisor, int ymdForm) {
    QNetworkAccessManager manager;
    PageFetcher fetcher(manager);
    ardentix::testing::ScriptedPrompts prompts;
    auto table = std::make_unique<QuoteTable>();
    PagingState paging;
    DownloadRun run(*table, paging, fetcher, prompts);
    const ChartQuery query{host, code, market, period, RangeStart(kEnd, period), kEnd, 0};
    if (run.Execute(query) != RunEnd::Succeeded) {
        return "<no rows>";
    }
    ScaleRows(*table, priceDivisor, volumeDivisor);
    return ExportBytes(*table, ymdForm).value_or("<not encodable>");
}

// The tool's own refusals start with the option's name; Qt's name it in their sentence.
TEST(CommandLine, RefusesBadUsageWithStatusTwoNamingTheOption) {
    QTemporaryDir dir;
    QFile(dir.filePath("page.html")).open(QIODevice::WriteOnly);
    const struct {
        QStringList arguments;
        const char* named;
    } cases[] = {
        {{}, "no codes"},
        {{"--market", "tokio", "7203"}, "--market"},
        {{"--market"}, "--market"},
        {{"--market", "tokyo", "--market=osaka", "7203"}, "--market"},
        {{"--period", "yearly", "7203"}, "--period"},
        {{"--end", "2024-02-30", "7203"}, "--end"},
        {{"--end", "2024-5-17", "7203"}, "--end"},
        {{"--price-scale", "5", "7203"}, "--price-scale"},
        {{"--price-scale", "010", "7203"}, "--price-scale"},
        {{"--volume-scale", "10000000", "7203"}, "--volume-scale"},
        {{"--date-form", "iso", "7203"}, "--date-form"},
        {{"--out", "a.csv", "7203", "1234"}, "--out"},
        {{"--out", "a.csv", "--out-dir", ".", "7203"}, "--out"},
        {{"--update", "--out", "-", "7203"}, "--update"},
        {{"--out-dir", "page.html/sub", "7203"}, "--out-dir"},
        {{"--host", "a b", "7203"}, "--host"},
        {{"--host", "quotes:70000", "7203"}, "--host"},
        {{"--host", "quotes/t?c=1", "7203"}, "--host"},
        {{"--codes-from", "missing.txt"}, "--codes-from"},
        {{"--verbose", "7203"}, "'verbose'"},
        {{"--quiet=yes", "7203"}, "--quiet"},
        {{"--rows-before", "3", "7203"}, "--rows-before"},
        {{"--page", "page.html", "7203"}, "--page"},
        {{"--page", "page.html", "--out", "x.csv"}, "--out"},
        {{"--page", "page.html", "--rows-before", "501"}, "--rows-before"},
        {{"../7203"}, "../7203"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const auto run = RunTool(c.arguments, dir.path());
        EXPECT_EQ(run.status, 2);
        // One line: "ardentix-get: <reason>".
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("ardentix-get: ")) &&
                    run.err.contains(c.named) && run.err.count(u'\n') == 1)
            << run.err.toStdString();
        EXPECT_EQ(Entries(dir.path()), QStringList{"page.html"});
    }
}

TEST(CommandLine, AnswersVersionAndHelp) {
    const auto version = RunTool({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "ardentix-get 0.9.7\n");

    const auto help = RunTool({"7203", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("--codes-from <FILE>")) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains("130 stopped by Ctrl-C")) << help.out.toStdString();
}

TEST(CommandLine, SavesAWatchListAsTheWindowWouldAndGoesOnPastAFailedCode) {
    service_test::RunningService service;
    QTemporaryDir dir;
    const QString outDir = dir.filePath("out/made");  // the tool makes the folder
    QFile list(dir.filePath("watch.txt"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    // 1001 is not listed in Osaka: the service answers a page without a table.
    list.write("# watch list\n7204\r\n\n  2008  # trailing comment\n1001\n");
    list.close();

    const auto run =
        RunTool({"7206", "--codes-from", list.fileName(), "--market", "osaka", "--period=weekly",
                 "--end", "2024-05-17", "--price-scale", "10", "--volume-scale", "1", "--date-form",
                 "kanji", "--out-dir", outDir, "--host", Host(service.port())},
                dir.path());
    EXPECT_EQ(run.status, 1) << run.err.toStdString();
    EXPECT_EQ(Entries(outDir), (QStringList{"zubW2008.csv", "zubW7204.csv", "zubW7206.csv"}));
    for (const char* code : {"7206", "7204", "2008"}) {
        SCOPED_TRACE(code);
        const QByteArray expected =
            WindowExport(Host(service.port()), code, 2, Period::Weekly, 10, 1, 1);
        EXPECT_EQ(expected.count("\r\n"), kMaxRows);
        EXPECT_EQ(ReadBytes(QDir(outDir).filePath(QStringLiteral("zubW%1.csv").arg(code))),
                  expected);
        EXPECT_TRUE(run.err.contains(QStringLiteral("ardentix-get: %1: 50行読込み\n").arg(code)));
    }
    EXPECT_TRUE(run.err.contains(QStringLiteral("ardentix-get: 1001: データ取得: ") + Text(202) +
                                 QStringLiteral("\nardentix-get: 1001: データ読込み: ") +
                                 Text(203) + u'\n'))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.endsWith("ardentix-get: 3 saved, 1 failed\n")) << run.err.toStdString();
}

TEST(CommandLine, WritesOneCodeToTheDefaultNameOrToTheNamedFile) {
    service_test::RunningService service;
    QTemporaryDir dir;
    const QByteArray expected =
        WindowExport(Host(service.port()), "7203", 0, Period::Daily, 1, 1000, 0);

    const auto byName =
        RunTool({"--end=2024-05-17", "--host", Host(service.port()), "7203"}, dir.path());
    EXPECT_EQ(byName.status, 0) << byName.err.toStdString();
    EXPECT_EQ(ReadBytes(dir.filePath("zubD7203.csv")), expected);

    // An earlier file is replaced whole; --quiet leaves standard error empty.
    const QString named = dir.filePath("named.csv");
    QFile old(named);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(100000, 'x'));
    old.close();
    const auto toFile = RunTool(
        {"--quiet", "--end", "2024-05-17", "--out", named, "--host", Host(service.port()), "7203"});
    EXPECT_EQ(toFile.status, 0);
    EXPECT_EQ(toFile.err, QString());
    EXPECT_EQ(ReadBytes(named), expected);

    // Codes from standard input, the file's bytes alone on standard output.
    const auto piped = RunTool(
        {"--end", "2024-05-17", "--out", "-", "--codes-from", "-", "--host", Host(service.port())},
        dir.path(), "# list\n7203\n");
    EXPECT_EQ(piped.status, 0) << piped.err.toStdString();
    EXPECT_EQ(piped.out, expected);
    EXPECT_TRUE(piped.err.endsWith("ardentix-get: 1 saved, 0 failed\n"));
    EXPECT_EQ(Entries(dir.path()), (QStringList{"named.csv", "zubD7203.csv"}));
}

// Each file is made by a full download with the same options up to writtenAt, its newest
// `drop` lines dropped, `keep` kept (0: all), `from` replaced by `to`, then updated up to `end`.
// The result is the full download up to `end`, the new rows on top of the file, or the file as
// it was.
TEST(CommandLine, UpdatesSavedFilesAskingOnlyForThePagesTheyLack) {
    service_test::RunningService service;
    QTemporaryDir dir;
    const QString file = dir.filePath("saved.csv");
    const auto update = [&](QStringList options, const QString& end) {
        return RunTool(options << "--update"
                               << "--out" << file << "--end" << end << "--host"
                               << Host(service.port()) << "7203");
    };
    const auto download = [&](QStringList options, const QString& end, const QString& out) {
        options << "--host" << Host(service.port()) << "--out" << out << "--end" << end << "7203";
        EXPECT_EQ(RunTool(options).status, 0);
        return ReadBytes(out);
    };
    enum Result { Full, OnTop, AsItWas };
    const QStringList kanji = {"--date-form", "kanji"};
    const QStringList weekly = {"--period", "weekly"};
    const struct {
        QStringList options;
        const char* writtenAt;  // nullptr: no file
        int drop, keep;
        const char *from, *to, *end;
        Result result;
        int status;
        const char* said;
    } cases[] = {
        {{}, "2024-05-17", 3, 0, "", "", "2024-05-17", Full, 0, "(500 rows, 3 new, 1 request)"},
        // 000104 is newer than 991230.
        {kanji, "2000-01-07", 4, 0, "", "", "2000-01-07", Full, 0, "(500 rows, 4 new, 1 request)"},
        // Written on a Wednesday: its newest bar held three days of the week, now five.
        {weekly, "2024-05-15", 0, 0, "", "", "2024-05-17", Full, 0, "(500 rows, 1 new, 1 request)"},
        {{}, "2024-02-16", 0, 0, "", "", "2024-05-17", OnTop, 0, "(565 rows, 65 new, 2 requests)"},
        {{}, "2024-05-17", 2, 3, "", "", "2024-05-17", OnTop, 0, "(5 rows, 2 new, 1 request)"},
        {{}, "2024-05-17", 0, 0, "", "", "2024-05-10", AsItWas, 0, "up to date (500 rows, 0 new"},
        // A price differs, as after a split.
        {{}, "2024-05-17", 0, 0, "240513,", "240513,9", "2024-05-17", Full, 0, "13 (a split"},
        // The file's newest week ends the first page and is not compared: a later page must be.
        {weekly, "2023-06-09", 0, 0, "230602,", "230602,9", "2024-05-17", Full, 0, "02 (a split"},
        {{}, "2024-05-17", 0, 0, "\r\n240513", "\n240513", "2024-05-17", AsItWas, 1, "line 4:"},
        {{}, nullptr, 0, 0, "", "", "2024-05-17", Full, 0, "(500 rows, 500 new, 10 requests)"},
        {{}, "2020-05-15", 0, 0, "", "", "2024-05-17", Full, 0, "older than the rows downloaded"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options.join(' ').toStdString() + " " + (c.writtenAt ? c.writtenAt : ""));
        QFile::remove(file);
        QByteArray saved;
        if (c.writtenAt) {
            const QList<QByteArray> lines = download(c.options, c.writtenAt, file).split('\n');
            saved = lines.mid(c.drop, c.keep > 0 ? c.keep : -1).join('\n');
            saved = c.keep > 0 ? saved + '\n' : saved;
            saved = *c.from ? saved.replace(c.from, c.to) : saved;
            WriteBytes(file, saved);
        }
        const QByteArray full = download(c.options, c.end, dir.filePath("full.csv"));
        const auto run = update(c.options, c.end);
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(run.err.contains(c.said)) << run.err.toStdString();
        const QByteArray firstLine = saved.left(saved.indexOf('\n') + 1);
        const QByteArray expected[] = {full, full.left(full.indexOf(firstLine)) + saved, saved};
        EXPECT_EQ(ReadBytes(file), expected[c.result]);
    }

    // What is no export file of the period is left as it was, and nothing is asked.
    const struct {
        QStringList options;
        QByteArray bytes;
        const char* said;
    } unreadable[] = {
        {{}, "240517,0,0,0,0,0\r\n240517,0,0,0,0,0\r\n", "line 2: not older than the line above"},
        {{},
         "240517,0,0,0,0,0\r\n24\x94N05\x8C\x8E"
         "16\x93\xFA,0,0,0,0,0\r\n",
         "line 2: its date"},
        {{}, "240517,0,0,0,0\r\n", "line 1: not a date and five whole numbers"},
        {weekly, "240516,0,0,0,0,0\r\n", "line 1: \"240516\" is not a weekly date"},
    };
    for (const auto& u : unreadable) {
        SCOPED_TRACE(u.said);
        WriteBytes(file, u.bytes);
        const auto run = update(u.options, "2024-05-17");
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.startsWith(
            QStringLiteral("ardentix-get: 7203: cannot update %1: %2").arg(file, u.said)))
            << run.err.toStdString();
        EXPECT_EQ(ReadBytes(file), u.bytes);
    }
}

TEST(CommandLine, ReportsFailedFetchesAndWritesAndCountsThem) {
    service_test::RunningService service;
    QTemporaryDir dir;
    QFile plain(dir.filePath("plain.txt"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();

    const auto unwritable =
        RunTool({"--end", "2024-05-17", "--out", dir.filePath("plain.txt/x.csv"), "--host",
                 Host(service.port()), "7203"});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_TRUE(unwritable.err.contains("ardentix-get: 7203: ファイル作成: "))
        << unwritable.err.toStdString();
    EXPECT_TRUE(unwritable.err.endsWith("0 saved, 1 failed\n"));

    // EMPT answers an empty body, TWOB two bytes, HALF closes the connection mid-body.
    const auto fetches =
        RunTool({"--host", Host(service.port()), "EMPT", "TWOB", "HALF", "7203"}, dir.path());
    EXPECT_EQ(fetches.status, 1);
    for (const char* code : {"EMPT", "TWOB"}) {
        EXPECT_TRUE(fetches.err.contains(
            QStringLiteral("ardentix-get: %1: インターネット接続失敗!: ").arg(code) + Text(200)))
            << fetches.err.toStdString();
    }
    EXPECT_TRUE(
        fetches.err.contains(QStringLiteral("ardentix-get: HALF: インターネット接続失敗!: ") +
                             Host(service.port()) + QStringLiteral(": ")))
        << fetches.err.toStdString();
    EXPECT_TRUE(fetches.err.endsWith("1 saved, 3 failed\n")) << fetches.err.toStdString();
    EXPECT_EQ(Entries(dir.path()), (QStringList{"plain.txt", "zubD7203.csv"}));

    // Page 2 has no table: the 50 rows before it are saved, as the window lets them be saved,
    // but the code counts as incomplete.
    ardentix::testing::CannedServer cut;
    cut.Push(ReadBytes(QStringLiteral(ARDENTIX_TEST_DATA "/daily_50.html")));
    cut.Push(ReadBytes(QStringLiteral(ARDENTIX_TEST_DATA "/no_table.html")));
    const auto incomplete = RunTool({"--host", cut.host(), "7203"}, dir.path());
    EXPECT_EQ(incomplete.status, 1) << incomplete.err.toStdString();
    EXPECT_EQ(ReadBytes(dir.filePath("zubD7203.csv")).count("\r\n"), 50);
    EXPECT_TRUE(incomplete.err.endsWith("0 saved, 1 incomplete, 0 failed\n"))
        << incomplete.err.toStdString();
}

TEST(CommandLine, ParsesASavedPage) {
    const QString data = QStringLiteral(ARDENTIX_TEST_DATA "/");
    QTemporaryDir dir;
    QFile twoBytes(dir.filePath("two.html"));
    ASSERT_TRUE(twoBytes.open(QIODevice::WriteOnly));
    twoBytes.write("<a");
    twoBytes.close();

    const struct {
        QString file;
        QString period;
        QString rowsBefore;
        int status;
        int lines;
        const char* firstLine;
        const char* lastLine;
        const char* next;
        QString message;
    } cases[] = {
        {data + "daily_50.html",
         "daily",
         "0",
         0,
         50,
         "031205,991,1031,991,1031,157919",
         "030929,1454,1482,1451,1472,2289640",
         "yes",
         {}},
        {data + "monthly_last.html",
         "monthly",
         "0",
         0,
         14,
         "031200,",
         "021100,1438,1448,1432,1437,1535234",
         "no",
         {}},
        {data + "weekly_next.html", "weekly", "0", 0, 50, "031205,", "021227,", "yes", {}},
        {data + "daily_50.html", "daily", "500", 0, 0, nullptr, nullptr, "yes", {}},
        {data + "no_table.html", "daily", "0", 1, 0, nullptr, nullptr, "no",
         QStringLiteral("データ取得: ") + Text(202)},
        {twoBytes.fileName(), "daily", "0", 1, 0, nullptr, nullptr, nullptr,
         QStringLiteral("インターネット接続失敗!: ") + Text(200)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString() + " " + c.rowsBefore.toStdString());
        const auto run =
            RunTool({"--page", c.file, "--period", c.period, "--rows-before", c.rowsBefore});
        EXPECT_EQ(run.status, c.status) << run.err.toStdString();
        const QList<QByteArray> lines = run.out.split('\n');
        EXPECT_EQ(run.out.count("\r\n"), c.lines);
        EXPECT_EQ(lines.size(), c.lines + 1);
        if (c.lines > 0) {
            EXPECT_TRUE(lines.first().startsWith(c.firstLine)) << lines.first().toStdString();
            EXPECT_TRUE(lines[c.lines - 1].startsWith(c.lastLine));
        }
        if (c.next) {
            EXPECT_TRUE(run.err.startsWith(QStringLiteral("next page: ") + c.next));
        }
        if (!c.message.isEmpty()) {
            EXPECT_TRUE(run.err.contains(QStringLiteral("ardentix-get: ") + c.file +
                                         QStringLiteral(": ") + c.message + u'\n'))
                << run.err.toStdString();
        }
    }

    // Behind 480 stored rows the page fills the table to 500: its first 20 rows.
    const auto whole = RunTool({"--page", data + "daily_50.html"});
    const auto behind = RunTool({"--page", data + "daily_50.html", "--rows-before=480"});
    EXPECT_EQ(behind.status, 0);
    EXPECT_EQ(behind.out.count("\r\n"), 20);
    EXPECT_TRUE(whole.out.startsWith(behind.out));
}

// SLOW answers after 45 s; a signal must abort its request at once, not after the 30 s time-out.
TEST(CommandLine, StopsOnASignalAbortingTheRequestInFlight) {
    service_test::RunningService service;
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        QTemporaryDir dir;
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(QStringLiteral(ARDENTIX_GET_PROGRAM),
                      QStringList{"--end", "2024-05-17", "--host", Host(service.port()), "7203",
                                  "SLOW", "1234"});
        process.setReadChannel(QProcess::StandardError);
        const QByteArray requested = QStringLiteral("SLOW: 接続中....").toUtf8();
        QByteArray err;
        while (!err.contains(requested) && process.waitForReadyRead(30000)) {
            err += process.readAllStandardError();
        }
        ASSERT_TRUE(err.contains(requested)) << err.toStdString();
        ASSERT_EQ(::kill(pid_t(process.processId()), signal), 0);

        ASSERT_TRUE(process.waitForFinished(10000));
        err += process.readAllStandardError();
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 130);
        EXPECT_EQ(Entries(dir.path()), QStringList{"zubD7203.csv"});
        // Nothing reported after the request: the abort is no failure.
        EXPECT_TRUE(err.endsWith(requested +
                                 "\nardentix-get: interrupted\nardentix-get: 1 saved, 0 failed\n"))
            << err.toStdString();
        EXPECT_FALSE(err.contains("1234")) << "no code after the interrupted one is asked";
    }
}

}  // namespace
