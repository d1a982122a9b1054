#include "tools/ardentix-get/cli_options.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <optional>

#include "parse/quote_table.h"
#include "retrieval/query_tables.h"
#include "export/row_scaling.h"

namespace ardentix::cli {
namespace {

enum class Used { Download, Page, Both };

struct OptionInfo {
    const char16_t* name;
    bool takesValue;
    Used usedBy;
};

constexpr std::array<OptionInfo, 15> kOptions = {{
    {u"--market", true, Used::Download},
    {u"--period", true, Used::Both},
    {u"--end", true, Used::Download},
    {u"--price-scale", true, Used::Download},
    {u"--volume-scale", true, Used::Download},
    {u"--date-form", true, Used::Download},
    {u"--out", true, Used::Download},
    {u"--out-dir", true, Used::Download},
    {u"--host", true, Used::Download},
    {u"--codes-from", true, Used::Download},
    {u"--quiet", false, Used::Both},
    {u"--page", true, Used::Page},
    {u"--rows-before", true, Used::Page},
    {u"--help", false, Used::Both},
    {u"--version", false, Used::Both},
}};

// In the order of kMarkets and of the period options.
constexpr std::array<const char16_t*, 8> kMarketNames = {
    u"auto", u"tokyo", u"osaka", u"nagoya", u"sapporo", u"fukuoka", u"otc", u"nasdaq"};
static_assert(kMarketNames.size() == kMarkets.size());
constexpr std::array<const char16_t*, 3> kPeriodNames = {u"daily", u"weekly", u"monthly"};
static_assert(kPeriodNames.size() == kPeriods.size());
constexpr std::array<const char16_t*, 2> kDateForms = {u"yymmdd", u"kanji"};

// The earliest date the window's date field holds.
const QDate kFirstEndDate(1752, 9, 14);

const OptionInfo* FindOption(const QString& name) {
    for (const OptionInfo& info : kOptions) {
        if (name == QStringView(info.name)) {
            return &info;
        }
    }
    return nullptr;
}

template <std::size_t N>
std::optional<int> IndexOf(const std::array<const char16_t*, N>& names, const QString& value) {
    for (std::size_t i = 0; i < N; ++i) {
        if (value == QStringView(names[i])) {
            return int(i);
        }
    }
    return std::nullopt;
}

template <std::size_t N>
QString Choices(const std::array<const char16_t*, N>& names) {
    QStringList list;
    for (const char16_t* name : names) {
        list << QString::fromUtf16(name);
    }
    return list.join(u'|');
}

template <std::size_t N>
std::optional<int> Divisor(const std::array<ScaleEntry, N>& scales, const QString& value) {
    for (const ScaleEntry& entry : scales) {
        if (value == QString::number(entry.divisor)) {
            return entry.divisor;
        }
    }
    return std::nullopt;
}

template <std::size_t N>
QString DivisorChoices(const std::array<ScaleEntry, N>& scales) {
    std::array<int, N> divisors{};
    for (std::size_t i = 0; i < N; ++i) {
        divisors[i] = scales[i].divisor;
    }
    std::sort(divisors.begin(), divisors.end());
    QStringList list;
    for (int divisor : divisors) {
        list << QString::number(divisor);
    }
    return list.join(u'|');
}

UsageError Expected(const QString& option, const QString& what, const QString& value) {
    return {QStringLiteral("%1: expected %2, got \"%3\"").arg(option, what, value)};
}

std::optional<QDate> ReadEndDate(const QString& value) {
    static const QRegularExpression shape(QStringLiteral(R"(^\d{4}-\d{2}-\d{2}$)"));
    if (!shape.match(value).hasMatch()) {
        return std::nullopt;
    }
    const QDate date = QDate::fromString(value, Qt::ISODate);
    if (!date.isValid() || date < kFirstEndDate) {
        return std::nullopt;
    }
    return date;
}

// HOST or HOST:PORT, the host a name, an IPv4 address or a bracketed IPv6 address. The value
// goes into the URL as it stands, so nothing else may pass.
bool IsHostAndPort(const QString& value) {
    static const QRegularExpression shape(
        QStringLiteral(R"(^(?:[A-Za-z0-9](?:[A-Za-z0-9.-]*)|\[[0-9A-Fa-f:.]+\])(?::(\d{1,5}))?$)"));
    const QRegularExpressionMatch match = shape.match(value);
    if (!match.hasMatch()) {
        return false;
    }
    const QString port = match.captured(1);
    return port.isEmpty() || (port.toInt() >= 1 && port.toInt() <= 65535);
}

std::optional<int> ReadRowsBefore(const QString& value) {
    static const QRegularExpression digits(QStringLiteral(R"(^\d{1,3}$)"));
    if (!digits.match(value).hasMatch() || value.toInt() > kMaxRows) {
        return std::nullopt;
    }
    return value.toInt();
}

// One code a line; "#" starts a comment; blanks around a code and blank lines are dropped.
std::variant<QStringList, UsageError> ReadCodesFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return UsageError{
            QStringLiteral("--codes-from: cannot read %1: %2").arg(path, file.errorString())};
    }
    QStringList codes;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        const QString code = line.left(line.indexOf(u'#')).trimmed();
        if (!code.isEmpty()) {
            codes << code;
        }
    }
    return codes;
}

