#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "app/file_locations.h"
#include "app/file_replace.h"
#include "app/message_catalogue.h"
#include "app/qt_translations.h"
#include "app/settings_file.h"
#include "support/file_bytes.h"
#include "support/scripted_prompts.h"

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
    // Immutable, the folder refuses new files, to root too; the files in it stay writable.
    if (QProcess::execute("chattr", {"+i", dir.path()}) != 0) {
        GTEST_SKIP() << "this file system cannot make a folder immutable";
    }
    EXPECT_TRUE(ReplaceFileBytes(existing, "new\r\n").ok);
    EXPECT_FALSE(ReplaceFileBytes(dir.filePath("new.csv"), "new\r\n").ok);
    QProcess::execute("chattr", {"-i", dir.path()});
    EXPECT_EQ(ReadBytes(existing), QByteArray("new\r\n"));
}

// The folder refuses new files; the disk has room for one more row, not for three times as many.
TEST(ReplaceFileBytes, AFullDiskLeavesAFileWrittenInPlaceByteForByte) {
    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(dir.path());
    if (mount("tmpfs", root.constData(), "tmpfs", 0, "size=20k") != 0) {
        GTEST_SKIP() << "cannot mount a small tmpfs";
    }
    const QString path = dir.filePath("old.csv");
    const QByteArray earlier = QByteArray("240105,1234,1240,1230,1235,1000\r\n").repeated(300);
    WriteBytes(path, earlier);
    const bool immutable = QProcess::execute("chattr", {"+i", dir.path()}) == 0;
    const FileWriteResult tooLong = ReplaceFileBytes(path, earlier.repeated(3));
    const QByteArray kept = ReadBytes(path);
    const QByteArray longer = "240104,1,1,1,1,1\r\n" + earlier;
    const bool grew = ReplaceFileBytes(path, longer).ok && ReadBytes(path) == longer;
    QProcess::execute("chattr", {"-i", dir.path()});
    umount(root.constData());
    if (!immutable) {
        GTEST_SKIP() << "this file system cannot make a folder immutable";
    }
    EXPECT_TRUE(kept == earlier && grew) << kept.size();
    EXPECT_EQ(tooLong.error,
              "ファイル「" + path + "」に書き込めませんでした: ディスクの空きが足りません。");
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

TEST(ParseIni, FollowsEveryLineRule) {
    const std::tuple<const char*, bool, qint32> cases[] = {
        {"", true, 0},
        {"*Corvalin", true, 0},
        {"*Corvalin\r\nYMDFORM=1\r\n", true, 1},
        {"*Corvalin\r\n\r\nYMDFORM=1\r\n", true, 0},  // an empty line ends the reading
        {"*Corvalin\r\n   \r\nYMDFORM=1\r\n", true, 1},
        {"*Corvalin\r\n YMDFORM=1\r\n", true, 0},  // other keys are ignored
        {"*Corvalin\r\nymdform=1\r\n", true, 0},
        {"*Corvalin\r\nYMDFORM =1\r\n", true, 0},
        {"*Corvalin\r\nYMDFORM= 1 \r\n", true, 1},
        {"*Corvalin\r\nYMDFORM=1=2\r\n", true, 1},
        {"YMDFORM=1\r\nYMDFORM=0\r\n", true, 0},
        {"YMDFORM=2.5\r\n", true, 2},
        {"COLOR=abc\r\nYMDFORM=1\r\n", true, 1},
        {"*Corvalin\nYMDFORM=1\n", true, 1},
        {"*Corvalin\rYMDFORM=1", true, 1},
        {"*Corvalin\r\nYMDFORM=abc\r\n", false, 0},
        {"*Corvalin\r\nYMDFORM=\r\n", false, 0},
        {"*Corvalin\r\nYMDFORM\r\n", false, 0},
        {"YMDFORM=2147483648\r\n", false, 0},
        {"\r\nYMDFORM=abc\r\n", true, 0}};
    for (const auto& [text, ok, want] : cases) {
        qint32 ymdForm = 0;
        EXPECT_EQ(zidodu::ParseIni(QString::fromUtf8(text), ymdForm), ok) << text;
        EXPECT_EQ(ymdForm, want) << text;
    }
}

TEST(SettingsFile, FirstStartWritesTheExactBytesAndReadsThemBack) {
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    qint32 ymdForm = 7;
    ASSERT_TRUE(zidodu::EnsureIni(prompts, dir.path(), ymdForm));
    EXPECT_EQ(ymdForm, 0);
    const QString path = zidodu::IniPath(dir.path());
    EXPECT_EQ(ReadBytes(path), QByteArray::fromHex("2A436F7276616C696E0D0A594D44464F524D3D300D0A"));
    ASSERT_TRUE(zidodu::WriteIni(prompts, dir.path(), 1));
    EXPECT_EQ(ReadBytes(path), "*Corvalin\r\nYMDFORM=1\r\n");
    ASSERT_TRUE(zidodu::EnsureIni(prompts, dir.path(), ymdForm));  // exists: left alone
    ASSERT_TRUE(zidodu::ReadIni(prompts, dir.path(), ymdForm));
    EXPECT_EQ(ymdForm, 1);
    EXPECT_TRUE(prompts.calls.empty());
}

// Each failure shows one box, 102 or 103, and a file already there stays as it was.
TEST(SettingsFile, EachFailureShowsOneMessage) {
    QTemporaryDir dir, iniIsDir, malformed, readOnly, full;
    WriteBytes(dir.filePath("plain"), "x");
    ASSERT_TRUE(QDir(iniIsDir.path()).mkdir("mervo.ini"));
    WriteBytes(zidodu::IniPath(malformed.path()), "*Corvalin\r\nYMDFORM=abc\r\n");
    WriteBytes(zidodu::IniPath(readOnly.path()), zidodu::IniBytes(0));
    WriteBytes(zidodu::IniPath(full.path()), zidodu::IniBytes(0));
    ASSERT_TRUE(QFile::setPermissions(zidodu::IniPath(readOnly.path()), QFileDevice::ReadOwner));
    enum Call { Ensure, Read, Write };
    const std::tuple<const char*, QString, Call, int> cases[] = {
        {"through a regular file", dir.filePath("plain/sub"), Ensure, 102},
        {"missing file", dir.filePath("none"), Read, 103},
        {"mervo.ini is a folder", iniIsDir.path(), Ensure, 102},
        {"rewrite over a folder", iniIsDir.path(), Write, 102},
        {"malformed value", malformed.path(), Read, 103},
        {"read-only file", readOnly.path(), Write, 102},
        {"write fails when flushed", full.path(), Write, 102}};
    for (const auto& [name, settingsDir, call, number] : cases) {
        SCOPED_TRACE(name);
        ScriptedPrompts prompts;
        qint32 ymdForm = 0;
        const QByteArray before = ReadBytes(zidodu::IniPath(settingsDir));
        FileSizeLimit limit(settingsDir == full.path() ? 8 : RLIM_INFINITY);
        EXPECT_FALSE(call == Ensure ? zidodu::EnsureIni(prompts, settingsDir, ymdForm)
                     : call == Read ? zidodu::ReadIni(prompts, settingsDir, ymdForm)
                                    : zidodu::WriteIni(prompts, settingsDir, 1));
        const QString title = number == 102 ? "初期化ファイル作成" : "初期化ファイルの読み";
        EXPECT_EQ(prompts.Shown(), QStringList{"64 " + title + ": " + *CatalogueText(number)});
        EXPECT_EQ(ReadBytes(zidodu::IniPath(settingsDir)), before);
    }
}

TEST(LocateFiles, KeepsFilesBesideTheProgramUnlessItIsInstalled) {
    QTemporaryDir user, program;
    qputenv("HOME", QFile::encodeName(user.filePath("home")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(user.filePath("config")));
    QCoreApplication::setApplicationName(QStringLiteral("ardentix"));
    const QString beside = program.path(), installed = user.filePath("config/ardentix");
    const auto readOnly = [](const QString&) { return false; };
    const auto locate = [&](const QString& dir, auto isWritable, const QString& bindir = {}) {
        const FileLocations got = LocateFiles(dir, bindir, isWritable);
        EXPECT_EQ(got.exportDirectory,
                  got.settingsDirectory == beside ? beside : user.filePath("home/Documents"));
        return got.settingsDirectory;
    };
    EXPECT_EQ(locate(beside, IsWritableDirectory), beside);
    EXPECT_EQ(locate(beside + "/missing", IsWritableDirectory), installed);
    EXPECT_EQ(locate(beside, readOnly), installed);
    WriteBytes(QDir(beside).filePath("mervo.ini"), "*Corvalin\r\n");
    EXPECT_EQ(locate(beside, readOnly), beside);  // a read-only folder that holds the settings
    // In the build's bindir (or a link to it): per-user even when writable and holding mervo.ini.
    ASSERT_TRUE(QFile::link(beside, user.filePath("bin")));
    for (const QString& bindir : {beside, user.filePath("bin")}) {
        EXPECT_EQ(locate(beside, IsWritableDirectory, bindir), installed) << bindir.toStdString();
    }
    EXPECT_EQ(locate(beside, IsWritableDirectory, user.path()), beside);  // another prefix
}

TEST(Startup, QtsButtonsReadInJapaneseAndMessagesComeFromTheCatalogue) {
    ASSERT_TRUE(InstallJapanese(*QCoreApplication::instance()));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), u"キャンセル");

    ScriptedPrompts prompts;  // the known numbers are seen in every other test
    zidodu::ShowMsg(prompts, 204, 16, QStringLiteral("任意"));
    EXPECT_EQ(prompts.Shown(true), QStringList{"メッセージ番号に誤りがあります。"});
}

}  // namespace
