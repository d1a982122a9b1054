#include "app/file_replace.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace ardentix {
namespace {

// Writes everything and pushes it out of the device's buffer: a write that fails only when
// the buffer is flushed (a full disk, a size limit) is caught here, not after the rename.
bool WriteAll(QFileDevice& file, const QByteArray& bytes) {
    return file.write(bytes) == bytes.size() && file.flush() &&
           file.error() == QFileDevice::NoError;
}

FileWriteResult WriteInPlace(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || !WriteAll(file, bytes)) {
        return {false, file.errorString()};
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        return {false, file.errorString()};
    }
    return {true, {}};
}

FileWriteResult WriteAndRename(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return {false, file.errorString()};
    }
    if (!WriteAll(file, bytes)) {
        const QString error = file.errorString();
        file.cancelWriting();
        return {false, error};
    }
    if (!file.commit()) {
        return {false, file.errorString()};
    }
    return {true, {}};
}

}  // namespace

FileWriteResult ReplaceFileBytes(const QString& path, const QByteArray& bytes) {
    const QFileInfo target(path);
    // The folder that would hold the temporary file: the one of the link's target, for a link.
    const bool inPlace =
        target.exists() &&
        (!target.isFile() ||
         !QFileInfo(QFileInfo(target.canonicalFilePath()).absolutePath()).isWritable());
    return inPlace ? WriteInPlace(path, bytes) : WriteAndRename(path, bytes);
}

}  // namespace ardentix
