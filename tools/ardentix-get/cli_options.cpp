#include "tools/ardentix-get/cli_options.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <algorithm>

#include <fcntl.h>
#include <unistd.h>

#include "export/row_scaling.h"
#include "parse/quote_table.h"
#include "retrieval/gateway_access.h"
#include "retrieval/stock_code.h"

namespace ardentix::cli {
namespace {

using namespace Qt::StringLiterals;

// In the order of kMarkets, of the period options and of the date-format list.
const QStringList kMarketNames = {u"auto"_s,    u"tokyo"_s,   u"osaka"_s, u"nagoya"_s,
                                  u"sapporo"_s, u"fukuoka"_s, u"otc"_s,   u"nasdaq"_s};

// Follows Qt's "Usage: PROGRAM [options] CODE..." line.
const QString kDescription =
    uR"(   or: %1 --page FILE [--period daily|weekly|monthly] [--rows-before N]

Downloads the chart pages of each code from the quote service, as the window's download
button does, and saves the rows as the window's save button does (code page 932, CR LF).)"_s;

const QString kExitStatus =
    uR"(
Each option also takes its value after "=" (--period=weekly); "--" ends the options.

Exit status: 0 every code saved (--page: the page parsed), 1 a code failed or was saved
incomplete (the others are still saved; --page: the page did not parse), 2 a usage error,
130 stopped by Ctrl-C or SIGTERM: the request in flight is abandoned and the code being
downloaded writes no file. A second Ctrl-C ends it at once.
)"_s;

// A day; four of them, the longest wait for a whole page, still count in int milliseconds.
constexpr int kLongestTimeout = 86400;

template <std::size_t N>
QStringList Divisors(std::array<ScaleEntry, N> scales) {
    std::sort(scales.begin(), scales.end(), [](auto a, auto b) { return a.divisor < b.divisor; });
    QStringList names;
    for (const ScaleEntry& entry : scales) {
        names << QString::number(entry.divisor);
    }
    return names;
}

// The checks throw the refusal; ParseCommandLine returns it.
void Require(bool ok, const QString& refusal) {
    if (!ok) {
        throw UsageError{refusal};
    }
}

QString Expected(const QCommandLineParser& parser, const QString& name, const QString& what) {
    return u"--%1: expected %2, got \"%3\""_s.arg(name, what, parser.value(name));
}

int Choice(const QCommandLineParser& parser, const QString& name, const QStringList& names) {
    const qsizetype index = names.indexOf(parser.value(name));
    Require(index >= 0, Expected(parser, name, names.join(u'|')));
    return int(index);
}

QString FileName(const QCommandLineParser& parser, const QString& name) {
    Require(!parser.isSet(name) || !parser.value(name).isEmpty(),
            u"--%1: empty file name"_s.arg(name));
    return parser.value(name);
}

// HOST or HOST:PORT, the host a name, an IPv4 address or a bracketed IPv6 address. The value
// goes into the URL as it stands, so nothing else may pass.
bool IsHostAndPort(const QString& value) {
    static const QRegularExpression shape(
        QStringLiteral(R"(^(?:[A-Za-z0-9](?:[A-Za-z0-9.-]*)|\[[0-9A-Fa-f:.]+\])(?::(\d{1,5}))?$)"));
    const QRegularExpressionMatch match = shape.match(value);
    const int port = match.captured(1).toInt();
    return match.hasMatch() && (match.captured(1).isEmpty() || (port >= 1 && port <= 65535));
}

// A code as a refusal quotes it: on one line.
QString Shown(QString code) {
    std::ranges::replace_if(
        code, [](QChar c) { return c.category() == QChar::Other_Control; }, u'?');
    return u'"' + code + u'"';
}

// One code a line; "#" starts a comment; blanks around a code and blank lines are dropped. A
// code longer than any code is a file that is no list.
QStringList ReadCodes(const QString& path) {
    constexpr qsizetype kLongest = 64, kQuoted = 20;
    QFile file(path);
    const bool opened =
        path == u"-" ? file.open(stdin, QIODevice::ReadOnly) : file.open(QIODevice::ReadOnly);
    Require(opened, u"--codes-from: cannot read %1: %2"_s.arg(path, file.errorString()));
    // fromUtf8 drops a byte-order mark at the start.
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    QStringList codes;
    for (qsizetype index = 0; index < lines.size(); ++index) {
        const QString code = lines[index].left(lines[index].indexOf(u'#')).trimmed();
        Require(code.size() <= kLongest,
                u"--codes-from: line %1: %2 is longer than %3 characters"_s.arg(index + 1)
                    .arg(Shown(code.left(kQuoted) + u'…'))
                    .arg(kLongest));
        codes << code;
    }
    codes.removeAll(QString());
    return codes;
}

// Why the file cannot be written as the saved file will be (a new file made beside it and
// renamed over it, or the existing one written in place), or nothing. Tried by opening, since
// permission bits do not stop root.
QString WriteRefusal(const QFileInfo& target) {
    // A named pipe or a device is written as it stands; opening it here would already hand a
    // waiting reader its end of file.
    if (target.exists() && !target.isFile() && !target.isDir()) {
        return {};
    }
    if (target.exists()) {
        const int fd = ::open(QFile::encodeName(target.filePath()).constData(),
                              O_WRONLY | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd >= 0) {
            ::close(fd);
            return {};
        }
    }
    const QString folder = target.exists() ? QFileInfo(target.canonicalFilePath()).absolutePath()
                                           : target.absolutePath();
    QTemporaryFile probe(QDir(folder).filePath(u".ardentix-get-XXXXXX"_s));
    return probe.open() ? QString() : probe.errorString();
}

// --out's folder is made if missing, as --out-dir's is.
void CheckOutFile(const QString& path) {
    if (path.isEmpty() || path == u"-") {
        return;
    }
    const QFileInfo target(path);
    Require(!target.isDir() && !target.fileName().isEmpty(),
            u"--out: \"%1\" is a folder"_s.arg(path));
    Require(QDir().mkpath(target.absolutePath()),
            u"--out: cannot make the folder of \"%1\""_s.arg(path));
    const QString refusal = WriteRefusal(target);
    Require(refusal.isEmpty(), u"--out: cannot write \"%1\": %2"_s.arg(path, refusal));
}

PageOptions MakePage(const QCommandLineParser& parser) {
    const QStringList codes = parser.positionalArguments();
    Require(codes.isEmpty(), u"--page: takes no codes (got \"%1\")"_s.arg(codes.value(0)));
    PageOptions options;
    options.file = FileName(parser, u"page"_s);
    options.period = static_cast<Period>(Choice(parser, u"period"_s, kPeriodNames));
    static const QRegularExpression digits(u"^\\d{1,3}$"_s);
    options.rowsBefore = parser.value(u"rows-before"_s).toInt();
    Require(
        digits.match(parser.value(u"rows-before"_s)).hasMatch() && options.rowsBefore <= kMaxRows,
        Expected(parser, u"rows-before"_s, u"a whole number from 0 to %1"_s.arg(kMaxRows)));
    return options;
}

DownloadOptions MakeDownload(const QCommandLineParser& parser, QDate today) {
    DownloadOptions options;
    options.marketIndex = Choice(parser, u"market"_s, kMarketNames);
    options.period = static_cast<Period>(Choice(parser, u"period"_s, kPeriodNames));
    const QString end = parser.value(u"end"_s);
    options.endDate = parser.isSet(u"end"_s) ? QDate::fromString(end, Qt::ISODate) : today;
    // 1752-09-14: the earliest date the window's date field holds.
    Require(!parser.isSet(u"end"_s) || (options.endDate.toString(Qt::ISODate) == end &&
                                        options.endDate >= QDate(1752, 9, 14)),
            Expected(parser, u"end"_s, u"a date YYYY-MM-DD from 1752-09-14 on"_s));
    const QStringList prices = Divisors(kPriceScales);
    const QStringList volumes = Divisors(kVolumeScales);
    options.priceDivisor = prices[Choice(parser, u"price-scale"_s, prices)].toInt();
    options.volumeDivisor = volumes[Choice(parser, u"volume-scale"_s, volumes)].toInt();
    options.ymdForm = Choice(parser, u"date-form"_s, kDateFormNames);
    options.outFile = FileName(parser, u"out"_s);
    options.outDir = parser.value(u"out-dir"_s);
    options.host = parser.value(u"host"_s);
    Require(IsHostAndPort(options.host), Expected(parser, u"host"_s, u"HOST or HOST:PORT"_s));
    static const QRegularExpression seconds(u"^[1-9]\\d{0,4}$"_s);
    options.timeoutSeconds = parser.value(u"timeout"_s).toInt();
    Require(seconds.match(parser.value(u"timeout"_s)).hasMatch() &&
                options.timeoutSeconds <= kLongestTimeout,
            Expected(parser, u"timeout"_s,
                     u"a whole number of seconds from 1 to %1"_s.arg(kLongestTimeout)));
    options.quiet = parser.isSet(u"quiet"_s);
    options.update = parser.isSet(u"update"_s);
    Require(!options.update || options.outFile != u"-",
            u"--update: needs a file to read, not --out -"_s);
    options.replace = parser.isSet(u"replace"_s);
    Require(!options.replace || options.update, u"--replace: only used with --update"_s);
    options.periodGiven = parser.isSet(u"period"_s);
    options.ymdFormGiven = parser.isSet(u"date-form"_s);
    QStringList typed = parser.positionalArguments();
    if (parser.isSet(u"codes-from"_s)) {
        typed += ReadCodes(parser.value(u"codes-from"_s));
    }
    Require(!typed.isEmpty(), u"no codes given"_s);
    for (const QString& code : typed) {
        const QString folded = FoldCode(code);
        Require(!HasControlCharacter(folded),
                u"%1: a code cannot hold a control character"_s.arg(Shown(folded)));
        Require(folded.count(u' ') < folded.size(),
                u"%1: a code cannot be empty or only spaces"_s.arg(Shown(folded)));
        options.codes << folded;
    }
    options.codes.removeDuplicates();
    Require(options.outFile.isEmpty() || (options.codes.size() == 1 && !parser.isSet(u"out-dir"_s)),
            u"--out: takes exactly one code and no --out-dir"_s);
    const QStringList slashed = options.codes.filter(u"/"_s);
    Require(!options.outFile.isEmpty() || slashed.isEmpty(),
            u"%1: a code with \"/\" cannot name a file; use --out"_s.arg(slashed.value(0)));
    Require(QDir().mkpath(options.outDir),
            u"--out-dir: cannot make the folder \"%1\""_s.arg(options.outDir));
    CheckOutFile(options.outFile);
    return options;
}

}  // namespace

