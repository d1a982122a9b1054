#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

namespace ardentix {

class Prompts;

namespace zidodu {

// The settings file "mervo.ini" in the settings directory: two lines in code page 932, each
// ended by CR LF: "*" + the product name, then "YMDFORM=" + the date-format choice.
QString IniPath(const QString& settingsDir);

// The file's exact bytes for a date-format choice.
QByteArray IniBytes(qint32 ymdForm);

// Reads the lines of the file's text into ymdForm. Reading stops at the end of the text or at
// the first empty line; a line of blanks is skipped; only the exact key "YMDFORM" counts, its
// value being the text between the first and the second "=". False for a YMDFORM line whose
// value is missing, empty, not a number or outside 32 bits.
bool ParseIni(QStringView text, qint32& ymdForm);

// Creates the file with ymdForm 0 when no file of that name exists (a folder of that name
// makes the creation fail). False after a failure, with message 102 shown.
bool EnsureIni(Prompts& prompts, const QString& settingsDir, qint32& ymdForm);

// Reads the file into ymdForm (0 when it holds no YMDFORM line). False after a failure, with
// message 103 shown.
bool ReadIni(Prompts& prompts, const QString& settingsDir, qint32& ymdForm);

// Replaces the file by one written from ymdForm (ReplaceFileBytes): a failed write keeps the
// old file. A file that is read-only by its permission bits is refused. False after a failure,
// with message 102 shown.
bool WriteIni(Prompts& prompts, const QString& settingsDir, qint32 ymdForm);

}  // namespace zidodu
}  // namespace ardentix
