#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>

#include "app/file_replace.h"
#include "support/file_bytes.h"

using namespace ardentix;
using namespace ardentix::testing;

namespace {

TEST(ReplaceFileBytes, AFailedWriteLeavesTheEarlierFileByteForByte) {
    // Smaller than the write buffer, it fails when flushed; larger, while it is written.
    for (const auto& [size, limit] : {std::pair<qsizetype, rlim_t>{40, 16}, {64 * 1024, 1024}}) {
        QTemporaryDir dir;
        const QString path = dir.filePath("out.csv");
        WriteBytes(path, "earlier\r\n");
        FileWriteResult result;
        {
            FileSizeLimit sizeLimit(limit);
            ASSERT_TRUE(sizeLimit.active());
            result = ReplaceFileBytes(path, QByteArray(size, 'x'));
        }
        EXPECT_FALSE(result.ok || result.error.isEmpty()) << size;
        EXPECT_EQ(ReadBytes(path), QByteArray("earlier\r\n"));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"out.csv"});
    }
    QTemporaryDir dir;  // a folder that cannot hold the file
    WriteBytes(dir.filePath("plain"), "");
    EXPECT_FALSE(ReplaceFileBytes(dir.filePath("plain/out.csv"), "new").error.isEmpty());
}

TEST(ReplaceFileBytes, WritesAnExistingFileInPlaceWhereTheFolderRefusesNewFiles) {
    QTemporaryDir dir;
    const QString existing = dir.filePath("old.csv");
    WriteBytes(existing, "earlier, and longer than what replaces it\r\n");
    ImmutableFolder locked(dir.path());
    if (!locked.active()) {
        GTEST_SKIP() << "this file system cannot make a folder immutable";
    }
    EXPECT_TRUE(ReplaceFileBytes(existing, "new\r\n").ok);
    EXPECT_EQ(ReadBytes(existing), QByteArray("new\r\n"));
    EXPECT_FALSE(ReplaceFileBytes(dir.filePath("new.csv"), "new\r\n").ok);
}

TEST(ReplaceFileBytes, WritesIntoANamedPipeWithoutReplacingIt) {
    QTemporaryDir dir;
    const QByteArray pipe = QFile::encodeName(dir.filePath("pipe"));
    ASSERT_EQ(mkfifo(pipe.constData(), 0600), 0);
    // A reader is there first, so opening the pipe for writing does not wait.
    const int reader = open(pipe.constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_TRUE(ReplaceFileBytes(dir.filePath("pipe"), "240105,1\r\n").ok);
    char received[32] = {};
    EXPECT_EQ(read(reader, received, sizeof received), 10);
    EXPECT_STREQ(received, "240105,1\r\n");
    close(reader);
    // With nobody reading, the write fails at once instead of waiting for a reader forever.
    EXPECT_FALSE(ReplaceFileBytes(dir.filePath("pipe"), "240105,1\r\n").ok);
}

}  // namespace
