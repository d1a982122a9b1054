#include "app/file_replace.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace ardentix {
namespace {

// Writes everything and pushes it out of the device's buffer: a write that fails only when
// the buffer is flushed (a full disk, a size limit) is caught here, not after the rename.
bool WriteAll(QFileDevice& file, const QByteArray& bytes) {
    return file.write(bytes) == bytes.size() && file.flush() &&
           file.error() == QFileDevice::NoError;
}

// Opens without waiting: a named pipe that nobody reads would otherwise hold the open (and the
// window) forever; it fails at once instead. Writes then wait for the reader as usual.
int OpenWithoutWaiting(const QString& path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_TRUNC | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    }
    return fd;
}

FileWriteResult WriteInPlace(const QString& path, const QByteArray& bytes) {
    const int fd = OpenWithoutWaiting(path);
    if (fd < 0) {
        return {false, QString::fromLocal8Bit(std::strerror(errno))};
    }
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {false, file.errorString()};
    }
    if (!WriteAll(file, bytes)) {
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
