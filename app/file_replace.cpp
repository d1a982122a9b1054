#include "app/file_replace.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <tuple>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ardentix {
namespace {

QString Reason(int error) {
    switch (error) {
        case 0:
            return {};
        case ENOSPC:
            return QStringLiteral("ディスクの空きが足りません。");
        case EDQUOT:
            return QStringLiteral("ディスクの使用量が上限に達しています。");
        case EFBIG:
            return QStringLiteral("ファイルが大きすぎます。");
        case EACCES:
        case EPERM:
            return QStringLiteral("書き込みが許可されていません。");
        case EROFS:
            return QStringLiteral("読み取り専用の場所です。");
        case ENOENT:
        case ENOTDIR:
            return QStringLiteral("保存先のフォルダーがありません。");
        case EISDIR:
            return QStringLiteral("同じ名前のフォルダーがあります。");
        case EIO:
            return QStringLiteral("ディスクの読み書きでエラーが起きました。");
        default:
            return QString::fromLocal8Bit(std::strerror(error));
    }
}

FileWriteResult Failed(const QString& path, int error) {
    return {false, FileWriteFailure(path, Reason(error))};
}

// 0, or the errno of the write that failed.
int WriteAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        data += written;
        size -= written;
    }
    return 0;
}

int WriteAllAt(int fd, off_t offset, const char* data, qsizetype size) {
    return ::lseek(fd, offset, SEEK_SET) < 0 ? errno : WriteAll(fd, data, size);
}

// Makes bytes the whole content of an open regular file of oldSize bytes. The space for them is
// reserved first; where the file system cannot reserve, the bytes past the old end, written first,
// find out as well whether they fit. If either fails, the file is put back to its old length and
// holds its old bytes. Only then is the old part overwritten and the file cut to the new length.
int Overwrite(int fd, off_t oldSize, const QByteArray& bytes) {
    const off_t newSize = bytes.size();
    const auto restore = [&](int error) {
        if (newSize > oldSize) {  // only a longer content can have moved the end
            std::ignore = ::ftruncate(fd, oldSize);
        }
        return error;
    };
    // fallocate itself, not posix_fallocate: where the file system cannot reserve, the latter
    // emulates it by reading each block, which a write-only descriptor cannot do.
    const int reserved = newSize > 0 && ::fallocate(fd, 0, 0, newSize) != 0 ? errno : 0;
    if (reserved != 0 && reserved != EOPNOTSUPP && reserved != ENOSYS) {
        return restore(reserved);
    }
    if (newSize > oldSize) {
        if (const int error =
                WriteAllAt(fd, oldSize, bytes.constData() + oldSize, bytes.size() - oldSize)) {
            return restore(error);
        }
    }
    if (const int error = WriteAllAt(fd, 0, bytes.constData(), std::min(newSize, oldSize))) {
        return error;
    }
    return ::ftruncate(fd, newSize) == 0 ? 0 : errno;
}

// Opens without waiting: a named pipe that nobody reads would otherwise hold the open (and the
// window) forever; it fails at once instead. Writes then wait for the reader as usual. Nothing
// is cut on opening: a regular file is cut only once its new bytes are in.
FileWriteResult WriteInPlace(const QString& path, const QByteArray& bytes) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return Failed(path, errno);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    struct stat status {};
    int error = ::fstat(fd, &status) != 0 ? errno
                : S_ISREG(status.st_mode) ? Overwrite(fd, status.st_size, bytes)
                                          : WriteAll(fd, bytes.constData(), bytes.size());
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    return error == 0 ? FileWriteResult{true, {}} : Failed(path, error);
}

// Qt keeps no errno of its own: it is read straight after the call that failed, and a failure
// that set none is told without a reason.
FileWriteResult WriteAndRename(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        return Failed(path, errno);
    }
    if (const int error = WriteAll(file.handle(), bytes.constData(), bytes.size())) {
        file.cancelWriting();
        return Failed(path, error);
    }
    errno = 0;
    if (!file.commit()) {
        return Failed(path, errno);
    }
    return {true, {}};
}

}  // namespace

QString FileWriteFailure(const QString& path, const QString& reason) {
    const QString sentence = QStringLiteral("ファイル「%1」に書き込めませんでした").arg(path);
    return reason.isEmpty() ? sentence + QStringLiteral("。")
                            : sentence + QStringLiteral(": ") + reason;
}

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
