#pragma once

#include <QDir>
#include <QString>
#include <QStringList>
#include <string>
#include <variant>

#include "tools/quote-service/client_secret.h"

namespace quote_service {

struct ServiceOptions {
    enum class Source { Demo, Folder, JQuants };

    std::string host = "127.0.0.1";
    int port = DefaultPort();
    Source source = Source::Demo;
    QString dataDir;  // Folder: the data folder
    QString keyFile = QDir::homePath() + QStringLiteral("/.config/ardentix/jquants-api-key");
    QString jquantsUrl = QStringLiteral("https://api.jquants.com/v2");
    QString caFile;  // empty: the system's certificates
    QString storePath = QDir::homePath() + QStringLiteral("/.local/share/ardentix/quotes.sqlite");
    int rate = 5;  // J-Quants requests a minute
    int rowsPerPage = 50;
    int latencyMs = 0;
    QString secretFile;  // empty: no secret asked for
};

struct UsageError {
    QString message;
};

struct HelpAsked {};
struct VersionAsked {};

// Reads the command-line arguments that follow the program name. Each option takes its value
// as the next argument or after "=": --host H, --port N (0 to 65535, 0 picks a free port),
// --source demo|folder:DIR|jquants (--data DIR is folder:DIR), --key-file PATH,
// --jquants-url URL (https, or http to this machine), --ca-file PATH, --store PATH,
// --rate N (1 to 10000), --rows-per-page N (1 to 500), --latency-ms N (0 to 600000),
// --secret-file PATH; --help, --version.
std::variant<ServiceOptions, UsageError, HelpAsked, VersionAsked> ParseOptions(
    const QStringList& arguments);

// The --help text, for the program called by that name.
QString UsageText(const QString& program);

// host:port as a URL writes it: an IPv6 address in brackets.
QString HostAndPort(const std::string& host, int port);

}  // namespace quote_service
