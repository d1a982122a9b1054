#include "app/settings_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>

#include "app/file_replace.h"
#include "app/message_catalogue.h"
#include "app/prompts.h"
#include "locale/codepage.h"
#include "locale/numbers.h"

namespace ardentix::zidodu {

namespace {

constexpr int kMsgCreateFailed = 102;
constexpr int kMsgReadFailed = 103;
const QString kCreateTitle = QStringLiteral("初期化ファイル作成");
const QString kReadTitle = QStringLiteral("初期化ファイルの読み");
const QString kProductName = QStringLiteral("Corvalin");
const QString kYmdFormKey = QStringLiteral("YMDFORM");

bool IsLineEnd(QChar c) {
    return c == u'\r' || c == u'\n';
}

// The hidden attribute has no counterpart here, so nothing marks the file.
bool WriteIniFile(const QString& path, qint32 ymdForm) {
    return ReplaceFileBytes(path, IniBytes(ymdForm)).ok;
}

std::optional<QByteArray> ReadIniFile(const QString& path) {
    if (QFileInfo(path).isDir()) {
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

QString IniPath(const QString& settingsDir) {
    return QDir(settingsDir).filePath(QStringLiteral("mervo.ini"));
}

QByteArray IniBytes(qint32 ymdForm) {
    const QString text = u'*' + kProductName + QStringLiteral("\r\n") + kYmdFormKey + u'=' +
                         QString::number(ymdForm) + QStringLiteral("\r\n");
    return EncodeCp932(text).value_or(QByteArray());
}

bool ParseIni(QStringView text, qint32& ymdForm) {
    qsizetype pos = 0;
    // An empty line and the end of the text both stand at a line end: either ends the reading.
    while (pos < text.size() && !IsLineEnd(text[pos])) {
        qsizetype end = pos;
        while (end < text.size() && !IsLineEnd(text[end])) {
            ++end;
        }
        const QStringView line = text.sliced(pos, end - pos);
        pos = end;
        if (pos < text.size() && text[pos] == u'\r') {
            ++pos;
        }
        if (pos < text.size() && text[pos] == u'\n') {
            ++pos;
        }

        if (line.trimmed().isEmpty()) {
            continue;
        }
        const qsizetype firstEq = line.indexOf(u'=');
        const QStringView key = firstEq < 0 ? line : line.first(firstEq);
        if (key != kYmdFormKey) {
            continue;
        }
        if (firstEq < 0) {
            return false;
        }
        QStringView value = line.sliced(firstEq + 1);
        if (const qsizetype secondEq = value.indexOf(u'='); secondEq >= 0) {
            value = value.first(secondEq);
        }
        const auto number = ToInt32(value);
        if (!number) {
            return false;
        }
        ymdForm = *number;
    }
    return true;
}

bool EnsureIni(Prompts& prompts, const QString& settingsDir, qint32& ymdForm) {
    const QString path = IniPath(settingsDir);
    // A folder of that name is not the file: creating the file then fails, with message 102.
    const QFileInfo info(path);
    if (info.exists() && !info.isDir()) {
        return true;
    }
    ymdForm = 0;
    if (!WriteIniFile(path, ymdForm)) {
        ShowMsg(prompts, kMsgCreateFailed, kStyleInformation, kCreateTitle);
        return false;
    }
    return true;
}

bool ReadIni(Prompts& prompts, const QString& settingsDir, qint32& ymdForm) {
    const QString path = IniPath(settingsDir);
    if (!QFileInfo::exists(path)) {
        ShowMsg(prompts, kMsgReadFailed, kStyleInformation, kReadTitle);
        return false;
    }
    ymdForm = 0;
    const auto bytes = ReadIniFile(path);
    if (!bytes || !ParseIni(DecodeCp932(*bytes), ymdForm)) {
        ShowMsg(prompts, kMsgReadFailed, kStyleInformation, kReadTitle);
        return false;
    }
    return true;
}

bool WriteIni(Prompts& prompts, const QString& settingsDir, qint32 ymdForm) {
    const QString path = IniPath(settingsDir);
    const QFileInfo info(path);
    // A read-only file must not be replaced. Checked on the permission bits themselves, since
    // a process with full rights would otherwise replace it anyway.
    const bool refused = info.exists() && !(info.permissions() & QFileDevice::WriteOwner);
    if (refused || !WriteIniFile(path, ymdForm)) {
        ShowMsg(prompts, kMsgCreateFailed, kStyleInformation, kCreateTitle);
        return false;
    }
    return true;
}

}  // namespace ardentix::zidodu
