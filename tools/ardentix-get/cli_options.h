#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <variant>

#include "parse/period.h"

namespace ardentix::cli {

// The values of --period and --date-form, in the order of Period and of the date forms.
inline const QStringList kPeriodNames = {QStringLiteral("daily"), QStringLiteral("weekly"),
                                         QStringLiteral("monthly")};
inline const QStringList kDateFormNames = {QStringLiteral("yymmdd"), QStringLiteral("kanji")};

// Download the codes and save one export file per code.
struct DownloadOptions {
    QStringList codes;  // command-line codes first, then those of --codes-from; folded, each once
    int marketIndex = 0;
    Period period = Period::Daily;
    QDate endDate;
    int priceDivisor = 1;
    int volumeDivisor = 1000;
    int ymdForm = 0;
    QString outFile;  // set only for a single code; "-" is standard output
    QString outDir;
    QString host;
    int timeoutSeconds = 30;  // without progress; a whole page may take four times as long
    bool quiet = false;
    bool update = false;   // add to the existing files only the rows newer than theirs
    bool replace = false;  // with update: a file that cannot be joined is downloaded anew
    // Given on the command line; else an updated file's own period and date form are taken.
    bool periodGiven = false;
    bool ymdFormGiven = false;
};

// Parse one saved chart page and print what the parser made of it.
struct PageOptions {
    QString file;
    Period period = Period::Daily;
    int rowsBefore = 0;
};

struct UsageError {  // what is wrong with the arguments, in one line
    QString message;
};
struct Answer {  // the text --help or --version asked for
    QString text;
};

using Command = std::variant<DownloadOptions, PageOptions, UsageError, Answer>;

// Reads the arguments, the program name first. --codes-from is read, the --out-dir folder or
// --out's made and --out tried here, so that every refusal of what the user typed comes out
// before the first request.
Command ParseCommandLine(const QStringList& arguments, QDate today);

}  // namespace ardentix::cli