using Given = QHash<QString, QString>;

std::variant<PageOptions, UsageError> MakePageOptions(const Given& given,
                                                      const QStringList& codes) {
    if (!codes.isEmpty()) {
        return UsageError{QStringLiteral("--page: takes no codes (got \"%1\")").arg(codes.first())};
    }
    PageOptions options;
    options.file = given.value(QStringLiteral("--page"));
    if (options.file.isEmpty()) {
        return UsageError{QStringLiteral("--page: empty file name")};
    }
    if (given.contains(QStringLiteral("--period"))) {
        const QString value = given.value(QStringLiteral("--period"));
        const auto period = IndexOf(kPeriodNames, value);
        if (!period) {
            return Expected(QStringLiteral("--period"), Choices(kPeriodNames), value);
        }
        options.period = static_cast<Period>(*period);
    }
    if (given.contains(QStringLiteral("--rows-before"))) {
        const QString value = given.value(QStringLiteral("--rows-before"));
        const auto rows = ReadRowsBefore(value);
        if (!rows) {
            return Expected(QStringLiteral("--rows-before"),
                            QStringLiteral("a whole number from 0 to %1").arg(kMaxRows), value);
        }
        options.rowsBefore = *rows;
    }
    return options;
}

std::variant<DownloadOptions, UsageError> MakeDownloadOptions(const Given& given, QStringList codes,
                                                              QDate today) {
    DownloadOptions options;
    options.endDate = today;
    options.host = QStringLiteral(ARDENTIX_QUOTE_HOST);
    options.outDir = QStringLiteral(".");
    options.quiet = given.contains(QStringLiteral("--quiet"));
    for (const OptionInfo& info : kOptions) {
        const QString option = QString::fromUtf16(info.name);
        if (!given.contains(option)) {
            continue;
        }
        const QString value = given.value(option);
        if (option == u"--market") {
            const auto market = IndexOf(kMarketNames, value);
            if (!market) {
                return Expected(option, Choices(kMarketNames), value);
            }
            options.marketIndex = *market;
        } else if (option == u"--period") {
            const auto period = IndexOf(kPeriodNames, value);
            if (!period) {
                return Expected(option, Choices(kPeriodNames), value);
            }
            options.period = static_cast<Period>(*period);
        } else if (option == u"--end") {
            const auto date = ReadEndDate(value);
            if (!date) {
                return Expected(option, QStringLiteral("a date YYYY-MM-DD from 1752-09-14 on"),
                                value);
            }
            options.endDate = *date;
        } else if (option == u"--price-scale") {
            const auto divisor = Divisor(kPriceScales, value);
            if (!divisor) {
                return Expected(option, DivisorChoices(kPriceScales), value);
            }
            options.priceDivisor = *divisor;
        } else if (option == u"--volume-scale") {
            const auto divisor = Divisor(kVolumeScales, value);
            if (!divisor) {
                return Expected(option, DivisorChoices(kVolumeScales), value);
            }
            options.volumeDivisor = *divisor;
        } else if (option == u"--date-form") {
            const auto form = IndexOf(kDateForms, value);
            if (!form) {
                return Expected(option, Choices(kDateForms), value);
            }
            options.ymdForm = *form;
        } else if (option == u"--out") {
            if (value.isEmpty()) {
                return UsageError{QStringLiteral("--out: empty file name")};
            }
            options.outFile = value;
        } else if (option == u"--out-dir") {
            if (!QFileInfo(value).isDir()) {
                return UsageError{QStringLiteral("--out-dir: no such folder \"%1\"").arg(value)};
            }
            options.outDir = value;
        } else if (option == u"--host") {
            if (!IsHostAndPort(value)) {
                return Expected(option, QStringLiteral("HOST or HOST:PORT"), value);
            }
            options.host = value;
        } else if (option == u"--codes-from") {
            auto read = ReadCodesFile(value);
            if (auto* error = std::get_if<UsageError>(&read)) {
                return *error;
            }
            codes += std::get<QStringList>(read);
        }
    }
    if (codes.isEmpty()) {
        return UsageError{QStringLiteral("no codes given")};
    }
    if (!options.outFile.isEmpty()) {
        if (given.contains(QStringLiteral("--out-dir"))) {
            return UsageError{QStringLiteral("--out: cannot be used with --out-dir")};
        }
        if (codes.size() > 1) {
            return UsageError{
                QStringLiteral("--out: takes exactly one code, got %1").arg(codes.size())};
        }
    } else {
        for (const QString& code : codes) {
            if (code.contains(u'/')) {
                return UsageError{
                    QStringLiteral("%1: a code with \"/\" cannot name a file; use --out")
                        .arg(code)};
            }
        }
    }
    options.codes = std::move(codes);
    return options;
}

}  // namespace

