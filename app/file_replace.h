#pragma once

#include <QByteArray>
#include <QString>

namespace ardentix {

struct FileWriteResult {
    bool ok = false;
    QString error;  // readable description when !ok
};

// "ファイル「path」に書き込めませんでした: " followed by the reason, or the sentence alone.
QString FileWriteFailure(const QString& path, const QString& reason);

// Makes bytes the whole content of the file at path. A regular file (or a new one) is written
// to a temporary file beside it and renamed over it, so a failed write, a full disk included,
// leaves the earlier file as it was. Two cases are written in place instead: a target that
// exists but is not a regular file (a device, a named pipe), which must not be replaced by a
// regular file; and an existing file in a folder that refuses new files, which could not be
// replaced at all. Written in place, a regular file gets the space for its new bytes before
// any is written: a full disk leaves it as it was there too. A failure is described by a
// FileWriteFailure sentence.
FileWriteResult ReplaceFileBytes(const QString& path, const QByteArray& bytes);

}  // namespace ardentix
