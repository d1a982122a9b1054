// quote-service: the local quote service (installed as ardentix-quote-service). Serves until
// SIGINT or SIGTERM.
#include <pthread.h>
#include <signal.h>

#include <QFileInfo>
#include <QStringList>
#include <cerrno>
#include <cstdio>
#include <thread>

#include "tools/quote-service/data_folder.h"
#include "tools/quote-service/quote_server.h"
#include "tools/quote-service/service_options.h"

namespace {

using namespace quote_service;

// The name the program was started by: quote-service in the build, ardentix-quote-service
// installed.
QString programName = QStringLiteral("quote-service");

void PrintError(const QString& text) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(programName), qPrintable(text));
}

// The gateway to J-Quants over the store; nullptr with a line said when the store cannot open.
std::unique_ptr<JQuantsGateway> OpenGateway(const ServiceOptions& options) {
    auto store = QuoteStore::Open(options.storePath);
    if (!store.ok()) {
        PrintError(store.error);
        return nullptr;
    }
    GatewaySettings settings;
    settings.client.baseUrl = options.jquantsUrl;
    settings.client.caFile = options.caFile;
    settings.client.keyPlace = options.keyFile;
    settings.perMinute = options.rate;
    settings.rowsPerPage = options.rowsPerPage;
    settings.log = PrintError;  // under the name the program was started by
    return std::make_unique<JQuantsGateway>(std::move(settings), std::move(store.value));
}

int Serve(const ServiceOptions& options) {
    std::unique_ptr<JQuantsGateway> gateway;
    if (options.source == ServiceOptions::Source::JQuants) {
        gateway = OpenGateway(options);
        if (!gateway) {
            return 1;
        }
    }
    DataFolder data;
    if (options.source == ServiceOptions::Source::Folder) {
        QString error;
        auto loaded = LoadDataFolder(options.dataDir, &error);
        if (!loaded) {
            PrintError(error);
            return 1;
        }
        data = std::move(*loaded);
    }

    // Block the stop signals before any thread starts, so that only the waiting thread below
    // takes them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QuoteServer server(options.rowsPerPage, std::chrono::milliseconds(options.latencyMs),
                       std::move(data), std::move(gateway));
    if (!options.secretFile.isEmpty()) {
        QString error;
        const auto secret = LoadOrMakeSecret(options.secretFile, &error);
        if (!secret) {
            PrintError(error);
            return 1;
        }
        server.RequireSecret(*secret);
    }
    errno = 0;
    const int port = server.Bind(options.host, options.port);
    if (port < 0) {
        const QString reason =
            errno == EADDRINUSE ? QStringLiteral(": the port is already in use") : QString();
        PrintError(QStringLiteral("cannot listen on %1%2")
                       .arg(HostAndPort(options.host, options.port), reason));
        return 1;
    }

    std::thread signalWaiter([&server, &stopSignals] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        server.Stop();
    });
    std::printf("%s listening on http://%s\n", qPrintable(programName),
                qPrintable(HostAndPort(options.host, port)));
    std::fflush(stdout);

    const bool served = server.ListenAfterBind();
    pthread_kill(signalWaiter.native_handle(), SIGTERM);  // ends the wait if no signal came
    signalWaiter.join();
    if (!served) {
        PrintError(QStringLiteral("the server stopped with an error"));
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 0 && *argv[0] != '\0') {
        programName = QFileInfo(QString::fromLocal8Bit(argv[0])).fileName();
    }
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    const auto parsed = ParseOptions(arguments);
    if (std::holds_alternative<HelpAsked>(parsed)) {
        std::printf("%s", qPrintable(UsageText(programName)));
        return 0;
    }
    if (std::holds_alternative<VersionAsked>(parsed)) {
        std::printf("%s %s\n", qPrintable(programName), ARDENTIX_VERSION);
        return 0;
    }
    if (const auto* usage = std::get_if<UsageError>(&parsed)) {
        PrintError(usage->message);
        std::fprintf(stderr, "Try '%s --help' for the options.\n", qPrintable(programName));
        return 2;
    }
    return Serve(std::get<ServiceOptions>(parsed));
}