Command ParseCommandLine(const QStringList& arguments, QDate today) {
    Given given;
    QStringList codes;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith(u'-') || argument == u"-") {
            codes << argument;
            continue;
        }
        if (argument == u"--") {
            optionsEnded = true;
            continue;
        }
        const qsizetype equals = argument.indexOf(u'=');
        const QString name = equals > 0 ? argument.left(equals) : argument;
        const OptionInfo* info = FindOption(name);
        if (!info) {
            return UsageError{QStringLiteral("%1: unknown option").arg(name)};
        }
        QString value;
        if (!info->takesValue) {
            if (equals > 0) {
                return UsageError{QStringLiteral("%1: takes no value").arg(name)};
            }
        } else if (equals > 0) {
            value = argument.mid(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            return UsageError{QStringLiteral("%1: missing value").arg(name)};
        }
        if (name == u"--help") {
            return HelpAsked{};
        }
        if (name == u"--version") {
            return VersionAsked{};
        }
        if (given.contains(name)) {
            return UsageError{QStringLiteral("%1: given more than once").arg(name)};
        }
        given.insert(name, value);
    }

    const bool pageMode = given.contains(QStringLiteral("--page"));
    for (const OptionInfo& info : kOptions) {
        const QString option = QString::fromUtf16(info.name);
        if (!given.contains(option)) {
            continue;
        }
        if (pageMode && info.usedBy == Used::Download) {
            return UsageError{QStringLiteral("%1: cannot be used with --page").arg(option)};
        }
        if (!pageMode && info.usedBy == Used::Page) {
            return UsageError{QStringLiteral("%1: only used with --page").arg(option)};
        }
    }
    if (pageMode) {
        auto page = MakePageOptions(given, codes);
        if (auto* error = std::get_if<UsageError>(&page)) {
            return *error;
        }
        return std::get<PageOptions>(page);
    }
    auto download = MakeDownloadOptions(given, std::move(codes), today);
    if (auto* error = std::get_if<UsageError>(&download)) {
        return *error;
    }
    return std::get<DownloadOptions>(download);
}

QString UsageText() {
    return QStringLiteral(
        "usage: ardentix-get [options] CODE...\n"
        "       ardentix-get --page FILE [--period daily|weekly|monthly] [--rows-before N]\n");
}

QString HelpText() {
    return UsageText() + QStringLiteral(R"(
Downloads the chart pages of each code from the quote service, as the window's download
button does, and saves the rows as the window's save button does (code page 932, CR LF).

  --market M          auto|tokyo|osaka|nagoya|sapporo|fukuoka|otc|nasdaq (default auto)
  --period P          daily|weekly|monthly (default daily)
  --end YYYY-MM-DD    last day of the range (default today)
  --price-scale N     1|10|100|1000: divide the prices (default 1)
  --volume-scale N    1|10|100|1000|10000|100000|1000000: divide the volume (default 1000)
  --date-form F       yymmdd|kanji: 240105 or 24年01月05日 (default yymmdd)
  --out FILE          the file to write (one code only)
  --out-dir DIR       folder for zub<D|W|M><code>.csv files (default: the current folder)
  --host HOST[:PORT]  the quote service (default %1)
  --codes-from FILE   more codes, one a line; "#" starts a comment, blank lines are skipped
  --quiet             no progress and no summary; messages still appear
  --page FILE         parse one saved chart page; print its rows on standard output
  --rows-before N     with --page: rows stored before this page, 0 to 500 (default 0)
  --help, --version

Each option also takes its value after "=" (--period=weekly); "--" ends the options.

Exit status: 0 every code saved (--page: the page parsed), 1 a code failed (the others
are still saved; --page: the page did not parse), 2 a usage error, 130 stopped by Ctrl-C
or SIGTERM: the program stops after the request in flight and the code being downloaded
writes no file. A second Ctrl-C ends it at once.
)")
                             .arg(QStringLiteral(ARDENTIX_QUOTE_HOST));
}

QString VersionText() {
    return QStringLiteral("ardentix-get %1.%2.%3")
        .arg(ARDENTIX_VERSION_MAJOR)
        .arg(ARDENTIX_VERSION_MINOR)
        .arg(ARDENTIX_VERSION_PATCH);
}

}  // namespace ardentix::cli
