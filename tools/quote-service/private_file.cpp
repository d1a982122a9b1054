#include "tools/quote-service/private_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>

namespace quote_service {

namespace {

QString SystemWords(int error) {
    return QString::fromLocal8Bit(strerror(error));
}

}  // namespace

PrivateFile ReadPrivateFile(const QString& path, qsizetype cap, bool followLinks) {
    using State = PrivateFile::State;
    const int fd = open(QFile::encodeName(path).constData(),
                        O_RDONLY | O_NONBLOCK | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        const int error = errno;
        return {error == ENOENT ? State::Missing : State::Unreadable, {}, SystemWords(error)};
    }
    PrivateFile result{State::Unreadable, {}, {}};
    struct stat status {};
    if (fstat(fd, &status) != 0) {
        result.reason = SystemWords(errno);
    } else if (!S_ISREG(status.st_mode)) {
        result.reason = QStringLiteral("not a regular file");
    } else if (status.st_uid != geteuid() || (status.st_mode & 077) != 0) {
        result.state = State::NotPrivate;
    } else {
        QByteArray bytes(cap, '\0');
        const ssize_t got = read(fd, bytes.data(), size_t(cap));
        if (got < 0) {
            result.reason = SystemWords(errno);
        } else {
            bytes.resize(got);
            result = {State::Read, bytes.trimmed(), {}};
        }
    }
    close(fd);
    return result;
}

}  // namespace quote_service
