#include "tools/quote-service/service_options.h"

#include <optional>

namespace quote_service {

namespace {

const QStringList kOptions = {QStringLiteral("--host"),       QStringLiteral("--port"),
                              QStringLiteral("--data"),       QStringLiteral("--rows-per-page"),
                              QStringLiteral("--latency-ms"), QStringLiteral("--secret-file")};

std::optional<int> NumberIn(const QString& text, int low, int high) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high || text.startsWith(u'+')) {
        return std::nullopt;
    }
    return value;
}

UsageError Refuse(const QString& option, const QString& value, int low, int high) {
    return {QStringLiteral("%1: expected a whole number from %2 to %3, got \"%4\"")
                .arg(option)
                .arg(low)
                .arg(high)
                .arg(value)};
}

}  // namespace

QString UsageText() {
    return QStringLiteral(
               "usage: quote-service [--host 127.0.0.1] [--port %1] [--data DIR]\n"
               "                     [--rows-per-page 50] [--latency-ms 0]\n"
               "                     [--secret-file PATH: answer only queries that carry it]\n")
        .arg(DefaultPort());
}

std::variant<ServiceOptions, UsageError, HelpAsked> ParseOptions(const QStringList& arguments) {
    ServiceOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == u"--help" || arguments[i] == u"-h") {
            return HelpAsked{};
        }
        QString option = arguments[i];
        QString value;
        const qsizetype equals = option.indexOf(u'=');
        if (equals > 0) {
            value = option.mid(equals + 1);
            option.truncate(equals);
        }
        if (!kOptions.contains(option)) {
            return UsageError{QStringLiteral("%1: unknown option").arg(option)};
        }
        if (equals <= 0) {
            if (i + 1 >= arguments.size()) {
                return UsageError{QStringLiteral("%1: missing value").arg(option)};
            }
            value = arguments[++i];
        }

        if (option == u"--host") {
            if (value.isEmpty()) {
                return UsageError{QStringLiteral("--host: empty host")};
            }
            options.host = value.toStdString();
        } else if (option == u"--port") {
            const auto port = NumberIn(value, 0, 65535);
            if (!port)
                return Refuse(option, value, 0, 65535);
            options.port = *port;
        } else if (option == u"--data") {
            if (value.isEmpty()) {
                return UsageError{QStringLiteral("--data: empty folder name")};
            }
            options.dataDir = value;
        } else if (option == u"--rows-per-page") {
            const auto rows = NumberIn(value, 1, 500);
            if (!rows)
                return Refuse(option, value, 1, 500);
            options.rowsPerPage = *rows;
        } else if (option == u"--secret-file") {
            if (value.isEmpty()) {
                return UsageError{QStringLiteral("--secret-file: empty file name")};
            }
            options.secretFile = value;
        } else {
            const auto latency = NumberIn(value, 0, 600000);
            if (!latency)
                return Refuse(option, value, 0, 600000);
            options.latencyMs = *latency;
        }
    }
    return options;
}

}  // namespace quote_service
