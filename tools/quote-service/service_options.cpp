#include "tools/quote-service/service_options.h"

#include <algorithm>
#include <optional>

#include "retrieval/gateway_access.h"
#include "tools/quote-service/jquants_client.h"

namespace quote_service {

namespace {

const QStringList kOptions = {QStringLiteral("--host"),       QStringLiteral("--port"),
                              QStringLiteral("--data"),       QStringLiteral("--rows-per-page"),
                              QStringLiteral("--latency-ms"), QStringLiteral("--source"),
                              QStringLiteral("--key-file"),   QStringLiteral("--jquants-url"),
                              QStringLiteral("--ca-file"),    QStringLiteral("--store"),
                              QStringLiteral("--rate"),       QStringLiteral("--secret-file")};

// The options that take a whole number, and its range.
struct WholeNumberOption {
    const char* name;
    int ServiceOptions::*field;
    int low;
    int high;
};
constexpr WholeNumberOption kWholeNumbers[] = {
    {"--port", &ServiceOptions::port, 0, 65535},
    {"--rate", &ServiceOptions::rate, 1, 10000},
    {"--rows-per-page", &ServiceOptions::rowsPerPage, 1, 500},
    {"--latency-ms", &ServiceOptions::latencyMs, 0, 600000}};

// Sets the option's field from the text, or says why the text is refused.
std::optional<UsageError> SetWholeNumber(const WholeNumberOption& option, const QString& text,
                                         ServiceOptions& options) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < option.low || value > option.high || text.startsWith(u'+')) {
        return UsageError{QStringLiteral("%1: expected a whole number from %2 to %3, got \"%4\"")
                              .arg(QLatin1String(option.name))
                              .arg(option.low)
                              .arg(option.high)
                              .arg(text)};
    }
    options.*option.field = value;
    return std::nullopt;
}

}  // namespace

QString UsageText(const QString& program) {
    return QStringLiteral(
               "Usage: %1 [OPTION]...\n"
               "Answers the chart query of ardentix and ardentix-get over HTTP with chart\n"
               "pages of generated prices, of CSV files in a folder, or of real daily prices\n"
               "from J-Quants. Stops on SIGINT or SIGTERM.\n"
               "\n"
               "Options (each also as --option=VALUE):\n"
               "  --host HOST            address to listen on (default 127.0.0.1)\n"
               "  --port N               port, 0 to 65535; 0 picks a free one (default %2)\n"
               "  --source SOURCE        demo (generated prices), folder:DIR (CSV files) or\n"
               "                         jquants (default demo)\n"
               "  --data DIR             the same as --source folder:DIR\n"
               "  --rows-per-page N      bars per page, 1 to 500 (default 50)\n"
               "  --latency-ms N         wait before every answer, 0 to 600000 (default 0)\n"
               "  --secret-file PATH     answer only queries that carry the secret kept in PATH\n"
               "                         (made, readable by its owner only, when missing)\n"
               "  -h, --help             show this text and exit\n"
               "  --version              show the version and exit\n"
               "\n"
               "With --source jquants:\n"
               "  --key-file PATH        the J-Quants API key, in a file readable by its owner\n"
               "                         only (default ~/.config/ardentix/jquants-api-key);\n"
               "                         JQUANTS_API_KEY is used when there is no key file\n"
               "  --store PATH           the store of fetched prices\n"
               "                         (default ~/.local/share/ardentix/quotes.sqlite)\n"
               "  --rate N               J-Quants requests a minute, 1 to 10000 (default 5)\n"
               "  --jquants-url URL      the API's base URL, https (http only to this machine)\n"
               "                         (default https://api.jquants.com/v2)\n"
               "  --ca-file PATH         certificates to trust instead of the system's\n"
               "\n"
               "Exit status: 0 after a stop signal, 1 when the service cannot start, 2 for\n"
               "a wrong option.\n")
        .arg(program, ardentix::kInstalledGateway
                          ? QStringLiteral("%1 + uid % 10000").arg(ardentix::GatewayPortOf(0))
                          : QString::number(DefaultPort()));
}

QString HostAndPort(const std::string& host, int port) {
    const QString name = QString::fromStdString(host);
    return (name.contains(u':') ? u'[' + name + u']' : name) + u':' + QString::number(port);
}

std::variant<ServiceOptions, UsageError, HelpAsked, VersionAsked> ParseOptions(
    const QStringList& arguments) {
    ServiceOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == u"--help" || arguments[i] == u"-h") {
            return HelpAsked{};
        }
        if (arguments[i] == u"--version") {
            return VersionAsked{};
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

        const auto number = std::ranges::find_if(
            kWholeNumbers, [&option](const auto& n) { return option == QLatin1String(n.name); });
        if (number != std::end(kWholeNumbers)) {
            if (auto refused = SetWholeNumber(*number, value, options)) {
                return *refused;
            }
        } else if (option == u"--host") {
            if (value.isEmpty()) {
                return UsageError{QStringLiteral("--host: empty host")};
            }
            options.host = value.toStdString();
        } else if (option == u"--data" || option == u"--source") {
            const bool folder = option == u"--data" || value.startsWith(u"folder:");
            if (folder) {
                options.dataDir = option == u"--data" ? value : value.mid(7);
                if (options.dataDir.isEmpty()) {
                    return UsageError{QStringLiteral("%1: empty folder name").arg(option)};
                }
                options.source = ServiceOptions::Source::Folder;
            } else if (value == u"demo" || value == u"jquants") {
                options.source = value == u"demo" ? ServiceOptions::Source::Demo
                                                  : ServiceOptions::Source::JQuants;
            } else {
                return UsageError{
                    QStringLiteral("--source: expected demo, folder:DIR or jquants, got \"%1\"")
                        .arg(value)};
            }
        } else if (option == u"--jquants-url") {
            if (const QString problem = BaseUrlProblem(value); !problem.isEmpty()) {
                return UsageError{QStringLiteral("--jquants-url: %1").arg(problem)};
            }
            options.jquantsUrl = value;
        } else {  // a file: --key-file, --ca-file, --store or --secret-file
            if (value.isEmpty()) {
                return UsageError{QStringLiteral("%1: empty file name").arg(option)};
            }
            (option == u"--key-file"  ? options.keyFile
             : option == u"--ca-file" ? options.caFile
             : option == u"--store"   ? options.storePath
                                      : options.secretFile) = value;
        }
    }
    return options;
}

}  // namespace quote_service
