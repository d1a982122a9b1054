#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <variant>

#include "tools/quote-service/client_secret.h"

namespace quote_service {

struct ServiceOptions {
    std::string host = "127.0.0.1";
    int port = DefaultPort();
    QString dataDir;  // empty: generated histories only
    int rowsPerPage = 50;
    int latencyMs = 0;
    QString secretFile;  // empty: no secret asked for
};

struct UsageError {
    QString message;
};

struct HelpAsked {};

// Reads the command-line arguments that follow the program name. Each option takes its value
// as the next argument or after "=": --host H, --port N (0 to 65535, 0 picks a free port),
// --data DIR, --rows-per-page N (1 to 500), --latency-ms N (0 to 600000), --secret-file PATH;
// --help.
std::variant<ServiceOptions, UsageError, HelpAsked> ParseOptions(const QStringList& arguments);

QString UsageText();

}  // namespace quote_service
