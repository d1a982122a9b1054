#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <csignal>

namespace ardentix::testing {

// The whole file, or a marker that no expected content equals.
inline QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// Caps the size of files this process writes while it lives, so that a write fails for root
// too. SIGXFSZ is ignored meanwhile, which turns the signal into a failed write.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : handler_(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &old_);
        const rlimit limit{bytes, old_.rlim_max};
        active_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, handler_);
    }
    bool active() const { return active_; }

private:
    void (*handler_)(int);
    rlimit old_{};
    bool active_ = false;
};

// Marks a folder immutable while it lives: no file can be created, renamed or removed in it,
// by root either, while the files already there stay writable.
class ImmutableFolder {
public:
    explicit ImmutableFolder(const QString& path)
        : fd_(open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY)),
          active_(SetFlag(true)) {}
    ~ImmutableFolder() {
        if (active_) {
            SetFlag(false);
        }
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    bool active() const { return active_; }

private:
    bool SetFlag(bool on) {
        int flags = 0;
        if (fd_ < 0 || ioctl(fd_, FS_IOC_GETFLAGS, &flags) != 0) {
            return false;
        }
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        return ioctl(fd_, FS_IOC_SETFLAGS, &flags) == 0;
    }
    int fd_;
    bool active_;
};

}  // namespace ardentix::testing
