#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <variant>

#include "parse/period.h"

namespace ardentix::cli {

// Download the codes and save one export file per code.
struct DownloadOptions {
    QStringList codes;  // command-line codes first, then those of --codes-from
    int marketIndex = 0;
    Period period = Period::Daily;
    QDate endDate;
    int priceDivisor = 1;
    int volumeDivisor = 1000;
    int ymdForm = 0;
    QString outFile;  // set only for a single code
    QString outDir;
    QString host;
    bool quiet = false;
};

// Parse one saved chart page and print what the parser made of it.
struct PageOptions {
    QString file;
    Period period = Period::Daily;
    int rowsBefore = 0;
};

struct UsageError {
    QString message;
};
struct HelpAsked {};
struct VersionAsked {};

using Command = std::variant<DownloadOptions, PageOptions, UsageError, HelpAsked, VersionAsked>;

// Reads the arguments after the program name. Options take their value as the next argument
// or after "="; "--" ends the options. --codes-from is read and --out-dir checked here, so that
// every refusal of what the user typed comes out before the first request.
Command ParseCommandLine(const QStringList& arguments, QDate today);

QString UsageText();  // the two usage lines
QString HelpText();   // --help
QString VersionText();

}  // namespace ardentix::cli
