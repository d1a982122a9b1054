#pragma once

#include <QByteArray>
#include <QString>

namespace ardentix {

struct FileWriteResult {
    bool ok = false;
    QString error;  // readable description when !ok
};

// Makes bytes the whole content of the file at path. A regular file (or a new one) is written
// to a temporary file beside it and renamed over it, so a failed write, a full disk included,
// leaves the earlier file as it was. Two cases are written in place instead: a target that
// exists but is not a regular file (a device, a named pipe), which must not be replaced by a
// regular file; and an existing file in a folder that refuses new files, which could not be
// replaced at all.
FileWriteResult ReplaceFileBytes(const QString& path, const QByteArray& bytes);

}  // namespace ardentix
