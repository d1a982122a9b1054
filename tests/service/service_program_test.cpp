#include <gtest/gtest.h>
#include <signal.h>

#include <QProcess>
#include <QRegularExpression>

#include "service_harness.h"
#include "tools/quote-service/service_options.h"

namespace {

using quote_service::ParseOptions;
using quote_service::ServiceOptions;
using quote_service::UsageError;

TEST(ServiceOptions, ReadsEveryOptionInEitherForm) {
    const auto parsed = ParseOptions({"--host", "0.0.0.0", "--port=9000", "--data", "/tmp/quotes",
                                      "--rows-per-page=20", "--latency-ms", "150"});
    ASSERT_TRUE(std::holds_alternative<ServiceOptions>(parsed));
    const auto& options = std::get<ServiceOptions>(parsed);
    EXPECT_EQ(options.host, "0.0.0.0");
    EXPECT_EQ(options.port, 9000);
    EXPECT_EQ(options.dataDir, "/tmp/quotes");
    EXPECT_EQ(options.rowsPerPage, 20);
    EXPECT_EQ(options.latencyMs, 150);

    const auto defaults = std::get<ServiceOptions>(ParseOptions({}));
    EXPECT_EQ(defaults.host, "127.0.0.1") << "loopback unless told otherwise";
    EXPECT_EQ(defaults.port, QUOTE_SERVICE_DEFAULT_PORT);
    EXPECT_EQ(defaults.rowsPerPage, 50);
}

class Program : public ::testing::Test {
protected:
    // Runs the program to its end; returns its exit status.
    int RunToEnd(const QStringList& arguments) {
        QProcess process;
        process.start(QUOTE_SERVICE_PROGRAM, arguments);
        EXPECT_TRUE(process.waitForFinished(30000));
        errors_ = process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QString errors_;
};

TEST_F(Program, UsageErrorsExitWithStatusTwo) {
    const QStringList cases[] = {
        {"--port", "http"},
        {"--port", "65536"},
        {"--port", "-1"},
        {"--rows-per-page", "0"},
        {"--latency-ms", "x"},
        {"--verbose"},
        {"--port"},
        {"--host="},
        {"8740"},
    };
    for (const QStringList& arguments : cases) {
        EXPECT_EQ(RunToEnd(arguments), 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(errors_.contains("usage:")) << errors_.toStdString();
    }
}

TEST_F(Program, UnreadableDataFolderIsRefusedAtStart) {
    EXPECT_EQ(RunToEnd({"--port", "0", "--data", "/nonexistent/quotes"}), 1);
    EXPECT_TRUE(errors_.contains("/nonexistent/quotes")) << errors_.toStdString();
}

TEST_F(Program, ServesUntilItIsSignalledAndHoldsItsPortAlone) {
    // The second run takes the port of the first right after it stopped.
    QString port = QStringLiteral("0");
    for (const int signal : {SIGINT, SIGTERM}) {
        QProcess process;
        process.start(QUOTE_SERVICE_PROGRAM, {"--port", port});
        ASSERT_TRUE(process.waitForReadyRead(30000));
        const QString line = QString::fromUtf8(process.readLine());
        const auto match =
            QRegularExpression(R"(^quote-service listening on http://127\.0\.0\.1:(\d+)\n$)")
                .match(line);
        ASSERT_TRUE(match.hasMatch()) << line.toStdString();
        port = match.captured(1);

        httplib::Client client("127.0.0.1", port.toInt());
        // The first service, not the client, closes this connection as it stops (in about the
        // library's 5 s keep-alive time), which leaves the connection in TIME_WAIT on the port.
        client.set_keep_alive(signal == SIGINT);
        const auto page = client.Get("/t?c=2003&a=1&b=6&f=2003&d=3&e=14&g=d&s=7203&y=0&x=.csv");
        ASSERT_TRUE(page);
        EXPECT_EQ(page->status, 200);

        EXPECT_EQ(RunToEnd({"--port", port}), 1) << "a second service on the same port";
        EXPECT_EQ(errors_, "quote-service: cannot listen on 127.0.0.1:" + port +
                               ": the port is already in use\n");

        ::kill(static_cast<pid_t>(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    }
}

}  // namespace