Command ParseCommandLine(const QStringList& arguments, QDate today) {
    const QString host = DefaultQuoteHost();
    QCommandLineParser parser;
    parser.setApplicationDescription(kDescription.arg(arguments.value(0)));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOptions({
        {u"market"_s, kMarketNames.join(u'|') + u" (default auto)"_s, u"M"_s, u"auto"_s},
        {u"period"_s, u"daily|weekly|monthly (default daily)"_s, u"P"_s, u"daily"_s},
        {u"end"_s, u"last day of the range (default today)"_s, u"YYYY-MM-DD"_s},
        {u"price-scale"_s, Divisors(kPriceScales).join(u'|') + u": divide the prices (default 1)"_s,
         u"N"_s, u"1"_s},
        {u"volume-scale"_s,
         Divisors(kVolumeScales).join(u'|') + u": divide the volume (default 1000)"_s, u"N"_s,
         u"1000"_s},
        {u"date-form"_s, u"yymmdd|kanji: 240105 or 24年01月05日 (default yymmdd)"_s, u"F"_s,
         u"yymmdd"_s},
        {u"out"_s,
         u"the file to write (one code only), its folder made if missing; - for standard "
         u"output"_s,
         u"FILE"_s},
        {u"out-dir"_s,
         u"folder for zub<D|W|M><code>.csv files, made if missing (default: the current folder)"_s,
         u"DIR"_s, u"."_s},
        {u"host"_s,
         u"the quote service (default %1)"_s.arg(
             kInstalledGateway
                 ? u"the user's own, 127.0.0.1:%1 + uid % 10000"_s.arg(GatewayPortOf(0))
                 : host),
         u"HOST[:PORT]"_s, host},
        {u"codes-from"_s,
         u"more codes, one a line, - for standard input; \"#\" starts a comment, blank lines are "
         u"skipped"_s,
         u"FILE"_s},
        {u"update"_s,
         u"keep each existing file and add only the newer rows, asking for pages only until "
         u"they reach the file's; its period and date form are the file's own, its rows are "
         u"restated for a split since it was written, and a file whose rows differ from the "
         u"service's otherwise is left as it was"_s},
        {u"replace"_s,
         u"with --update: a file that cannot be joined is replaced by a full download and kept "
         u"beside it as FILE.YYYYMMDD-HHMMSS.bak"_s},
        {u"timeout"_s,
         u"give up a page after N seconds without progress, or 4N in all (default 30)"_s, u"N"_s,
         u"30"_s},
        {u"quiet"_s, u"no progress and no summary; messages still appear"_s},
        {u"page"_s, u"parse one saved chart page; print its rows, unscaled, on standard output"_s,
         u"FILE"_s},
        {u"rows-before"_s, u"with --page: rows stored before this page, 0 to 500 (default 0)"_s,
         u"N"_s, u"0"_s},
    });
    parser.addPositionalArgument(u"CODE"_s, u"stock codes, as typed in the window"_s, u"CODE..."_s);
    if (!parser.parse(arguments)) {
        return UsageError{parser.errorText()};
    }
    if (parser.isSet(help) || parser.isSet(u"help-all"_s)) {
        return Answer{parser.helpText() + kExitStatus};
    }
    if (parser.isSet(version)) {
        return Answer{u"ardentix-get %1.%2.%3\n"_s.arg(ARDENTIX_VERSION_MAJOR)
                          .arg(ARDENTIX_VERSION_MINOR)
                          .arg(ARDENTIX_VERSION_PATCH)};
    }
    try {
        // An option given twice, or one that does not go with the form chosen (--page or codes).
        const bool pageMode = parser.isSet(u"page"_s);
        const QStringList given = parser.optionNames();
        for (const QString& name : given) {
            const bool pageOnly = name == u"page" || name == u"rows-before";
            Require(given.count(name) == 1, u"--%1: given more than once"_s.arg(name));
            Require(name == u"period" || name == u"quiet" || pageOnly == pageMode,
                    pageMode ? u"--%1: cannot be used with --page"_s.arg(name)
                             : u"--%1: only used with --page"_s.arg(name));
        }
        return pageMode ? Command(MakePage(parser)) : Command(MakeDownload(parser, today));
    } catch (const UsageError& refusal) {
        return refusal;
    }
}

}  // namespace ardentix::cli
